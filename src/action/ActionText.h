#pragma once

#include <array>
#include <optional>
#include <string>

#include "action/FormChoices.h"
#include "model/Records.h"

namespace velk {

// The four column texts of one row of the action list: 功能, 通道, 参数/操作, 数据. Display texts
// are UTF-8; the data column is the GBK data text converted for display.
using ActionRowTexts = std::array<std::string, 4>;

// Channel numbers of bits 0..3, comma-separated ("1,3" for 5); higher bits are ignored.
std::string ChannelListText(int32_t bits);

// "Ascii,115200,8,无,1" and the like; an out-of-range baud rate or parity contributes nothing.
std::string SerialSettingsText(const SerialSendData& serial);

// The row of one action, or nothing for a function code outside 0..5 (such actions get no row).
std::optional<ActionRowTexts> actionRowTextsOf(const KeyAction& action);

}  // namespace velk
