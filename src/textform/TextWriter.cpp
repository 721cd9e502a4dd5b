#include "textform/TextWriter.h"

#include <algorithm>

#include "textform/RecordFields.h"
#include "textform/TomlValues.h"

namespace velk::text {

namespace {

void writeTable(std::string& out, const char* header, const Fields& fields) {
    out += "\n[[";
    out += header;
    out += "]]\n";
    for (const Field& f : fields) {
        if (f.atDefault) {
            continue;
        }
        out += f.key + " = " + (f.block.empty() ? f.value : f.block) + "\n";
    }
}

bool isStorable(const KeyAction& action) {
    return functionCodeOf(functionCodeValue(action.function)).has_value();
}

// The defaults a reset model holds under each key of the lists.
template <typename Record>
bool isListDefault(int key, int count, const Record& record, Record defaults) {
    defaults.index = key + 1;
    return key >= 0 && key < count && record == defaults;
}

}  // namespace

std::string exportText(const ConfigModel& model) {
    std::string out = "# velk project, text form (/usr/share/doc/velk/project-text.html)\nformat = " +
                      tomlInteger(kFormatVersion) + "\n";
    for (const auto& [key, variable] : model.enums) {
        if (!isListDefault(key, kEnumCount, variable, EnumVariable{})) {
            writeTable(out, "enum", enumFields(variable));
        }
    }
    for (const auto& [key, variable] : model.variables) {
        if (!isListDefault(key, kVariableCount, variable, Variable{})) {
            writeTable(out, "variable", variableFields(variable));
        }
    }
    for (const auto& [key, target] : model.netTargets) {
        if (!isListDefault(key, kNetTargetCount, target, NetTarget{})) {
            writeTable(out, "target", targetFields(target));
        }
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        std::vector<KeyAction> actions;
        for (const KeyAction& action : model.actions[static_cast<size_t>(slot)]) {
            if (isStorable(action)) {
                actions.push_back(action);
            }
        }
        const EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        if (actions.empty() && settings == EventSettings{}) {
            continue;
        }
        writeTable(out, "event", eventFields(slot, settings));
        // The order a project file gives them back in.
        std::stable_sort(actions.begin(), actions.end(),
                         [](const KeyAction& a, const KeyAction& b) { return a.id < b.id; });
        for (const KeyAction& action : actions) {
            writeTable(out, "event.action", actionFields(action));
        }
    }
    return out;
}

std::string exportActions(const std::vector<KeyAction>& actions, const std::string& event) {
    std::string out = "# velk actions, text form (/usr/share/doc/velk/project-text.html)\nformat = " +
                      tomlInteger(kFormatVersion) + "\n";
    if (!event.empty()) {
        out += "event = " + tomlString(event) + "\n";
    }
    for (const KeyAction& action : actions) {
        if (isStorable(action)) {
            writeTable(out, "action", actionFields(action));
        }
    }
    return out;
}

}  // namespace velk::text
