#pragma once

#include <string>
#include <vector>

#include "site/SiteRun.h"

namespace velk {

// Where the reads of a site go: FOLDER/NAME.db for each panel.
struct SiteReadOptions {
    std::string folder;
};

// The file panel name is read into.
std::string readCopyPath(const std::string& folder, const std::string& name);

// The job that reads panel i of targets into a copy of its project: the project file is copied to
// NAME.db.part, the session a single read uses reads the panel into it (the same requests, the
// same statements), and only a read the panel answered becomes NAME.db, replacing what was there.
// The project itself is only ever copied.
SiteRun::PanelJob siteReadJob(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                              const SiteReadOptions& read, ProgressBoard& board, StopSwitch& stop);

// How many replies a read of a panel brings: one per request.
int readReplyCount();

}  // namespace velk
