#pragma once

#include <optional>

#include "model/ConfigModel.h"
#include "project/RowLoader.h"

// Where Open puts each loaded row in the model, shared by the form's session and the read-only
// loader so both build the same model from the same file.
namespace velk::rows {

// index - 1 as a map key; an index of INT32_MIN has none.
std::optional<int> keyOfIndex(int32_t index);

// Each replaces the record of the row's key (index - 1, kept even outside the lists) and returns
// that key, or nothing when the row has none.
std::optional<int> placeNetTarget(ConfigModel& model, const Row& row);
std::optional<int> placeEnum(ConfigModel& model, const Row& row);
std::optional<int> placeVariable(ConfigModel& model, const Row& row);
// The slot whose settings the row replaced; rows of slots outside 0..59 are dropped.
std::optional<int> placeEventSettings(ConfigModel& model, const Row& row);
// Appends the row's action to the slot; false when the slot or the function is unknown.
bool placeAction(ConfigModel& model, int slot, const Row& row);

}  // namespace velk::rows
