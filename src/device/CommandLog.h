#pragma once

#include <string>
#include <string_view>

namespace velk {

// One command as a printable line: bytes 0x20..0x7E as they are except the backslash, written
// "\\"; every other byte as "\xhh" with two lower-case hex digits. velkctl commands and the
// simulator's log write the same text, so the two can be compared line by line.
std::string escapeCommand(std::string_view command);

}  // namespace velk
