#include "sim/PanelState.h"

#include <climits>

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"

namespace velk::sim {
namespace {

bool fitsInt(long long value) {
    return value >= INT_MIN && value <= INT_MAX;
}

// Four octets read by the grammar into one address; false when one is above 255.
bool addressOf(const std::vector<long long>& numbers, size_t first, uint32_t& address) {
    if (numbers.size() < first + 4) {
        return false;
    }
    uint32_t result = 0;
    for (size_t i = first; i < first + 4; ++i) {
        if (numbers[i] < 0 || numbers[i] > 255) {
            return false;
        }
        result = (result << 8) | static_cast<uint32_t>(numbers[i]);
    }
    address = result;
    return true;
}

int eventOfWord(const std::string& word) {
    if (word == "onkeydown") {
        return 0;
    }
    return word == "onkeyhold" ? 2 : 1;
}

const char* eventName(int event) {
    static const char* const names[] = {"press", "release", "hold"};
    return event >= 0 && event <= 2 ? names[event] : "?";
}

// Target index 1..7 of "TCP"/"UDP" and its number, or 0 when there is no such target.
int targetIndexOf(const std::string& word, long long number) {
    if (word == "TCP" && number >= 1 && number <= 4) {
        return static_cast<int>(number);
    }
    if (word == "UDP" && number >= 1 && number <= 3) {
        return static_cast<int>(number) + 4;
    }
    return 0;
}

std::vector<std::string> splitValues(const std::string& text) {
    std::vector<std::string> values;
    if (text.empty()) {
        return values;
    }
    size_t start = 0;
    for (;;) {
        size_t hash = text.find('#', start);
        values.push_back(text.substr(start, hash == std::string::npos ? std::string::npos : hash - start));
        if (hash == std::string::npos) {
            return values;
        }
        start = hash + 1;
    }
}

std::string joinValues(const std::vector<std::string>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            text += '#';
        }
        text += values[i];
    }
    return text;
}

}  // namespace

const char* ackName(WriteAck ack) {
    switch (ack) {
        case ACK_CLEARED:
            return "clr";
        case ACK_ADDED:
            return "add";
        case ACK_EXITED:
            return "exit";
        case ACK_NONE:
            break;
    }
    return "none";
}

std::string panelNetworkReply(const PanelNetwork& network) {
    // The six lines the tool reads, then a name line: a panel's block is always longer than 180
    // characters, which six short lines alone are not.
    return strprintf(
        "QM-PANEL-rtnip-%s\r\nQM-PANEL-rtngate-%s\r\nQM-PANEL-rtnsubm-%s\r\nQM-PANEL-rtnmac-%s\r\n"
        "QM-PANEL-rtntport-%d\r\nQM-PANEL-rtnuport-%d\r\nQM-PANEL-rtnname-velk-panel-sim\r\n",
        dottedAddress(network.ip).c_str(), dottedAddress(network.gateway).c_str(),
        dottedAddress(network.mask).c_str(), macText(network.mac).c_str(), network.tcpPort, network.udpPort);
}

