#pragma once

#include <optional>
#include <string>

#include "model/ConfigModel.h"

namespace velk {

// Writes a model as a new project file through the statements the desktop program issues: New's
// sequence on a fresh file, the updates of the list dialogs, the add command's inserts (each action
// keeping its id) and the event-settings updates; rows outside the lists go in with the insert
// texts New uses for its defaults. The file is written under a temporary name, checked for
// database errors and read back against the model, and only then moved onto the target.
struct ImportOutcome {
    bool ok = false;
    std::string error;  // why nothing was written
};
// Why a project may not be written at path, or nothing: a folder, or a file when not replacing.
std::optional<std::string> importTargetProblem(const std::string& utf8Path, bool replaceExisting);

// The target's project lock is taken for the write (see ProjectLock); a project another window or
// program holds is refused. callerHoldsLock: the caller holds it already (its own open project).
ImportOutcome importProject(const ConfigModel& model, const std::string& utf8Path, bool replaceExisting,
                            bool callerHoldsLock = false);

// Where two models differ as a project file holds them (actions by id order), or empty when
// they are the same project: "enum E3", "event slot 4".
std::string firstProjectDifference(const ConfigModel& a, const ConfigModel& b);

}  // namespace velk
