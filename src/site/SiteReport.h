#pragma once

#include <string>
#include <vector>

#include "site/PanelResult.h"
#include "site/SiteDisplay.h"

namespace velk {

// The report of a site run as JSON: the task, the exit status, the seconds in all, and per panel
// its name, address, project, result word, reason, exit status, attempts, seconds and what a write
// left out (a read adds the replies stored and the file they are in).
std::string siteReportJson(SiteTask task, const std::vector<PanelLabel>& labels,
                           const std::vector<PanelResult>& results, double seconds,
                           const std::vector<std::string>& readCopies = {});

// Writes text to path (replacing it); false with the reason in error.
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace velk
