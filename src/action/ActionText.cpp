#include "action/ActionText.h"

#include "action/TextRules.h"
#include "model/Gbk.h"
#include "model/StrPrintf.h"

namespace velk {
namespace {

const char* pick(const char* const* table, int32_t count, int32_t position) {
    return (position >= 0 && position < count) ? table[position] : nullptr;
}

std::string orEmpty(const char* text) {
    return text ? text : "";
}

std::string networkChannelText(int32_t channel) {
    if (channel == 0) {
        return "TCP";
    }
    if (channel == 1) {
        return "UDP";
    }
    if (channel >= 2 && channel <= 5) {
        return strprintf("TCP%d", channel - 1);
    }
    if (channel >= 6) {
        return strprintf("UDP%lld", channel - 5LL);
    }
    return {};
}

std::string serialChannelText(int32_t channel) {
    return orEmpty(serialChannelEntry(channel));
}

}  // namespace

std::string ChannelListText(int32_t bits) {
    std::string text;
    for (int k = 0; k < 4; ++k) {
        if (bits & (1 << k)) {
            text += strprintf("%d,", k + 1);
        }
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::string SerialSettingsText(const SerialSendData& serial) {
    static const char* const parities[] = {"无,", "偶,", "奇,", "1,", "0,"};
    std::string text = serial.type == kAscii ? "Ascii," : "Hex,";
    text += orEmpty(baudRateText(serial.baudrate));
    text += strprintf(",%lld,", serial.dataWidth + 5LL);
    text += orEmpty(pick(parities, 5, serial.adjust));
    text += strprintf("%lld", serial.stop + 1LL);
    return text;
}

std::optional<ActionRowTexts> actionRowTextsOf(const KeyAction& a) {
    const char* label = functionLabel(a.function);
    switch (a.function) {
        case FunctionCode::Infrared:
            return ActionRowTexts{label, ChannelListText(a.irChannels), strprintf("ID:%d", a.irCode), ""};
        case FunctionCode::Io:
            return ActionRowTexts{label, ChannelListText(a.ioChannels),
                                  orEmpty(ioOperationText(a.ioOperation)), ""};
        case FunctionCode::Serial:
            return ActionRowTexts{label, serialChannelText(a.serial.channel), SerialSettingsText(a.serial),
                                  gbkToUtf8Lossy(FormatDataText(a.serial))};
        case FunctionCode::Network:
            return ActionRowTexts{label, networkChannelText(a.network.channel),
                                  a.network.type == kAscii ? "Ascii" : "Hex",
                                  gbkToUtf8Lossy(FormatDataText(a.network))};
        case FunctionCode::Relay:
            return ActionRowTexts{label, ChannelListText(a.relayChannels),
                                  orEmpty(relayOperationText(a.relayOperation)), ""};
        case FunctionCode::Key:
            return ActionRowTexts{label, strprintf("%d", a.keyChannel), "", ""};
    }
    return std::nullopt;
}

}  // namespace velk
