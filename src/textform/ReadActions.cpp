// The actions of one event in the text form: every function's fields, the data with its blanks,
// and the rules of what an event may hold.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "action/FormChoices.h"
#include "model/Gbk.h"
#include "model/StrPrintf.h"
#include "rules/CommandRules.h"
#include "rules/FieldRules.h"
#include "rules/FunctionRules.h"
#include "rules/RuleMessages.h"
#include "textform/Readers.h"
#include "textform/RecordFields.h"
#include "textform/TomlValues.h"

namespace velk::text {

namespace {

constexpr int kStoredBlanks = 10;  // placeholder column groups of a key table

void readChoiceInto(ReadContext& context, TableKeys& keys, const char* key, const Choice& list,
                    int32_t& field) {
    if (const toml::node* node = keys.take(key)) {
        if (std::optional<int32_t> value = context.choice(*node, key, list)) {
            field = *value;
            context.warnOutside(*node, key, list, *value);
        }
    }
}

// A number written from 1 ("count", "group") and stored from 0.
void readCountedInto(ReadContext& context, TableKeys& keys, const char* key, int32_t last, int32_t& field) {
    if (const toml::node* node = keys.take(key)) {
        if (std::optional<int32_t> value = context.int32(*node, key, 1)) {
            field = *value;
            context.warnOutside(*node, key, int64_t{*value} + 1, 1, last);
        }
    }
}

void readIntegerInto(ReadContext& context, TableKeys& keys, const char* key, int32_t& field) {
    if (const toml::node* node = keys.take(key)) {
        field = context.int32(*node, key).value_or(0);
    }
}

std::optional<Placeholder> readBlank(ReadContext& context, const toml::table& table, int number) {
    TableKeys keys(context, table, strprintf("blank %d", number));
    Placeholder p;
    const toml::node* sourceNode = keys.require("source");
    std::optional<std::string> source =
        sourceNode != nullptr ? context.string(*sourceNode, "source") : std::nullopt;
    bool ok = source.has_value();
    if (source) {
        std::optional<int64_t> e = numberAfter("E", *source);
        std::optional<int64_t> v = numberAfter("V", *source);
        const std::optional<int64_t> n = e ? e : v;
        if (*source == kInputSource) {
            p.kind = kKindInput;
        } else if (n && *n - 1 >= INT32_MIN && *n - 1 <= INT32_MAX) {
            p.kind = e ? kKindEnum : kKindVar;
            (e ? p.enumIndex : p.varIndex) = static_cast<int32_t>(*n - 1);
            context.warnOutside(*sourceNode, "source", *n, 1, e ? kEnumCount : kVariableCount);
        } else {
            context.error(sourceNode->source(),
                          "source \"" + *source + "\" is not Input, E1..E10 or V1..V16");
            ok = false;
        }
    }
    if (const toml::node* kindNode = keys.take("kind")) {
        if (std::optional<int32_t> kind = context.int32(*kindNode, "kind"); kind && ok) {
            if (*kind >= kKindInput && *kind <= kKindVar) {
                if (*kind != p.kind) {
                    context.error(kindNode->source(),
                                  strprintf("kind %d does not match source \"%s\"", *kind, source->c_str()));
                    ok = false;
                }
            } else if (p.kind != kKindVar) {
                context.error(kindNode->source(),
                              strprintf("a blank of kind %d is written with a V source", *kind));
                ok = false;
            } else {
                p.kind = *kind;
                context.warning(kindNode->source(),
                                strprintf("blank kind %d is none the composer knows; it is "
                                          "shown and sent as a V blank",
                                          *kind));
            }
        }
    }
    const toml::node* digits = keys.take("digits");
    if (digits != nullptr) {
        p.digits = context.int32(*digits, "digits").value_or(1);
    }
    context.warnOutside(digits != nullptr ? *digits : static_cast<const toml::node&>(table), "digits",
                        p.digits, kBlankDigits.first, kBlankDigits.last);
    if (ok) {
        switch (p.kind) {
            case kKindInput:
                readChoiceInto(context, keys, "mode", inputModeChoice(), p.modeIndex);
                readCountedInto(context, keys, "count", kInputBlankCounts.last, p.countIndex);
                readChoiceInto(context, keys, "overflow", overflowChoice(), p.overflowIndex);
                break;
            case kKindEnum:
                readCountedInto(context, keys, "group", kEnumBlankGroups.last, p.groupIndex);
                readChoiceInto(context, keys, "loop", yesNoChoice(), p.loopIndex);
                readChoiceInto(context, keys, "direction", directionChoice(), p.enumDirection);
                readChoiceInto(context, keys, "save", yesNoChoice(), p.saveIndex);
                break;
            default:
                readIntegerInto(context, keys, "step", p.step);
                readIntegerInto(context, keys, "interval", p.interval);
                readChoiceInto(context, keys, "direction", directionChoice(), p.varDirection);
                break;
        }
        keys.finish();
    }
    if (!ok) {
        return std::nullopt;
    }
    return p;
}

size_t characters(const std::string& gbk) {
    std::optional<std::string> utf8 = exactUtf8(gbk);
    if (!utf8) {
        return gbk.size();
    }
    return static_cast<size_t>(std::count_if(
        utf8->begin(), utf8->end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0u) != 0x80u; }));
}

