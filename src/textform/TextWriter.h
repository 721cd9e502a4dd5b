#pragma once

#include <string>
#include <vector>

#include "model/ConfigModel.h"

namespace velk::text {

// The text form of a project: one UTF-8 TOML document (docs/project-text.md). Rows and events at
// their defaults and fields at their default are left out; equal models give identical bytes.
// Actions with a function code outside 0..5, which a project file cannot hold, are left out.
std::string exportText(const ConfigModel& model);

// A list of actions as a TOML fragment of the same form, in list order, each an [[action]] table
// with the keys of [[event.action]]: what the desktop program puts on the clipboard. event, when
// given, names where they come from ("按键1 弹起") for the reader's eye.
std::string exportActions(const std::vector<KeyAction>& actions, const std::string& event = {});

constexpr int kFormatVersion = 1;

}  // namespace velk::text
