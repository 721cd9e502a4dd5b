#include "model/ConfigModel.h"

#include <algorithm>
#include <cstdint>

#include "model/StrPrintf.h"

namespace velk {

int inputOf(int slot) {
    return slot / 3 + 1;
}
int eventOf(int slot) {
    return slot % 3;
}

std::string enumName(int index) {
    return strprintf("E%d", index);
}
std::string variableName(int index) {
    return strprintf("V%d", index);
}
std::string netTargetName(int index) {
    return index <= 4 ? strprintf("TCP%d", index) : strprintf("UDP%d", index - 4);
}

std::string eventName(int slot) {
    static const char* const kKeyEvents[] = {"按下", "弹起", "保持"};
    static const char* const kIoEvents[] = {"变低", "变高", "拉低"};
    const int input = inputOf(slot);
    const int event = eventOf(slot);
    if (slot < 0 || slot >= kSlotCount) {
        return strprintf("事件%d", slot);
    }
    if (input <= 8) {
        return strprintf("按键%d %s", input, kKeyEvents[event]);
    }
    if (input <= 10) {
        return strprintf("IO%d %s", input - 8, kIoEvents[event]);
    }
    return strprintf("输入%d %s", input, kKeyEvents[event]);
}

ConfigModel::ConfigModel() = default;

void ConfigModel::reset() {
    for (auto& list : actions) {
        list.clear();
    }
    enums.clear();
    variables.clear();
    netTargets.clear();
    for (int i = 0; i < kEnumCount; ++i) {
        EnumVariable e;
        e.index = i + 1;
        enums[i] = e;
    }
    for (int j = 0; j < kVariableCount; ++j) {
        Variable v;
        v.index = j + 1;
        variables[j] = v;
    }
    for (int k = 0; k < kNetTargetCount; ++k) {
        NetTarget t;
        t.index = k + 1;
        netTargets[k] = t;
    }
    eventSettings.fill(EventSettings{});
}

int ConfigModel::nextActionId(int slot) const {
    const auto& list = actions.at(static_cast<size_t>(slot));
    if (list.empty()) {
        return 0;
    }
    const auto largest = std::max_element(list.begin(), list.end(),
                                          [](const KeyAction& a, const KeyAction& b) { return a.id < b.id; });
    if (largest->id < INT32_MAX) {
        return largest->id + 1;
    }
    // A damaged file leaves no id above: take a free one, which is placed in id order.
    for (int candidate = 0;; ++candidate) {
        bool taken =
            std::any_of(list.begin(), list.end(), [&](const KeyAction& a) { return a.id == candidate; });
        if (!taken) {
            return candidate;
        }
    }
}

int ConfigModel::rowForId(int slot, int id) const {
    const auto& list = actions.at(static_cast<size_t>(slot));
    const auto after = std::find_if(list.begin(), list.end(), [id](const KeyAction& a) { return a.id > id; });
    return static_cast<int>(after - list.begin());
}

EnumVariable ConfigModel::enumAt(int key) const {
    auto it = enums.find(key);
    return it != enums.end() ? it->second : EnumVariable{};
}

Variable ConfigModel::variableAt(int key) const {
    auto it = variables.find(key);
    return it != variables.end() ? it->second : Variable{};
}

NetTarget ConfigModel::netTargetAt(int key) const {
    auto it = netTargets.find(key);
    return it != netTargets.end() ? it->second : NetTarget{};
}

}  // namespace velk