// The composer's rules for each segment, as warnings: a project file can hold what it refuses.
void checkSegments(ReadContext& context, const std::vector<const toml::node*>& nodes, const toml::node& where,
                   int type, const std::vector<std::string>& texts) {
    const int t = static_cast<int>(texts.size());
    for (int i = 1; i <= t; ++i) {
        const std::string& text = texts[static_cast<size_t>(i - 1)];
        const toml::node& node = nodes.empty() ? where : *nodes[static_cast<size_t>(i - 1)];
        if (text.empty()) {
            if (!rules::emptySegmentAllowed(i, t)) {
                context.warning(node.source(), rules::segmentEmpty(i));
            }
            continue;
        }
        rules::SegmentContent content = rules::segmentContent(type, text);
        if (!content.stored) {
            context.warning(node.source(), content.refusal);
        } else if (*content.stored != text) {
            context.warning(node.source(), strprintf("segment %d is not in the Hex normal form; the composer "
                                                     "stores \"%s\"",
                                                     i, content.stored->c_str()));
        }
        if (const size_t length = characters(text); length > rules::kMaxSegmentCharacters) {
            context.warning(node.source(), rules::segmentTooLong(i, length));
        }
    }
}

void readData(ReadContext& context, TableKeys& keys, const toml::table& action, SendData& data) {
    data.texts = {std::string()};
    data.placeholders.clear();
    data.varNum = 0;
    const toml::node* node = keys.take("data");
    std::vector<const toml::node*> segmentNodes;
    if (node != nullptr) {
        const auto* list = node->as_array();
        if (list == nullptr || list->size() % 2 == 0) {
            context.error(node->source(),
                          "data is a list of segments with blanks between them: "
                          "[\"text\", { source = \"E1\", digits = 1 }, \"text\"]");
            return;
        }
        const size_t blanks = list->size() / 2;
        if (blanks > static_cast<size_t>(kStoredBlanks)) {
            context.error(node->source(),
                          strprintf("%zu blanks: a project file holds at most %d", blanks, kStoredBlanks));
            return;
        }
        if (blanks > static_cast<size_t>(kOfferedBlankCounts.last)) {
            context.warning(node->source(), strprintf("%zu blanks: the editor offers %d to %d", blanks,
                                                      kOfferedBlankCounts.first, kOfferedBlankCounts.last));
        }
        data.texts.clear();
        for (size_t j = 0; j < list->size(); ++j) {
            const toml::node& element = *list->get(j);
            if (j % 2 == 0) {
                const int segment = static_cast<int>(j / 2) + 1;
                data.texts.push_back(context
                                         .text(element, strprintf("segment %d", segment),
                                               [segment](std::string_view character) {
                                                   return rules::segmentNotGbk(segment, character);
                                               })
                                         .value_or(std::string()));
                segmentNodes.push_back(&element);
            } else if (const auto* blank = element.as_table()) {
                data.placeholders.push_back(
                    readBlank(context, *blank, static_cast<int>(j / 2) + 1).value_or(Placeholder{}));
            } else {
                context.error(element.source(),
                              strprintf("blank %zu must be a table such as { source = \"E1\", "
                                        "digits = 1 }",
                                        j / 2 + 1));
                data.placeholders.emplace_back();
            }
        }
        data.varNum = static_cast<int32_t>(blanks);
    }
    const toml::node& where = node != nullptr ? *node : static_cast<const toml::node&>(action);
    checkSegments(context, segmentNodes, where, data.type, data.texts);
    if (std::optional<rules::Refusal> refusal = rules::dataCommandProblem(data)) {
        context.warning(where.source(), refusal->message);
    }
}

