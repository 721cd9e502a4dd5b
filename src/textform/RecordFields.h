#pragma once

#include <string>
#include <vector>

#include "model/Records.h"

// Every record as the ordered fields of its table in the text, so the writer and diff speak the
// same words. The first field is the record's name (or an action's id) and is always written.
namespace velk::text {

struct Field {
    std::string key;
    std::string value;               // the value's TOML text, on one line
    std::string block;               // a multi-line form the writer prefers, when the value has one
    std::vector<std::string> items;  // data: its segments and blanks, for comparing item by item
    bool atDefault = false;          // the reader gives the same value when the key is left out
};
using Fields = std::vector<Field>;

Fields enumFields(const EnumVariable& variable);
Fields variableFields(const Variable& variable);
Fields targetFields(const NetTarget& target);
Fields eventFields(int slot, const EventSettings& settings);
// id, function, then the fields of the action's function.
Fields actionFields(const KeyAction& action);

// One blank as an inline table.
std::string blankText(const Placeholder& blank);

// Field defaults the reader fills in.
constexpr int32_t kDefaultAppendTimeOut = 5000;
constexpr int32_t kDefaultDataWidth = 3;

}  // namespace velk::text
