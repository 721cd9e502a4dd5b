#pragma once

#include <cstdint>

#include "model/Records.h"

// The lists the action editor and its composer offer, entry by entry in their order, and the
// ranges of their number lists. The editors fill their lists from here and the display texts and
// the text form name the entries from here, so each list exists once. Every function gives entry k
// of its list, or nullptr past its end.
namespace velk {

using ChoiceEntry = const char* (*)(int32_t);

// "红外", "IO", "串口", "网络", "继电器", "按键": the function list, the action list's 功能 column
// and the text form's function names.
const char* functionLabel(FunctionCode function);

const char* baudRateText(int32_t baudrate);         // "115200", "600", ... "57600"
const char* ioOperationText(int32_t operation);     // "置高", "置低", "反转"
const char* relayOperationText(int32_t operation);  // "打开", "关闭", "反转"
const char* networkChannelEntry(int32_t channel);  // "TCP(自定义地址)", "UDP(自定义地址)", "TCP1", ...
const char* serialChannelEntry(int32_t channel);  // "RS232-1", "RS232-2"
const char* dataTypeEntry(int32_t type);          // "Ascii", "Hex"
const char* dataWidthEntry(int32_t width);        // "5位" ... "8位"
const char* parityEntry(int32_t parity);          // "无校验", "偶校验", ...
const char* stopBitsEntry(int32_t stop);          // "1位", "2位"
const char* inputModeEntry(int32_t mode);         // "full", "click", "count"
const char* overflowEntry(int32_t overflow);      // "不发送", "裁剪", "填入"
const char* yesNoEntry(int32_t answer);           // "是", "否" (a blank's 循环 and 保存)
const char* directionEntry(int32_t direction);    // "add", "sub"

// A list of numbers, first..last.
struct NumberRange {
    int first;
    int last;
};
constexpr NumberRange kOfferedBlankCounts{0, 6};  // 变量数; a project file holds up to 10
constexpr NumberRange kBlankDigits{1, 10};        // 位数
constexpr NumberRange kEnumBlankGroups{1, 20};    // 分组
constexpr NumberRange kInputBlankCounts{1, 5};    // 次数

}  // namespace velk
