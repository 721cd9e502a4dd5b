#include "device/Commands.h"

#include "action/ActionText.h"
#include "action/TextRules.h"
#include "device/PanelAddress.h"
#include "model/StrPrintf.h"

namespace velk {

std::string MakeIntoEdit() {
    return "QM-PANEL-intoEdit";
}
std::string MakeClearKeys() {
    return "QM-PANEL-clrkey-FF";
}
std::string MakeExitEdit() {
    return "QM-PANEL-exitedit";
}
std::string MakeKeyEdit(int inputNumber) {
    return strprintf("QM-PANEL-keyedit-%d->", inputNumber);
}

std::string MakeAddAct(int event) {
    if (event == 0) {
        return "addact-onkeydown->";
    }
    if (event == 2) {
        return "addact-onkeyhold->";
    }
    return "addact-onkeyup->";
}

std::string MakeBindIr(const KeyAction& action) {
    std::string list = ChannelListText(action.irChannels);
    if (list.empty()) {
        return {};
    }
    return strprintf("bindir-%s-%d->", list.c_str(), action.irCode);
}

namespace {

// IO and relay share the shape "<prefix><list><operation word>->"; nothing is sent without a
// channel among outputs 1..4 or with an unknown operation.
std::string bindOutputs(const char* prefix, int32_t channels, int32_t operation, const char* const words[3]) {
    std::string list = ChannelListText(channels);
    if (channels <= 0 || list.empty() || operation < 0 || operation > 2) {
        return {};
    }
    return strprintf("%s%s%s->", prefix, list.c_str(), words[operation]);
}

}  // namespace

std::string MakeBindIo(const KeyAction& action) {
    static const char* const words[3] = {"-1", "-0", "-turn"};
    return bindOutputs("bindio-", action.ioChannels, action.ioOperation, words);
}

std::string MakeBindRelay(const KeyAction& action) {
    static const char* const words[3] = {"-on", "-off", "-turn"};
    return bindOutputs("bindrelay-", action.relayChannels, action.relayOperation, words);
}

std::string MakeSetCode(const SendData& data) {
    const size_t blanks = data.placeholders.size();
    if (data.type != kAscii) {
        std::string text = "setcode-hex-";
        for (size_t k = 0; k <= blanks; ++k) {
            text += data.segmentAt(k);
            text += ' ';
            if (k < blanks) {
                text += starRun(data.placeholders[k].digits, "** ");
            }
        }
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                                 text.back() == '\n' || text.back() == '\v' || text.back() == '\f')) {
            text.pop_back();
        }
        return text;
    }
    std::string text = "setcode-ascii-";
    for (size_t k = 0; k <= blanks; ++k) {
        text += DecodeDollarEscapes(data.segmentAt(k));
        if (k < blanks) {
            text += starRun(data.placeholders[k].digits);
        }
    }
    return text;
}

std::string MakeSetVoid(const Placeholder& blank, int number) {
    std::string text = strprintf("setvoid-%02d-", number);
    if (blank.kind == kKindInput) {
        text += "input-";
        text += inputModeName(blank.modeIndex);
        text += "-";
        if (blank.modeIndex == 2) {
            text += strprintf("%d-", inputCount(blank.countIndex));
        }
        return text + overflowName(blank.overflowIndex);
    }
    if (blank.kind == kKindEnum) {
        text += strprintf("enum%lld-%lld-%s-", blank.enumIndex + 1LL, blank.groupIndex + 1LL,
                          blank.enumDirection != 0 ? "sub" : "add");
        if (blank.loopIndex == 0) {
            text += "loop-";
        }
        return text + (blank.saveIndex == 0 ? "save" : "unsave");
    }
    text += strprintf("var%lld-%d-%d-", blank.varIndex + 1LL, blank.step, blank.interval);
    return text + (blank.varDirection == 0 ? "add" : "sub");
}

