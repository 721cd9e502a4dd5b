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

}  // namespace velk
