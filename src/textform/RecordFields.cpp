#include "textform/RecordFields.h"

#include "device/PanelAddress.h"
#include "model/ConfigModel.h"
#include "textform/TomlValues.h"
#include "textform/Vocabulary.h"

namespace velk::text {

namespace {

Field named(const std::string& key, const std::string& name) {
    return {key, tomlString(name), {}, {}, false};
}

Field field(const std::string& key, std::string value, bool atDefault) {
    return {key, std::move(value), {}, {}, atDefault};
}

Field integerField(const std::string& key, int64_t value, int64_t defaultValue = 0) {
    return field(key, tomlInteger(value), value == defaultValue);
}

Field choiceField(const std::string& key, const Choice& choice, int32_t position, int32_t defaultValue = 0) {
    return field(key, tomlChoice(choice, position), position == defaultValue);
}

Field flagField(const std::string& key, int32_t value) {
    return field(key, tomlFlag(value), value == 0);
}

Field channelsField(const std::string& key, int32_t bits) {
    return field(key, tomlChannels(bits), bits == 0);
}

// The blank's own options after source and digits, those at their default left out.
void addBlankOptions(std::vector<std::string>& parts, const Placeholder& p) {
    auto add = [&](const char* key, const std::string& value, bool atDefault) {
        if (!atDefault) {
            parts.push_back(std::string(key) + " = " + value);
        }
    };
    switch (p.kind) {
        case kKindInput:
            add("mode", tomlChoice(inputModeChoice(), p.modeIndex), p.modeIndex == 0);
            add("count", tomlInteger(p.countIndex + 1LL), p.countIndex == 0);
            add("overflow", tomlChoice(overflowChoice(), p.overflowIndex), p.overflowIndex == 0);
            break;
        case kKindEnum:
            add("group", tomlInteger(p.groupIndex + 1LL), p.groupIndex == 0);
            add("loop", tomlChoice(yesNoChoice(), p.loopIndex), p.loopIndex == 0);
            add("direction", tomlChoice(directionChoice(), p.enumDirection), p.enumDirection == 0);
            add("save", tomlChoice(yesNoChoice(), p.saveIndex), p.saveIndex == 0);
            break;
        default:
            add("step", tomlInteger(p.step), p.step == 0);
            add("interval", tomlInteger(p.interval), p.interval == 0);
            add("direction", tomlChoice(directionChoice(), p.varDirection), p.varDirection == 0);
            break;
    }
}

Field dataField(const SendData& data) {
    const size_t blanks = data.placeholders.size();
    std::vector<std::string> items;
    for (size_t k = 0; k <= blanks; ++k) {
        items.push_back(tomlText(data.segmentAt(k)));
        if (k < blanks) {
            items.push_back(blankText(data.placeholders[k]));
        }
    }
    std::string inlineText = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        inlineText += (i > 0 ? ", " : "") + items[i];
    }
    inlineText += "]";
    Field f = field("data", inlineText, blanks == 0 && data.segmentAt(0).empty());
    f.items = items;
    if (blanks > 0) {
        f.block = "[\n";
        for (const std::string& item : items) {
            f.block += "    " + item + ",\n";
        }
        f.block += "]";
    }
    return f;
}

}  // namespace

std::string blankText(const Placeholder& p) {
    std::vector<std::string> parts;
    switch (p.kind) {
        case kKindInput:
            parts.push_back("source = " + tomlString(kInputSource));
            break;
        case kKindEnum:
            parts.push_back("source = " + tomlString(enumSource(p.enumIndex)));
            break;
        case kKindVar:
            parts.push_back("source = " + tomlString(varSource(p.varIndex)));
            break;
        default:
            // A kind the composer does not know is kept, with its fields in the Var form.
            parts.push_back("kind = " + tomlInteger(p.kind));
            parts.push_back("source = " + tomlString(varSource(p.varIndex)));
            break;
    }
    parts.push_back("digits = " + tomlInteger(p.digits));
    addBlankOptions(parts, p);
    std::string text = "{ ";
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i > 0 ? ", " : "") + parts[i];
    }
    return text + " }";
}

Fields enumFields(const EnumVariable& e) {
    std::string values = "[";
    for (size_t k = 0; k < e.data.size(); ++k) {
        values += (k > 0 ? ", " : "") + tomlText(e.data[k]);
    }
    values += "]";
    return {named("name", enumName(e.index)), choiceField("type", dataTypeChoice(), e.type),
            field("values", values, e.data == std::vector<std::string>{std::string()})};
}

Fields variableFields(const Variable& v) {
    return {named("name", variableName(v.index)), integerField("init", v.init), integerField("min", v.min),
            integerField("max", v.max), choiceField("save", saveChoice(), v.save)};
}

Fields targetFields(const NetTarget& t) {
    return {named("name", netTargetName(t.index)), field("ip", tomlString(dottedAddress(t.ip)), t.ip == 0),
            integerField("port", t.port)};
}

Fields eventFields(int slot, const EventSettings& s) {
    return {named("name", eventName(slot)),
            flagField("timeEnable", s.timeEnable),
            integerField("time", s.time),
            flagField("addEnable", s.addEnable),
            integerField("addTimeOut", s.addTimeOut, kDefaultAppendTimeOut),
            flagField("addIsSend", s.addIsSend),
            field("addString", tomlText(s.addString), s.addString.empty())};
}

Fields actionFields(const KeyAction& a) {
    Fields fields = {field("id", tomlInteger(a.id), false),
                     field("function", tomlChoice(functionChoice(), functionCodeValue(a.function)), false)};
    auto append = [&](Fields more) { fields.insert(fields.end(), more.begin(), more.end()); };
    switch (a.function) {
        case FunctionCode::Infrared:
            append({channelsField("irChannels", a.irChannels), integerField("irCode", a.irCode)});
            break;
        case FunctionCode::Io:
            append({channelsField("ioChannels", a.ioChannels),
                    choiceField("ioOperation", ioOperationChoice(), a.ioOperation)});
            break;
        case FunctionCode::Relay:
            append({channelsField("relayChannels", a.relayChannels),
                    choiceField("relayOperation", relayOperationChoice(), a.relayOperation)});
            break;
        case FunctionCode::Key:
            append({integerField("keyChannel", a.keyChannel)});
            break;
        case FunctionCode::Network: {
            const SendData& n = a.network;
            append({choiceField("channel", networkChannelChoice(), n.channel),
                    field("ip", tomlString(dottedAddress(n.ip)), n.ip == 0), integerField("port", n.port),
                    choiceField("type", dataTypeChoice(), n.type), dataField(n)});
            break;
        }
        case FunctionCode::Serial: {
            const SerialSendData& s = a.serial;
            append({choiceField("channel", serialChannelChoice(), s.channel),
                    choiceField("type", dataTypeChoice(), s.type),
                    choiceField("baudrate", baudRateChoice(), s.baudrate),
                    choiceField("dataWidth", dataWidthChoice(), s.dataWidth, kDefaultDataWidth),
                    choiceField("adjust", parityChoice(), s.adjust),
                    choiceField("stop", stopChoice(), s.stop), dataField(s)});
            break;
        }
    }
    return fields;
}

}  // namespace velk::text
