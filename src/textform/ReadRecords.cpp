// The list sections ([[enum]], [[variable]], [[target]]) and the event settings of the text form.
#include <cstdint>
#include <map>

#include "action/TextRules.h"
#include "model/StrPrintf.h"
#include "rules/CommandRules.h"
#include "rules/FieldRules.h"
#include "rules/RuleMessages.h"
#include "textform/Readers.h"
#include "textform/RecordFields.h"
#include "textform/TomlValues.h"

namespace velk::text {

std::optional<int32_t> RowNames::take(const toml::node* node,
                                      std::optional<int32_t> (*parse)(std::string_view)) {
    if (node == nullptr) {
        return std::nullopt;
    }
    const toml::node& name = *node;
    std::optional<std::string> text = m_context.string(name, "name");
    if (!text) {
        return std::nullopt;
    }
    std::optional<int32_t> number = parse(*text);
    // INT32_MIN has no map key (index - 1), so no file can hold such a row.
    if (!number || *number == INT32_MIN) {
        m_context.error(name.source(),
                        strprintf("name \"%s\" is not a name of %s", text->c_str(), m_section));
        return std::nullopt;
    }
    auto [seen, added] = m_seen.emplace(*number, static_cast<int>(name.source().begin.line));
    if (!added) {
        m_context.error(name.source(),
                        strprintf("%s is given twice (first on line %d)", text->c_str(), seen->second));
        return std::nullopt;
    }
    return number;
}

namespace {

void warnOutsideList(ReadContext& context, const toml::node& name, int32_t index, int32_t count,
                     const char* list) {
    if (index < 1 || index > count) {
        context.warning(name.source(), strprintf("%s has no row on the form (%s); it is kept as the file "
                                                 "holds it and never written to a panel",
                                                 name.as_string()->get().c_str(), list));
    }
}

// The values of an enumerated variable, as the dialog and the loader keep them: Ascii as
// written, any other type brought to the Hex normal form with values of no byte dropped.
std::vector<std::string> enumValues(ReadContext& context, const toml::node& node, int32_t type) {
    std::vector<std::string> values;
    const auto* list = node.as_array();
    if (list == nullptr) {
        context.error(node.source(), "values must be a list of texts");
        return values;
    }
    if (list->size() > kEnumCount) {
        context.error(node.source(),
                      strprintf("%zu values: a project file holds at most %d", list->size(), kEnumCount));
        return values;
    }
    if (list->empty()) {
        context.warning(node.source(), "no values: the dialog takes 1 to 10");
    }
    for (size_t k = 0; k < list->size(); ++k) {
        const toml::node& element = *list->get(k);
        const int row = static_cast<int>(k) + 1;
        std::optional<std::string> value =
            context.text(element, strprintf("value %d", row),
                         [row](std::string_view) { return rules::enumValueNotGbk(row); });
        if (!value) {
            continue;
        }
        const bool hex = type != kAscii;
        if (std::optional<rules::Refusal> refusal = rules::enumValueProblem(row, hex, *value)) {
            // A Hex value with other characters cannot be stored: loading would drop it.
            if (hex && !value->empty()) {
                context.error(element.source(), refusal->message);
            } else {
                context.warning(element.source(), refusal->message);
            }
            if (!hex) {
                values.push_back(std::move(*value));
            }
            continue;
        }
        if (!hex) {
            values.push_back(std::move(*value));
        } else if (std::optional<std::string> normal = normalizeHexText(*value)) {
            values.push_back(std::move(*normal));
        } else {
            context.warning(element.source(),
                            strprintf("value %d holds no byte and is dropped, as the dialog "
                                      "drops it",
                                      row));
        }
    }
    return values;
}

}  // namespace

void readEnums(ReadContext& context, const toml::node& node, ConfigModel& model) {
    RowNames names(context, "an enumerated variable (E1 to E10)");
    for (const toml::table* table : tablesOf(context, node, "enum")) {
        TableKeys keys(context, *table, "[[enum]]");
        const toml::node* name = keys.require("name");
        std::optional<int32_t> index = names.take(name, enumRowIndex);
        EnumVariable variable;
        if (const toml::node* type = keys.take("type")) {
            if (std::optional<int32_t> value = context.choice(*type, "type", dataTypeChoice())) {
                variable.type = *value;
                context.warnOutside(*type, "type", dataTypeChoice(), *value);
            }
        }
        if (const toml::node* values = keys.take("values")) {
            variable.data = enumValues(context, *values, variable.type);
            if (index) {
                variable.index = *index;
                if (std::optional<rules::Refusal> refusal = rules::enumCommandProblem(variable)) {
                    context.warning(values->source(), refusal->message);
                }
            }
        } else if (variable.type != kAscii) {
            variable.data.clear();  // the empty default value yields no byte
        }
        keys.finish();
        if (index) {
            warnOutsideList(context, *name, *index, kEnumCount, "E1 to E10");
            variable.index = *index;
            model.setEnum(*index - 1, variable);
        }
    }
}

void readVariables(ReadContext& context, const toml::node& node, ConfigModel& model) {
    RowNames names(context, "a variable (V1 to V16)");
    for (const toml::table* table : tablesOf(context, node, "variable")) {
        TableKeys keys(context, *table, "[[variable]]");
        const toml::node* name = keys.require("name");
        std::optional<int32_t> index = names.take(name, variableRowIndex);
        Variable variable;
        for (auto [key, field] : {std::pair{"init", &variable.init}, std::pair{"min", &variable.min},
                                  std::pair{"max", &variable.max}}) {
            if (const toml::node* value = keys.take(key)) {
                *field = context.int32(*value, key, 0, rules::kNotAnInteger).value_or(0);
            }
        }
        if (const toml::node* save = keys.take("save")) {
            if (std::optional<int32_t> value = context.choice(*save, "save", saveChoice())) {
                variable.save = *value;
                context.warnOutside(*save, "save", saveChoice(), *value);
            }
        }
        keys.finish();
        if (index) {
            warnOutsideList(context, *name, *index, kVariableCount, "V1 to V16");
            variable.index = *index;
            model.setVariable(*index - 1, variable);
        }
    }
}

void readTargets(ReadContext& context, const toml::node& node, ConfigModel& model) {
    RowNames names(context, "a network target (TCP1 to TCP4, UDP1 to UDP3)");
    for (const toml::table* table : tablesOf(context, node, "target")) {
        TableKeys keys(context, *table, "[[target]]");
        const toml::node* name = keys.require("name");
        std::optional<int32_t> index = names.take(name, targetRowIndex);
        NetTarget target;
        if (const toml::node* ip = keys.take("ip")) {
            target.ip = context.ip(*ip, "ip").value_or(0);
        }
        if (const toml::node* port = keys.take("port")) {
            target.port = static_cast<uint16_t>(context.port(*port, "port").value_or(0));
        }
        keys.finish();
        if (index) {
            warnOutsideList(context, *name, *index, kNetTargetCount, "TCP1 to UDP3");
            target.index = *index;
            model.setNetTarget(*index - 1, target);
        }
    }
}

namespace {

void readSettings(ReadContext& context, TableKeys& keys, int slot, EventSettings& settings) {
    for (auto [key, field] :
         {std::pair{"timeEnable", &settings.timeEnable}, std::pair{"addEnable", &settings.addEnable},
          std::pair{"addIsSend", &settings.addIsSend}}) {
        if (const toml::node* value = keys.take(key)) {
            *field = context.flag(*value, key).value_or(0);
            if (*field != 0 && *field != 1) {
                context.warning(value->source(), strprintf("%s: the dialog sets true or false", key));
            }
        }
    }
    for (auto [key, field] :
         {std::pair{"time", &settings.time}, std::pair{"addTimeOut", &settings.addTimeOut}}) {
        if (const toml::node* value = keys.take(key)) {
            *field = context.int32(*value, key).value_or(0);
        }
    }
    if (const toml::node* value = keys.take("addString")) {
        settings.addString =
            context.text(*value, "addString", [](std::string_view) { return rules::appendCommandNotGbk(); })
                .value_or(std::string());
        if (std::optional<rules::Refusal> refusal = rules::appendCommandProblem(settings)) {
            context.warning(value->source(), refusal->message);
        }
    }
    // The form disables 时间设置 on press events and 追加设置 on hold events.
    const toml::table& table = keys.table();
    if (eventOf(slot) == 0 && (settings.timeEnable != 0 || settings.time != 0)) {
        context.warning(table.source(),
                        "a press event has no time setting: the form cannot edit it and a write "
                        "does not send it");
    }
    const EventSettings defaults;
    if (eventOf(slot) == 2 &&
        (settings.addEnable != defaults.addEnable || settings.addTimeOut != defaults.addTimeOut ||
         settings.addIsSend != defaults.addIsSend || settings.addString != defaults.addString)) {
        context.warning(table.source(), "a hold event has no append setting: the form cannot edit it");
    }
}

}  // namespace

namespace {

// The slot an event's name stands for, or -1 after an error.
int slotOfName(ReadContext& context, const toml::node* name, std::map<int, int>& seen) {
    std::optional<std::string> text = name != nullptr ? context.string(*name, "name") : std::nullopt;
    if (!text) {
        return -1;
    }
    const int slot = eventSlot(*text).value_or(-1);
    if (slot < 0) {
        context.error(name->source(),
                      "name \"" + *text + "\" is not an event, such as \"按键3 弹起\" or \"IO1 变高\"");
        return -1;
    }
    auto [first, added] = seen.emplace(slot, static_cast<int>(name->source().begin.line));
    if (!added) {
        context.error(name->source(),
                      strprintf("%s is given twice (first on line %d)", text->c_str(), first->second));
        return -1;
    }
    if (slot >= kSelectableSlots) {
        context.warning(name->source(),
                        "the form offers no selector for " + *text + "; it is kept as the file holds it");
    }
    return slot;
}

}  // namespace

void readEvents(ReadContext& context, const toml::node& node, ConfigModel& model) {
    std::map<int, int> seen;  // slot -> line of its first table
    for (const toml::table* table : tablesOf(context, node, "event")) {
        TableKeys keys(context, *table, "[[event]]");
        const int slot = slotOfName(context, keys.require("name"), seen);
        // An event of unknown name is still read for its problems, as a release event.
        const int rulesSlot = slot >= 0 ? slot : 1;
        EventSettings settings;
        readSettings(context, keys, rulesSlot, settings);
        std::vector<KeyAction> actions;
        if (const toml::node* list = keys.take("action")) {
            readActions(context, rulesSlot, *list, actions);
        }
        keys.finish();
        if (slot >= 0) {
            model.eventSettings[static_cast<size_t>(slot)] = settings;
            model.actions[static_cast<size_t>(slot)] = std::move(actions);
        }
    }
}

}  // namespace velk::text
