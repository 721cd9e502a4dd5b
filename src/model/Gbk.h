#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velk {

// Conversions between the GBK bytes the model holds and UTF-8 for terminals and files.
// Both refuse input they cannot convert exactly instead of replacing characters.
std::optional<std::string> utf8ToGbk(std::string_view utf8);
std::optional<std::string> gbkToUtf8(std::string_view gbk);

// For display only: invalid GBK sequences become U+FFFD, so text from a hostile file still shows.
std::string gbkToUtf8Lossy(std::string_view gbk);

}  // namespace velk