void warnChannels(ReadContext& context, const toml::node* node, const toml::table& action, int32_t bits,
                  int channels, FunctionCode function) {
    const toml::node& where = node != nullptr ? *node : static_cast<const toml::node&>(action);
    if (std::optional<rules::Refusal> refusal = rules::channelsProblem(function, bits)) {
        context.warning(where.source(), refusal->message);
    } else if ((static_cast<uint32_t>(bits) >> channels) != 0) {
        const std::string* name = functionChoice().label(functionCodeValue(function));
        context.warning(where.source(),
                        strprintf("%s has channels 1 to %d", name != nullptr ? name->c_str() : "", channels));
    }
}

void readChannelsInto(ReadContext& context, TableKeys& keys, const toml::table& table, const char* key,
                      int channels, FunctionCode function, int32_t& field) {
    const toml::node* node = keys.take(key);
    if (node != nullptr) {
        std::optional<int32_t> bits = context.channels(*node, key);
        if (!bits) {
            return;
        }
        field = *bits;
    }
    warnChannels(context, node, table, field, channels, function);
}

struct ReadAction {
    KeyAction action;
    bool hasId = false;
    const toml::table* table = nullptr;
};

std::optional<ReadAction> readAction(ReadContext& context, const toml::table& table, const char* what) {
    TableKeys keys(context, table, what);
    ReadAction read;
    read.table = &table;
    KeyAction& a = read.action;
    if (const toml::node* id = keys.take("id")) {
        std::optional<int32_t> value = context.int32(*id, "id");
        a.id = value.value_or(0);
        read.hasId = value.has_value();
    }
    const toml::node* function = keys.require("function");
    std::optional<int32_t> code =
        function != nullptr ? context.choice(*function, "function", functionChoice()) : std::nullopt;
    std::optional<FunctionCode> stored = code ? functionCodeOf(*code) : std::nullopt;
    if (code && !stored) {
        context.error(function->source(), strprintf("function %d cannot be stored: a project file holds %s",
                                                    *code, functionChoice().listed().c_str()));
    }
    if (!stored) {
        return std::nullopt;
    }
    a.function = *stored;
    switch (a.function) {
        case FunctionCode::Infrared: {
            readChannelsInto(context, keys, table, "irChannels", 4, FunctionCode::Infrared, a.irChannels);
            const toml::node* irCode = keys.take("irCode");
            if (irCode != nullptr) {
                a.irCode = context.int32(*irCode, "irCode").value_or(0);
            }
            if (std::optional<rules::Refusal> refusal = rules::irCodeProblem(a.irCode)) {
                context.warning((irCode != nullptr ? irCode->source() : table.source()), refusal->message);
            }
            break;
        }
        case FunctionCode::Io:
            readChannelsInto(context, keys, table, "ioChannels", 2, FunctionCode::Io, a.ioChannels);
            readChoiceInto(context, keys, "ioOperation", ioOperationChoice(), a.ioOperation);
            break;
        case FunctionCode::Relay:
            readChannelsInto(context, keys, table, "relayChannels", 2, FunctionCode::Relay, a.relayChannels);
            readChoiceInto(context, keys, "relayOperation", relayOperationChoice(), a.relayOperation);
            break;
        case FunctionCode::Key:
            readIntegerInto(context, keys, "keyChannel", a.keyChannel);
            break;
        case FunctionCode::Network: {
            SendData& n = a.network;
            readChoiceInto(context, keys, "channel", networkChannelChoice(), n.channel);
            if (const toml::node* ip = keys.take("ip")) {
                n.ip = context.ip(*ip, "ip").value_or(0);
            }
            if (const toml::node* port = keys.take("port")) {
                n.port = context.port(*port, "port").value_or(0);
            }
            readChoiceInto(context, keys, "type", dataTypeChoice(), n.type);
            readData(context, keys, table, n);
            break;
        }
        case FunctionCode::Serial: {
            SerialSendData& s = a.serial;
            readChoiceInto(context, keys, "channel", serialChannelChoice(), s.channel);
            readChoiceInto(context, keys, "type", dataTypeChoice(), s.type);
            readChoiceInto(context, keys, "baudrate", baudRateChoice(), s.baudrate);
            readChoiceInto(context, keys, "dataWidth", dataWidthChoice(), s.dataWidth);
            readChoiceInto(context, keys, "adjust", parityChoice(), s.adjust);
            readChoiceInto(context, keys, "stop", stopChoice(), s.stop);
            readData(context, keys, table, s);
            break;
        }
    }
    keys.finish();
    return read;
}

}  // namespace

