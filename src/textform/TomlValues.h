#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textform/Vocabulary.h"

// Values as they stand in the text: each function returns the TOML text of one value.
namespace velk::text {

std::string tomlString(std::string_view utf8);
std::string tomlInteger(int64_t value);

// A text of the model (GBK bytes). Texts that GBK decodes exactly are written as strings; any
// other bytes are kept as { bytes = "d6 d0 ff" }, their hex, which reads back as the same bytes.
std::string tomlText(std::string_view gbk);
// The UTF-8 form of a GBK text when it converts exactly both ways, for strings in the text.
std::optional<std::string> exactUtf8(std::string_view gbk);
constexpr const char* kBytesKey = "bytes";

// A choice list position as its label, or as { position = N } when the list has no such entry (a
// bare number would be taken for the entry that reads so: "9600" is a baud rate, 9600 a position).
std::string tomlChoice(const Choice& choice, int32_t position);
constexpr const char* kPositionKey = "position";
// 0 and 1 as false and true, other stored numbers as they are.
std::string tomlFlag(int32_t value);
// A channel bit set as the channel numbers it selects: bit k is channel k + 1 ("[1, 3]" for 5).
std::string tomlChannels(int32_t bits);

}  // namespace velk::text