Outcome PanelState::apply(const ParsedCommand& command) {
    const auto& numbers = command.numbers;
    const auto& words = command.words;
    Outcome outcome;
    switch (command.kind) {
        case CommandKind::IntoEdit:
            m_held.editing = true;
            outcome.note = "edit mode on";
            break;
        case CommandKind::ClearKeys:
            outcome.note = strprintf("key programs cleared (%zu event blocks)", m_held.events.size());
            m_held.events.clear();
            outcome.reply = "QM-PANEL-rtnstate-clr ok 16";
            outcome.ack = ACK_CLEARED;
            break;
        case CommandKind::ExitEdit:
            m_held.editing = false;
            outcome.note = strprintf("edit mode off, %zu event blocks held", m_held.events.size());
            outcome.reply = "QM-PANEL-rtnstate-edit exit";
            outcome.ack = ACK_EXITED;
            break;
        case CommandKind::KeyEdit:
            m_pendingInput = fitsInt(numbers[0]) ? static_cast<int>(numbers[0]) : 0;
            outcome.note = strprintf("key edit of input %d, waiting for its event", m_pendingInput);
            break;
        case CommandKind::EventHeader:
        case CommandKind::AddAct: {
            EventBlock block;
            if (command.kind == CommandKind::EventHeader) {
                block.input = fitsInt(numbers[0]) ? static_cast<int>(numbers[0]) : 0;
            } else {
                block.input = m_pendingInput;
            }
            m_pendingInput = 0;
            block.event = eventOfWord(words.back());
            outcome.note = strprintf("event block: input %d %s", block.input, eventName(block.event));
            m_held.events.push_back(std::move(block));
            outcome.reply = "QM-PANEL-rtnstate-add ok";
            outcome.ack = ACK_ADDED;
            break;
        }
        case CommandKind::BindIr:
        case CommandKind::BindIo:
        case CommandKind::BindRelay:
        case CommandKind::SetCode:
        case CommandKind::SetVoid:
        case CommandKind::SetDest:
        case CommandKind::SetTime:
        case CommandKind::SetMode:
            return applySubCommand(command);
        case CommandKind::SetEnum: {
            if (numbers[0] < 1 || numbers[0] > 10) {
                outcome.note = strprintf("ignored: no enumerated variable E%lld", numbers[0]);
                break;
            }
            HeldEnum& held = m_held.enums[static_cast<size_t>(numbers[0] - 1)];
            held.typeWord = words[0];
            held.values = splitValues(command.text);
            outcome.note =
                strprintf("E%lld = %s, %zu values", numbers[0], held.typeWord.c_str(), held.values.size());
            break;
        }
        case CommandKind::SetVar: {
            if (numbers[0] < 1 || numbers[0] > 16) {
                outcome.note = strprintf("ignored: no variable V%lld", numbers[0]);
                break;
            }
            if (!fitsInt(numbers[1]) || !fitsInt(numbers[2]) || !fitsInt(numbers[3])) {
                outcome.note = "ignored: value outside int";
                break;
            }
            HeldVariable& held = m_held.variables[static_cast<size_t>(numbers[0] - 1)];
            held.init = static_cast<int>(numbers[1]);
            held.min = static_cast<int>(numbers[2]);
            held.max = static_cast<int>(numbers[3]);
            held.saveWord = words[0];
            outcome.note = strprintf("V%lld = init %d, min %d, max %d, %s", numbers[0], held.init, held.min,
                                     held.max, held.saveWord.c_str());
            break;
        }
        case CommandKind::SetSer: {
            int index = targetIndexOf(words[0], numbers[0]);
            uint32_t ip = 0;
            if (index == 0 || !addressOf(numbers, 1, ip) || !fitsInt(numbers[5])) {
                outcome.note = "ignored: no such network target or a bad address";
                break;
            }
            HeldTarget& held = m_held.targets[static_cast<size_t>(index - 1)];
            held.ip = ip;
            held.port = static_cast<int>(numbers[5]);
            outcome.note = strprintf("%s%lld = %s:%d", words[0].c_str(), numbers[0],
                                     dottedAddress(ip).c_str(), held.port);
            break;
        }
        case CommandKind::GetEnum: {
            if (numbers[0] < 1 || numbers[0] > 10) {
                outcome.note = strprintf("not answered: no enumerated variable E%lld", numbers[0]);
                break;
            }
            const HeldEnum& held = m_held.enums[static_cast<size_t>(numbers[0] - 1)];
            outcome.reply = strprintf("QM-PANEL-rtnenum-%lld-%s-", numbers[0], held.typeWord.c_str()) +
                            joinValues(held.values);
            outcome.note = strprintf("answer E%lld", numbers[0]);
            break;
        }
        case CommandKind::GetVar: {
            if (numbers[0] < 1 || numbers[0] > 16) {
                outcome.note = strprintf("not answered: no variable V%lld", numbers[0]);
                break;
            }
            const HeldVariable& held = m_held.variables[static_cast<size_t>(numbers[0] - 1)];
            outcome.reply = strprintf("QM-PANEL-rtnvar-%lld-%d-%d-%d-%s", numbers[0], held.init, held.min,
                                      held.max, held.saveWord.c_str());
            outcome.note = strprintf("answer V%lld", numbers[0]);
            break;
        }
        case CommandKind::GetSer: {
            int index = targetIndexOf(words[0], numbers[0]);
            if (index == 0) {
                outcome.note =
                    strprintf("not answered: no network target %s%lld", words[0].c_str(), numbers[0]);
                break;
            }
            const HeldTarget& held = m_held.targets[static_cast<size_t>(index - 1)];
            outcome.reply = strprintf("QM-PANEL-rtnser-%s-%lld-%s-%d", words[0].c_str(), numbers[0],
                                      dottedAddress(held.ip).c_str(), held.port);
            outcome.note = strprintf("answer %s%lld", words[0].c_str(), numbers[0]);
            break;
        }
        case CommandKind::GetLan:
            outcome.reply = panelNetworkReply(m_held.network);
            outcome.note = "answer panel network";
            break;
        case CommandKind::SetIp:
        case CommandKind::SetSubm:
        case CommandKind::SetGate: {
            uint32_t address = 0;
            if (!addressOf(numbers, 0, address)) {
                outcome.note = "ignored: octet above 255";
                break;
            }
            const char* what = "IP address";
            uint32_t* field = &m_held.network.ip;
            if (command.kind == CommandKind::SetSubm) {
                what = "subnet mask";
                field = &m_held.network.mask;
            } else if (command.kind == CommandKind::SetGate) {
                what = "gateway";
                field = &m_held.network.gateway;
            }
            *field = address;
            outcome.note = strprintf("%s now %s", what, dottedAddress(address).c_str());
            break;
        }
        case CommandKind::SetMac:
            for (size_t i = 0; i < 6; ++i) {
                m_held.network.mac[i] = static_cast<uint8_t>(numbers[i]);
            }
            outcome.note = "MAC address now " + macText(m_held.network.mac);
            break;
        case CommandKind::LearnIr:
            if (numbers.size() == 2 && fitsInt(numbers[1])) {
                m_held.learnedIr.push_back(static_cast<int>(numbers[1]));
                outcome.note = strprintf("learning infrared code %lld", numbers[1]);
            } else {
                outcome.note = "learning infrared code without an id";
            }
            break;
        case CommandKind::SendIr:
            outcome.note = strprintf("send infrared code %lld", numbers[1]);
            break;
        case CommandKind::Unknown:
            outcome.note = "unknown command, ignored";
            break;
    }
    return outcome;
}

Outcome PanelState::applySubCommand(const ParsedCommand& command) {
    Outcome outcome;
    if (m_held.events.empty()) {
        outcome.note = strprintf("ignored: %s outside an event block", commandKindName(command.kind));
        return outcome;
    }
    EventBlock& block = m_held.events.back();
    block.commands.push_back(command.bytes);
    outcome.note =
        strprintf("%s for input %d %s", commandKindName(command.kind), block.input, eventName(block.event));
    return outcome;
}

}  // namespace velk::sim