void readActions(ReadContext& context, int slot, const toml::node& node, std::vector<KeyAction>& actions) {
    std::vector<ReadAction> read;
    std::map<int32_t, int> ids;  // id -> line of the action that gives it
    for (const toml::table* table : tablesOf(context, node, "action")) {
        std::optional<ReadAction> action = readAction(context, *table, "[[event.action]]");
        if (!action) {
            continue;
        }
        if (action->hasId) {
            const toml::node* id = table->get("id");
            auto [first, added] = ids.emplace(action->action.id, static_cast<int>(id->source().begin.line));
            if (!added) {
                context.error(id->source(), strprintf("id %d is given twice in this event (first on "
                                                      "line %d)",
                                                      action->action.id, first->second));
                continue;
            }
        }
        read.push_back(std::move(*action));
    }
    // Actions without an id get the one the add command would give them, added in the text's
    // order: one above the largest id before them, passing over ids given further on.
    std::optional<int64_t> largest;
    for (ReadAction& action : read) {
        if (!action.hasId) {
            int64_t id = largest ? *largest + 1 : 0;
            while (id <= INT32_MAX && ids.count(static_cast<int32_t>(id)) != 0) {
                ++id;
            }
            if (id > INT32_MAX) {
                // Nothing above is free: the smallest free id, which runs in its id's place.
                id = 0;
                while (ids.count(static_cast<int32_t>(id)) != 0) {
                    ++id;
                }
            }
            action.action.id = static_cast<int32_t>(id);
            ids.emplace(action.action.id, static_cast<int>(action.table->source().begin.line));
        }
        largest = std::max<int64_t>(largest.value_or(INT64_MIN), action.action.id);
    }
    for (size_t i = 1; i < read.size(); ++i) {
        if (read[i].action.id < read[i - 1].action.id) {
            context.warning(read[i].table->source(),
                            strprintf("actions run in id order: id %d comes before id %d", read[i].action.id,
                                      read[i - 1].action.id));
        }
    }
    std::stable_sort(read.begin(), read.end(),
                     [](const ReadAction& a, const ReadAction& b) { return a.action.id < b.action.id; });

    // What the add command would refuse, in its own words: each action against those before it.
    ConfigModel held;
    std::vector<KeyAction>& before = held.actions.at(static_cast<size_t>(slot));
    for (const ReadAction& action : read) {
        if (std::optional<rules::Refusal> refusal = rules::addProblem(held, slot, action.action.function)) {
            context.warning(action.table->source(), refusal->message);
        }
        before.push_back(action.action);
        actions.push_back(action.action);
    }
}

void readActionList(ReadContext& context, const toml::node& node, std::vector<KeyAction>& actions) {
    for (const toml::table* table : tablesOf(context, node, "action")) {
        if (std::optional<ReadAction> action = readAction(context, *table, "[[action]]")) {
            actions.push_back(action->action);
        }
    }
}

}  // namespace velk::text
