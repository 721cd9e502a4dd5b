#pragma once

#include <optional>
#include <string>

#include "model/ConfigModel.h"

namespace velk {

// Loads a project file without changing it: the file is opened read-only, and its rows go through
// the same row loading and placement as Open, so the model equals the one the form would hold
// after opening it. Tables the file lacks count as empty, as Open would create them empty; a file
// that holds none of the project's tables is refused.
struct ProjectLoad {
    std::optional<ConfigModel> model;
    std::string error;  // when there is no model: why, for a message that names the file
};
ProjectLoad loadProjectReadOnly(const std::string& utf8Path);

}  // namespace velk
