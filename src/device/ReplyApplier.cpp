#include "device/ReplyApplier.h"

#include <algorithm>
#include <cctype>

#include "action/TextRules.h"
#include "model/ConfigModel.h"

namespace velk {

std::optional<EnumVariable> enumFromReply(const EnumReply& reply) {
    if (reply.number < 1 || reply.number > kEnumCount) {
        return std::nullopt;
    }
    EnumVariable variable;
    variable.index = reply.number;
    variable.type = reply.typeWord == "hex" ? kHex : kAscii;
    variable.data.clear();
    // One empty slot is a variable without values.
    if (reply.values.size() == 1 && reply.values[0].empty()) {
        return variable;
    }
    for (const std::string& value : reply.values) {
        if (variable.type == kAscii) {
            variable.data.push_back(value);
        } else if (auto bytes = ParseHexText(value); bytes && !bytes->empty()) {
            variable.data.push_back(hexNormalForm(*bytes));
        }
    }
    return variable;
}

std::optional<Variable> variableFromReply(const VariableReply& reply) {
    if (reply.number < 1 || reply.number > kVariableCount) {
        return std::nullopt;
    }
    std::string word = reply.word;
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    Variable variable;
    variable.index = reply.number;
    variable.init = reply.init;
    variable.min = reply.min;
    variable.max = reply.max;
    variable.save = word == "save" ? 0 : 1;
    return variable;
}

std::optional<NetTarget> netTargetFromReply(const NetTargetReply& reply) {
    // UDP1..UDP3 follow TCP1..TCP4; the number is checked before the offset so it cannot overflow.
    const bool udp = reply.word == "UDP";
    if (reply.number < 1 || reply.number > (udp ? 3 : kNetTargetCount)) {
        return std::nullopt;
    }
    NetTarget target;
    target.index = udp ? reply.number + 4 : reply.number;
    target.ip = reply.ip;
    target.port = static_cast<uint16_t>(static_cast<uint32_t>(reply.port) & 0xFFFF);
    return target;
}

void ParseResponse(std::string_view block, ReplyApplier& applier) {
    applyReply(readReply(block), applier);
}

void applyReply(const Reply& reply, ReplyApplier& applier) {
    if (const auto* enumReply = std::get_if<EnumReply>(&reply)) {
        if (auto variable = enumFromReply(*enumReply)) {
            applier.applyEnum(*variable);
        }
    } else if (const auto* target = std::get_if<NetTargetReply>(&reply)) {
        if (auto record = netTargetFromReply(*target)) {
            applier.applyNetTarget(*record);
        }
    } else if (const auto* variableReply = std::get_if<VariableReply>(&reply)) {
        if (auto variable = variableFromReply(*variableReply)) {
            applier.applyVariable(*variable);
        }
    } else if (const auto* state = std::get_if<StateReply>(&reply)) {
        applier.acknowledged(state->ack);
    } else if (const auto* network = std::get_if<PanelNetworkReply>(&reply)) {
        applier.panelNetworkReceived(*network);
    }
}

}  // namespace velk
