#pragma once

#include <optional>
#include <string>

#include "model/ConfigModel.h"

namespace velk {

// Loads a project file without changing it: the file is opened read-only, and its rows go through
// the same row loading and placement as Open, so the model equals the one the form would hold
// after opening it. A file that holds none of the project's tables is refused ("not a project
// file"). Tables the file lacks count as empty, as Open would create them empty, unless the caller
// refuses such a file: what is written into a panel must come from a whole project.
struct ProjectLoad {
    std::optional<ConfigModel> model;
    std::string error;  // when there is no model: why, for a message that names the file
};
enum class MissingTables { CountAsEmpty, Refuse };
ProjectLoad loadProjectReadOnly(const std::string& utf8Path,
                                MissingTables missing = MissingTables::CountAsEmpty);

// What a file chosen for 打开 holds, looked at read-only: Open creates the tables a file lacks, which
// for a database of another program means changing it.
enum class ProjectFileKind {
    Missing,     // Open creates it
    Empty,       // no tables at all (also a zero-length file)
    Project,     // at least one of the project's tables
    Foreign,     // tables, none of them the project's
    Unreadable,  // not a database, a folder, locked: Open reports why
};
ProjectFileKind projectFileKind(const std::string& utf8Path, int busyTimeoutMs);

}  // namespace velk
