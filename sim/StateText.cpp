#include "sim/StateText.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "model/StrPrintf.h"
#include "textform/TextWriter.h"

namespace velk::sim {
namespace {

// What a write never sends, so a panel cannot give it back: it reads as its default here.
const char* const kNeverSent[] = {
    "action ids: the actions of an event are numbered 0, 1, 2 in the order they arrived",
    "key actions (按键), and infrared, IO or relay actions without a channel the command names",
    "channels above 4 of infrared, IO and relay actions",
    "the settings of an event without actions; a time that is off, 0, or on a press event; the append "
    "time-out, mode and text of an event whose append is off",
    "the custom address of a network action sent to a target (TCP1..UDP3)",
    "an enumerated variable without values: written here as one empty value, the text's default; a "
    "project made by New holds it as none, and velkctl diff names each such E row",
    "how Ascii data was typed: its text is written as it is, '$' as $24 and other bytes as $hh",
    "blanks of 0 digits, and two Ascii blanks with nothing between them, whose marks run together",
    "numbers outside the form's lists that the command sends as another (a data type, operation, blank "
    "option or retention other than the listed ones)",
};

int32_t toInt32(long long value) {
    return static_cast<int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int32_t channelBits(const std::vector<long long>& numbers, size_t count) {
    int32_t bits = 0;
    for (size_t i = 0; i < count && i < numbers.size(); ++i) {
        if (numbers[i] >= 1 && numbers[i] <= 32) {
            bits |= static_cast<int32_t>(1u << (numbers[i] - 1));
        }
    }
    return bits;
}

int wordIndex(const std::string& word, std::initializer_list<const char*> words) {
    int index = 0;
    for (const char* candidate : words) {
        if (word == candidate) {
            return index;
        }
        ++index;
    }
    return 0;
}

Placeholder blankOf(const ParsedCommand& command) {
    const auto& n = command.numbers;
    const auto& w = command.words;
    Placeholder blank;
    if (w.empty()) {
        return blank;
    }
    if (w[0] == "input") {
        blank.kind = kKindInput;
        blank.modeIndex = w.size() > 1 ? wordIndex(w[1], {"full", "click", "count"}) : 0;
        if (blank.modeIndex == 2 && n.size() > 1) {
            blank.countIndex = toInt32(n[1] - 1);
        }
        blank.overflowIndex = wordIndex(w.back(), {"discard", "cut", "fill"});
    } else if (w[0] == "enum") {
        blank.kind = kKindEnum;
        blank.enumIndex = n.size() > 1 ? toInt32(n[1] - 1) : 0;
        blank.groupIndex = n.size() > 2 ? toInt32(n[2] - 1) : 0;
        blank.enumDirection = w.size() > 1 && w[1] == "sub" ? 1 : 0;
        blank.loopIndex = std::find(w.begin(), w.end(), "loop") != w.end() ? 0 : 1;
        blank.saveIndex = w.back() == "save" ? 0 : 1;
    } else {
        blank.kind = kKindVar;
        blank.varIndex = n.size() > 1 ? toInt32(n[1] - 1) : 0;
        blank.step = n.size() > 2 ? toInt32(n[2]) : 0;
        blank.interval = n.size() > 3 ? toInt32(n[3]) : 0;
        blank.varDirection = w.size() > 1 && w[1] == "sub" ? 1 : 0;
    }
    return blank;
}

bool isGbkPair(unsigned char lead, unsigned char trail) {
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// Ascii data as the composer holds it: printable ASCII and GBK characters as they are, "$24" for
// "$" and "$hh" for every other byte.
std::string typedAscii(const std::string& bytes) {
    std::string typed;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (i + 1 < bytes.size() && isGbkPair(byte, static_cast<unsigned char>(bytes[i + 1]))) {
            typed += bytes.substr(i, 2);
            ++i;
        } else if (byte == '$' || byte < 0x20 || byte >= 0x7F) {
            typed += strprintf("$%02x", byte);
        } else {
            typed += bytes[i];
        }
    }
    return typed;
}

// A data command's text cut back into segments around its blanks, the digits of each blank taken
// from its marks. False when the marks do not show the blanks one to one.
bool cutHex(const std::string& text, std::vector<Placeholder>& blanks, std::vector<std::string>& segments) {
    // The command is each segment, a space, then "** " per digit of the blank after it; hex segments
    // hold no "*", so every star is a mark.
    segments.clear();
    size_t pos = 0;
    size_t blank = 0;
    for (;;) {
        const size_t star = text.find('*', pos);
        if (star == std::string::npos) {
            segments.push_back(text.substr(pos));
            break;
        }
        const size_t end = star > pos && text[star - 1] == ' ' ? star - 1 : star;
        segments.push_back(text.substr(pos, end - pos));
        int digits = 0;
        pos = star;
        while (text.compare(pos, 2, "**") == 0) {
            ++digits;
            pos += 2;
            if (pos < text.size() && text[pos] == ' ') {
                ++pos;
            }
        }
        if (blank < blanks.size()) {
            blanks[blank].digits = digits;
        }
        ++blank;
    }
    return blank == blanks.size();
}

bool cutAscii(const std::string& text, std::vector<Placeholder>& blanks, std::vector<std::string>& segments) {
    segments.clear();
    size_t pos = 0;
    size_t blank = 0;
    for (;;) {
        const size_t star = text.find('*', pos);
        if (star == std::string::npos) {
            segments.push_back(typedAscii(text.substr(pos)));
            break;
        }
        segments.push_back(typedAscii(text.substr(pos, star - pos)));
        const size_t end = text.find_first_not_of('*', star);
        const size_t run = (end == std::string::npos ? text.size() : end) - star;
        if (blank < blanks.size()) {
            blanks[blank].digits = static_cast<int32_t>(run);
        }
        ++blank;
        pos = star + run;
    }
    return blank == blanks.size();
}

// One data action on its way: its setcode, then its blanks, until its destination.
struct DataAction {
    int32_t type = kAscii;
    std::string text;
    std::vector<Placeholder> blanks;
};

class EventReader {
public:
    EventReader(int slot, std::vector<std::string>& doubts) : m_slot(slot), m_doubts(doubts) {}

    void take(const ParsedCommand& command) {
        const auto& n = command.numbers;
        const auto& w = command.words;
        switch (command.kind) {
            case CommandKind::BindIr: {
                KeyAction action;
                action.function = FunctionCode::Infrared;
                action.irChannels = channelBits(n, n.empty() ? 0 : n.size() - 1);
                action.irCode = n.empty() ? 0 : toInt32(n.back());
                add(action);
                break;
            }
            case CommandKind::BindIo: {
                KeyAction action;
                action.function = FunctionCode::Io;
                action.ioChannels = channelBits(n, n.size());
                action.ioOperation = w.empty() ? 0 : wordIndex(w.back(), {"1", "0", "turn"});
                add(action);
                break;
            }
            case CommandKind::BindRelay: {
                KeyAction action;
                action.function = FunctionCode::Relay;
                action.relayChannels = channelBits(n, n.size());
                action.relayOperation = w.empty() ? 0 : wordIndex(w.back(), {"on", "off", "turn"});
                add(action);
                break;
            }
            case CommandKind::SetCode:
                endData();
                m_data = DataAction{};
                m_data->type = !w.empty() && w[0] == "hex" ? kHex : kAscii;
                m_data->text = command.text;
                break;
            case CommandKind::SetVoid:
                if (m_data) {
                    m_data->blanks.push_back(blankOf(command));
                }
                break;
            case CommandKind::SetDest:
                destination(command);
                break;
            case CommandKind::SetTime:
                m_settings.timeEnable = 1;
                m_settings.time = n.empty() ? 0 : toInt32(n[0]);
                break;
            case CommandKind::SetMode:
                m_settings.addEnable = 1;
                m_settings.addTimeOut = n.empty() ? 0 : toInt32(n[0]);
                m_settings.addIsSend = !w.empty() && w[0] == "send" ? 1 : 0;
                m_settings.addString = command.text;
                break;
            default:
                break;
        }
    }

    void finish(ConfigModel& model) {
        endData();
        model.actions[static_cast<size_t>(m_slot)] = m_actions;
        model.eventSettings[static_cast<size_t>(m_slot)] = m_settings;
    }

private:
    void add(KeyAction action) {
        endData();
        action.id = static_cast<int32_t>(m_actions.size());
        m_actions.push_back(std::move(action));
    }

    // Fills a send data from the data command and its blanks.
    void fill(SendData& data) {
        data.type = m_data->type;
        data.placeholders = m_data->blanks;
        data.varNum = static_cast<int32_t>(data.placeholders.size());
        const bool cut = data.type == kHex ? cutHex(m_data->text, data.placeholders, data.texts)
                                           : cutAscii(m_data->text, data.placeholders, data.texts);
        if (!cut || data.texts.size() != data.placeholders.size() + 1) {
            m_doubts.push_back(
                strprintf("%s: action %zu: the data's marks do not show its %zu blanks one to "
                          "one (a blank of 0 digits, or a \"*\" in Ascii data)",
                          eventName(m_slot).c_str(), m_actions.size(), data.placeholders.size()));
            data.texts.resize(data.placeholders.size() + 1);
        }
    }

    void destination(const ParsedCommand& command) {
        if (!m_data) {
            m_doubts.push_back(
                strprintf("%s: a destination without data before it", eventName(m_slot).c_str()));
            return;
        }
        const auto& n = command.numbers;
        const std::string word = command.words.empty() ? "" : command.words[0];
        KeyAction action;
        if (word == "TCP" || word == "UDP") {
            action.function = FunctionCode::Network;
            fill(action.network);
            const int32_t udp = word == "UDP" ? 1 : 0;
            if (n.size() >= 5) {
                action.network.channel = udp;
                action.network.ip = static_cast<uint32_t>(((n[0] & 0xFF) << 24) | ((n[1] & 0xFF) << 16) |
                                                          ((n[2] & 0xFF) << 8) | (n[3] & 0xFF));
                action.network.port = toInt32(n[4]);
            } else if (!n.empty()) {
                action.network.channel = toInt32(n[0] + (udp != 0 ? 5 : 1));
            }
        } else {
            action.function = FunctionCode::Serial;
            fill(action.serial);
            action.serial.channel = wordIndex(word, {"232-1", "232-2", "485"});
            if (n.size() >= 4) {
                action.serial.baudrate = toInt32(n[0]);
                action.serial.dataWidth = toInt32(n[1] - 5);
                action.serial.adjust = toInt32(n[2]);
                action.serial.stop = toInt32(n[3] - 1);
            }
        }
        m_data.reset();
        add(std::move(action));
    }

    // Data whose destination never came (a serial channel the command has no port word for).
    void endData() {
        if (!m_data) {
            return;
        }
        m_doubts.push_back(strprintf("%s: action %zu: data without a destination, left out",
                                     eventName(m_slot).c_str(), m_actions.size()));
        m_data.reset();
    }

    const int m_slot;
    std::vector<std::string>& m_doubts;
    std::vector<KeyAction> m_actions;
    EventSettings m_settings;
    std::optional<DataAction> m_data;
};

}  // namespace

HeldProject heldProject(const PanelSnapshot& held) {
    HeldProject project;
    ConfigModel& model = project.model;
    model.reset();
    for (size_t i = 0; i < held.enums.size(); ++i) {
        const HeldEnum& e = held.enums[i];
        if (!e.values.empty()) {
            EnumVariable& record = model.enums[static_cast<int>(i)];
            record.index = static_cast<int32_t>(i + 1);
            record.type = e.typeWord == "hex" ? kHex : kAscii;
            record.data = e.values;
        }
    }
    for (size_t i = 0; i < held.variables.size(); ++i) {
        const HeldVariable& v = held.variables[i];
        Variable& record = model.variables[static_cast<int>(i)];
        record.index = static_cast<int32_t>(i + 1);
        record.init = v.init;
        record.min = v.min;
        record.max = v.max;
        record.save = v.saveWord == "unsave" ? 1 : 0;
    }
    for (size_t i = 0; i < held.targets.size(); ++i) {
        NetTarget& record = model.netTargets[static_cast<int>(i)];
        record.index = static_cast<int32_t>(i + 1);
        record.ip = held.targets[i].ip;
        record.port = static_cast<uint16_t>(held.targets[i].port);
    }
    std::vector<bool> seen(kSlotCount, false);
    for (const EventBlock& block : held.events) {
        const int slot = (block.input - 1) * 3 + block.event;
        if (block.input < 1 || block.input > kSlotCount / 3 || block.event < 0 || block.event > 2) {
            project.doubts.push_back(
                strprintf("an event block of input %d, which the panel has not, left out", block.input));
            continue;
        }
        if (seen[static_cast<size_t>(slot)]) {
            project.doubts.push_back(eventName(slot) +
                                     ": opened twice since the last clear; the last one is kept");
        }
        seen[static_cast<size_t>(slot)] = true;
        EventReader reader(slot, project.doubts);
        for (const std::string& bytes : block.commands) {
            reader.take(parseCommand(bytes));
        }
        reader.finish(model);
    }
    return project;
}

std::string panelStateText(const PanelSnapshot& held, const PanelAddress& address) {
    const HeldProject project = heldProject(held);
    const PanelNetwork& network = held.network;
    std::string text = strprintf(
        "# What the simulated panel at %s holds, rebuilt from the commands it received.\n"
        "# Its network: ip %s, mask %s, gateway %s, MAC %s, TCP port %d, UDP port %d.\n"
        "# A write never sends these, so they read as their defaults here:\n",
        panelAddressText(address).c_str(), dottedAddress(network.ip).c_str(),
        dottedAddress(network.mask).c_str(), dottedAddress(network.gateway).c_str(),
        macText(network.mac).c_str(), network.tcpPort, network.udpPort);
    for (const char* line : kNeverSent) {
        text += std::string("#   ") + line + "\n";
    }
    if (held.editing) {
        text += "# The panel is still in edit mode: a write is under way or was broken off.\n";
    }
    for (const std::string& doubt : project.doubts) {
        text += "# Not exact: " + doubt + "\n";
    }
    return text + text::exportText(project.model);
}

}  // namespace velk::sim
