#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Records.h"

// Turning the column texts of one selected row into a model record. Every number is read as a
// decimal integer: leading blanks, an optional sign, then digits up to the first other character;
// empty or non-numeric text reads as 0 and values beyond 32 bits are clamped. A missing column
// reads as empty text, so rows of foreign or damaged tables load without harm.
namespace velk::rows {

using Row = std::vector<std::string>;

int64_t readInteger64(const std::string& text);
int32_t readInteger(const std::string& text);

// Records keyed by index - 1 carry the index that was read; the caller decides where they go.
Variable variableFromRow(const Row& row);
NetTarget netTargetFromRow(const Row& row);
// Values past the row's size are not taken (a size above 10 counts as 10, below 0 as 0). Hex
// values are brought to their normal form; a Hex value that yields no byte is dropped.
EnumVariable enumFromRow(const Row& row);

struct EventSettingsRow {
    int32_t oindex = 0;
    EventSettings settings;
};
EventSettingsRow eventSettingsFromRow(const Row& row);

// Nothing for a function code outside 0..5. varNum counts as 0..10; a placeholder kind outside
// 0..2 is kept and its fields read in the Var form.
std::optional<KeyAction> actionFromRow(const Row& row);

}  // namespace velk::rows
