#pragma once

#include <string>
#include <string_view>

namespace velk::cli {

// A UTF-8 text from a project file or a panel, made safe for a terminal: control bytes (and the
// C1 controls) are written "\xhh" as `commands` writes them, so no text can move the cursor,
// change colours or split a tab-separated line. Every other character, Chinese and the backslash
// included, stays as it is: this is for reading, not a byte-exact record.
std::string terminalText(std::string_view utf8);

// The same for a message: line breaks stay, every other control byte is escaped.
std::string terminalMessage(std::string_view utf8);

}  // namespace velk::cli
