#include "textform/ProjectDiff.h"

#include <algorithm>
#include <map>

#include "model/ConfigModel.h"
#include "textform/RecordFields.h"
#include "textform/Vocabulary.h"

namespace velk::text {

namespace {

// The record's name as it stands in its first field, without the quotes.
std::string nameOf(const Fields& fields) {
    const std::string& quoted = fields.front().value;
    return quoted.substr(1, quoted.size() - 2);
}

// The fields after the name, for "added" and "removed" lines.
std::string summary(const Fields& fields) {
    std::string text;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (!fields[i].atDefault) {
            text += (text.empty() ? "" : ", ") + fields[i].key + " = " + fields[i].value;
        }
    }
    return text;
}

std::string withSummary(const std::string& line, const Fields& fields) {
    std::string rest = summary(fields);
    return rest.empty() ? line : line + ": " + rest;
}

// One line per field whose value differs; both lists come from the same function, so they hold
// the same keys in the same order unless the function changed.
void fieldChanges(std::vector<std::string>& out, const std::string& prefix, const Fields& a,
                  const Fields& b) {
    std::map<std::string, const Field*> before;
    for (const Field& f : a) {
        before.emplace(f.key, &f);
    }
    for (const Field& f : b) {
        auto it = before.find(f.key);
        const std::string old = it != before.end() ? it->second->value : "(none)";
        if (old == f.value) {
            continue;
        }
        if (it != before.end() && !f.items.empty() && it->second->items.size() == f.items.size()) {
            // Data of the same shape: only the segments and blanks that changed.
            for (size_t j = 0; j < f.items.size(); ++j) {
                if (it->second->items[j] != f.items[j]) {
                    out.push_back(prefix + f.key + (j % 2 == 0 ? " segment " : " blank ") +
                                  std::to_string(j / 2 + 1) + " " + it->second->items[j] + " -> " +
                                  f.items[j]);
                }
            }
            continue;
        }
        out.push_back(prefix + f.key + " " + old + " -> " + f.value);
    }
    for (const Field& f : a) {
        if (std::none_of(b.begin(), b.end(), [&](const Field& g) { return g.key == f.key; })) {
            out.push_back(prefix + f.key + " " + f.value + " -> (none)");
        }
    }
}

template <typename Map, typename FieldsOf>
void diffRows(std::vector<std::string>& out, const Map& a, const Map& b, FieldsOf fieldsOf) {
    std::map<int, std::pair<const typename Map::mapped_type*, const typename Map::mapped_type*>> rows;
    for (const auto& [key, record] : a) {
        rows[key].first = &record;
    }
    for (const auto& [key, record] : b) {
        rows[key].second = &record;
    }
    for (const auto& [key, pair] : rows) {
        const auto [before, after] = pair;
        if (before != nullptr && after != nullptr) {
            if (!(*before == *after)) {
                Fields fields = fieldsOf(*before);
                fieldChanges(out, nameOf(fields) + ": ", fields, fieldsOf(*after));
            }
            continue;
        }
        Fields fields = fieldsOf(before != nullptr ? *before : *after);
        out.push_back(withSummary(nameOf(fields) + (before != nullptr ? " removed" : " added"), fields));
    }
}

void diffActions(std::vector<std::string>& out, const std::string& event, const std::vector<KeyAction>& a,
                 const std::vector<KeyAction>& b) {
    std::map<int32_t, std::pair<const KeyAction*, const KeyAction*>> actions;
    for (const KeyAction& action : a) {
        actions[action.id].first = &action;
    }
    for (const KeyAction& action : b) {
        actions[action.id].second = &action;
    }
    for (const auto& [id, pair] : actions) {
        const auto [before, after] = pair;
        const std::string prefix = event + ": action " + std::to_string(id);
        if (before != nullptr && after != nullptr) {
            if (!(*before == *after)) {
                fieldChanges(out, prefix + ": ", actionFields(*before), actionFields(*after));
            }
        } else {
            out.push_back(withSummary(prefix + (before != nullptr ? " removed" : " added"),
                                      actionFields(before != nullptr ? *before : *after)));
        }
    }
}

}  // namespace

std::vector<std::string> diffProjects(const ConfigModel& a, const ConfigModel& b) {
    std::vector<std::string> out;
    diffRows(out, a.enums, b.enums, enumFields);
    diffRows(out, a.variables, b.variables, variableFields);
    diffRows(out, a.netTargets, b.netTargets, targetFields);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<size_t>(slot);
        const std::string event = eventName(slot);
        if (!(a.eventSettings[s] == b.eventSettings[s])) {
            fieldChanges(out, event + ": ", eventFields(slot, a.eventSettings[s]),
                         eventFields(slot, b.eventSettings[s]));
        }
        diffActions(out, event, a.actions[s], b.actions[s]);
    }
    return out;
}

}  // namespace velk::text
