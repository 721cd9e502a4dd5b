#pragma once

#include <string>
#include <vector>

#include "model/ConfigModel.h"

namespace velk::text {

// What differs between two projects, one line per changed field, in the words of the text form:
// "E3: values [\"a\"] -> [\"b\"]", "按键3 弹起: action 2: irCode 5 -> 6",
// "按键3 弹起: action 4 added: function = \"网络\", ...". Empty when they are the same project.
std::vector<std::string> diffProjects(const ConfigModel& a, const ConfigModel& b);

}  // namespace velk::text
