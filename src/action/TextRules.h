#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"

namespace velk {

// Most marks one blank's width puts into a text: absurd widths from hostile files stop here, so no
// text built from a record grows without bound. A run this long already fills a whole command.
constexpr size_t kMaxStarRun = 65530;

// The bytes of a Hex segment: pieces separated by spaces, one byte per piece (one digit: its
// value, two: the byte, three or more: 0xff). Fails on any other character and on spaces only.
std::optional<std::vector<uint8_t>> ParseHexText(std::string_view text);

// Bytes as two lower-case hex digits joined by single spaces ("01 02 ab ff").
std::string hexNormalForm(const std::vector<uint8_t>& bytes);

// ParseHexText followed by hexNormalForm.
std::optional<std::string> normalizeHexText(std::string_view text);

// True when every "$" of an Ascii segment is followed by two hexadecimal digits.
bool CheckDollarEscapes(std::string_view text);

// "$hh" escapes of an Ascii segment turned into bytes, lenient with incomplete escapes that old
// project files may hold.
std::string DecodeDollarEscapes(std::string_view segment);

bool isHexDigit(char c);

// A run of `digits` "*" marks: empty for widths of 0 or less, capped at kMaxStarRun.
std::string starRun(int32_t digits, std::string_view mark = "*");

// One-line notation of send data, each blank written as "$(" ... ")"; for display only.
std::string FormatDataText(const SendData& data);

// The text inside "$(" ... ")" of one blank.
std::string placeholderText(const Placeholder& blank);

// Names the data text and the panel commands share; out-of-range values count as 0.
const char* inputModeName(int32_t modeIndex);
const char* overflowName(int32_t overflowIndex);
int32_t inputCount(int32_t countIndex);  // 1..5

}  // namespace velk
