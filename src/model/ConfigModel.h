#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "model/Records.h"

namespace velk {

constexpr int kSlotCount = 60;
constexpr int kSelectableSlots = 30;
constexpr int kEnumCount = 10;
constexpr int kVariableCount = 16;
constexpr int kNetTargetCount = 7;

// Bits of the used-function mask as the action editor reads them.
enum FunctionBit : int {
    kBitInfrared = 1,
    kBitIo = 2,
    kBitRelay = 4,
    kBitNetwork = 8,
    kBitSerial = 16,
};
// Every kind the editor offers is used: nothing more can be added.
constexpr int kFullFunctionMask = kBitInfrared | kBitIo | kBitRelay | kBitNetwork | kBitSerial;

int inputOf(int slot);
int eventOf(int slot);

std::string enumName(int index);
std::string variableName(int index);
std::string netTargetName(int index);
// The event as the form's selectors name it (UTF-8): "按键3 弹起", "IO1 变高"; the inputs the form
// does not offer are named "输入11 按下" and so on.
std::string eventName(int slot);

class ConfigModel {
public:
    ConfigModel();

    std::map<int, EnumVariable> enums;    // key: index - 1
    std::map<int, Variable> variables;    // key: index - 1
    std::map<int, NetTarget> netTargets;  // key: index - 1
    std::array<std::vector<KeyAction>, kSlotCount> actions;
    std::array<EventSettings, kSlotCount> eventSettings;

    void reset();

    // The id a new action of the slot gets: one above the largest, so the list's order (the order
    // of the write) stays the order of the ids, which is the order Open reads the rows in. Only a
    // slot whose largest id is INT32_MAX gets the smallest free id instead.
    int nextActionId(int slot) const;
    // Where an action with this id stands in the slot's list, kept in id order.
    int rowForId(int slot, int id) const;

    // Accessors by key; a missing map key yields a default record, replacing inserts.
    EnumVariable enumAt(int key) const;
    Variable variableAt(int key) const;
    NetTarget netTargetAt(int key) const;
    void setEnum(int key, const EnumVariable& value) { enums[key] = value; }
    void setVariable(int key, const Variable& value) { variables[key] = value; }
    void setNetTarget(int key, const NetTarget& value) { netTargets[key] = value; }

    static bool isValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }
};

}  // namespace velk
