#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/IrLearning.h"
#include "model/Records.h"

// The checks the dialogs run on what the user typed, on UTF-8 texts and plain numbers, so that the
// dialogs and velkctl check refuse the same inputs with the same messages.
namespace velk::rules {

// A refusal: the message the dialog shows.
struct Refusal {
    std::string message;
};

// Value row `row` (1-based) of the enumeration dialog as typed: empty, or in Hex format a character
// other than a hexadecimal digit or a space.
std::optional<Refusal> enumValueProblem(int row, bool hex, std::string_view typed);

// A number edit's text as the dialogs read it on OK: a decimal integer within int32, with an
// optional sign and spaces around it; nothing for any other text, which they refuse with
// kNotAnInteger. Only digits can be typed, but a negative value loaded from a project shows with
// its sign and must survive an OK that did not touch it.
std::optional<int32_t> typedInteger(std::string_view text);

using velk::kMaxIrCode;
using velk::kMinIrCode;
std::optional<Refusal> irCodeProblem(int32_t code);

// Channels an infrared, IO or relay action sets (the bits of its channel boxes): none is refused,
// naming what to choose. Other functions have no channel boxes.
std::optional<Refusal> channelsProblem(FunctionCode function, int32_t channels);
// The editor's OK with no function chosen (an editor opened on a key action).
std::optional<Refusal> functionProblem(std::optional<FunctionCode> function);

// The composer's segment edits take this many characters; a longer segment is refused, never cut.
constexpr size_t kMaxSegmentCharacters = 200;
// Characters of a UTF-8 text (code points).
size_t utf8Characters(std::string_view utf8);

// Segment i of t (both counted from 1) may be empty only when it is the first or the last of
// several: the blanks stand between the segments.
bool emptySegmentAllowed(int segment, int segments);

// What the composer stores for a non-empty segment given as GBK bytes: Hex is parsed and brought
// to its normal form, Ascii is taken as it is when every "$" is followed by two hex digits.
struct SegmentContent {
    std::optional<std::string> stored;
    std::string refusal;  // when nothing is stored
};
SegmentContent segmentContent(int type, std::string_view gbk);

// Segment i of t as the composer takes it from its edit (UTF-8): the empty rule, the length, the
// GBK conversion, then segmentContent.
SegmentContent composeSegment(int segment, int segments, int type, std::string_view utf8);

// The first character of a UTF-8 text that GBK cannot hold, or the whole text when none is found.
std::string firstNonGbkCharacter(std::string_view utf8);

}  // namespace velk::rules
