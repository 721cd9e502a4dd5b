#pragma once

#include <string>

namespace velk {

// printf into a std::string of whatever length the result needs; every command and SQL text of the
// program is built through it, so its format stays visible where it is used.
std::string strprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velk
