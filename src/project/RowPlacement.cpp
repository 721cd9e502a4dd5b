#include "project/RowPlacement.h"

#include <cstdint>

namespace velk::rows {

std::optional<int> keyOfIndex(int32_t index) {
    if (index == INT32_MIN) {
        return std::nullopt;
    }
    return index - 1;
}

std::optional<int> placeNetTarget(ConfigModel& model, const Row& row) {
    NetTarget target = netTargetFromRow(row);
    std::optional<int> key = keyOfIndex(target.index);
    if (key) {
        model.setNetTarget(*key, target);
    }
    return key;
}

std::optional<int> placeEnum(ConfigModel& model, const Row& row) {
    EnumVariable variable = enumFromRow(row);
    std::optional<int> key = keyOfIndex(variable.index);
    if (key) {
        model.setEnum(*key, variable);
    }
    return key;
}

std::optional<int> placeVariable(ConfigModel& model, const Row& row) {
    Variable variable = variableFromRow(row);
    std::optional<int> key = keyOfIndex(variable.index);
    if (key) {
        model.setVariable(*key, variable);
    }
    return key;
}

std::optional<int> placeEventSettings(ConfigModel& model, const Row& row) {
    EventSettingsRow settings = eventSettingsFromRow(row);
    if (!ConfigModel::isValidSlot(settings.oindex)) {
        return std::nullopt;
    }
    model.eventSettings[static_cast<size_t>(settings.oindex)] = settings.settings;
    return settings.oindex;
}

bool placeAction(ConfigModel& model, int slot, const Row& row) {
    if (!ConfigModel::isValidSlot(slot)) {
        return false;
    }
    std::optional<KeyAction> action = actionFromRow(row);
    if (!action) {
        return false;
    }
    model.actions[static_cast<size_t>(slot)].push_back(*action);
    return true;
}

}  // namespace velk::rows
