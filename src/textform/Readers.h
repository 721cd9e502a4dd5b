#pragma once

#include <toml++/toml.h>
#include <map>

#include "model/ConfigModel.h"
#include "textform/ReadContext.h"

// The readers of the sections of the text form; each fills the model and reports to the context.
namespace velk::text {

void readEnums(ReadContext& context, const toml::node& node, ConfigModel& model);
void readVariables(ReadContext& context, const toml::node& node, ConfigModel& model);
void readTargets(ReadContext& context, const toml::node& node, ConfigModel& model);
void readEvents(ReadContext& context, const toml::node& node, ConfigModel& model);

// Reads the action tables of one event into its list, in id order, and applies the rules of what
// an event may hold.
void readActions(ReadContext& context, int slot, const toml::node& node, std::vector<KeyAction>& actions);

// The [[action]] tables of an action list in their order, without the rules of an event: the
// fragment of exportActions.
void readActionList(ReadContext& context, const toml::node& node, std::vector<KeyAction>& actions);

// A list row's name: nothing after an error (bad name, or one given before).
class RowNames {
public:
    RowNames(ReadContext& context, const char* section) : m_context(context), m_section(section) {}
    // Nothing for a missing name (the table reports that).
    std::optional<int32_t> take(const toml::node* name, std::optional<int32_t> (*parse)(std::string_view));

private:
    ReadContext& m_context;
    const char* m_section;
    std::map<int64_t, int> m_seen;  // number -> line of its first table
};

}  // namespace velk::text