std::string MakeSetDestNet(const SendData& network) {
    const int32_t channel = network.channel;
    if (channel == 0 || channel == 1) {
        return strprintf("setdest-%s-%s-%d", channel == 0 ? "TCP" : "UDP", dottedAddress(network.ip).c_str(),
                         network.port);
    }
    if (channel >= 2 && channel <= 5) {
        return strprintf("setdest-TCP-%d", channel - 1);
    }
    if (channel >= 6) {
        return strprintf("setdest-UDP-%lld", channel - 5LL);
    }
    return {};
}

std::string MakeSetDestSerial(const SerialSendData& serial) {
    static const char* const ports[] = {"232-1", "232-2", "485"};
    if (serial.channel < 0 || serial.channel > 2) {
        return {};
    }
    return strprintf("setdest-%s-%d-%lld-%d-%lld", ports[serial.channel], serial.baudrate,
                     serial.dataWidth + 5LL, serial.adjust, serial.stop + 1LL);
}

std::string MakeSetTime(int32_t time) {
    if (time == 0) {
        return {};
    }
    return strprintf("settime-%d", time);
}

std::string MakeSetMode(const EventSettings& settings) {
    if (settings.addEnable == 0) {
        return {};
    }
    return strprintf("setmode-add-%d-%s", settings.addTimeOut,
                     settings.addIsSend != 0 ? "send-" : "discard-") +
           settings.addString;
}

std::string MakeSetEnum(const EnumVariable& variable) {
    if (variable.data.size() <= 1 && (variable.data.empty() || variable.data.front().empty())) {
        return {};
    }
    std::string text =
        strprintf("QM-PANEL-setenum-%d-%s-", variable.index, variable.type == kHex ? "hex" : "ascii");
    for (size_t i = 0; i < variable.data.size(); ++i) {
        if (i > 0) {
            text += '#';
        }
        text += variable.data[i];
    }
    return text;
}

std::string MakeSetVar(const Variable& v) {
    if (v.init == 0 && v.min == 0 && v.max == 0 && v.save == 0) {
        return {};
    }
    return strprintf("QM-PANEL-setvar-%d-%d-%d-%d%s", v.index, v.init, v.min, v.max,
                     v.save != 0 ? "-unsave" : "-save");
}

const char* netTargetWord(int targetIndex) {
    return targetIndex <= 4 ? "TCP" : "UDP";
}

int netTargetNumber(int targetIndex) {
    return targetIndex <= 4 ? targetIndex : targetIndex - 4;
}

std::string MakeSetSer(const NetTarget& target) {
    if (target.ip == 0 && target.port == 0) {
        return {};
    }
    return strprintf("QM-PANEL-setser-%s-%d-%s-%d", netTargetWord(target.index),
                     netTargetNumber(target.index), dottedAddress(target.ip).c_str(), target.port);
}

std::string MakeGetEnum(int number) {
    return strprintf("QM-PANEL-getenum-%d", number);
}
std::string MakeGetVar(int number) {
    return strprintf("QM-PANEL-getvar-%d", number);
}
std::string MakeGetSer(int targetIndex) {
    return strprintf("QM-PANEL-getser-%s-%d", netTargetWord(targetIndex), netTargetNumber(targetIndex));
}
std::string MakeGetLan() {
    return "QM-PANEL-getlan";
}
std::string MakeSetIp(uint32_t address) {
    return "QM-PANEL-setip-" + dottedAddress(address);
}
std::string MakeSetSubm(uint32_t mask) {
    return "QM-PANEL-setsubm-" + dottedAddress(mask);
}
std::string MakeSetGate(uint32_t gateway) {
    return "QM-PANEL-setgate-" + dottedAddress(gateway);
}

std::string MakeSetMac(const std::array<uint8_t, 6>& mac) {
    return "QM-PANEL-setmac-" + macText(mac);
}

std::string MakeLearnIr(int id) {
    return strprintf("QM-PANEL-leairQM-PANEL-sndir-01-%02d", id);
}

}  // namespace velk
