#pragma once

#include <string>

#include "model/ConfigModel.h"

namespace velk::text {

// The text form of a project: one UTF-8 TOML document (docs/project-text.md). Rows and events at
// their defaults and fields at their default are left out; equal models give identical bytes.
// Actions with a function code outside 0..5, which a project file cannot hold, are left out.
std::string exportText(const ConfigModel& model);

constexpr int kFormatVersion = 1;

}  // namespace velk::text
