#include "action/FormChoices.h"

#include <cstddef>

namespace velk {
namespace {

template <size_t N>
const char* entryOf(const char* const (&list)[N], int32_t k) {
    return k >= 0 && static_cast<size_t>(k) < N ? list[k] : nullptr;
}

}  // namespace

const char* functionLabel(FunctionCode function) {
    switch (function) {
        case FunctionCode::Infrared:
            return "红外";
        case FunctionCode::Io:
            return "IO";
        case FunctionCode::Serial:
            return "串口";
        case FunctionCode::Network:
            return "网络";
        case FunctionCode::Relay:
            return "继电器";
        case FunctionCode::Key:
            return "按键";
    }
    return "";
}

const char* baudRateText(int32_t baudrate) {
    static const char* const rates[] = {"115200", "600",   "1200",  "2400",  "4800",
                                        "9600",   "14400", "19200", "38400", "57600"};
    return entryOf(rates, baudrate);
}

const char* ioOperationText(int32_t operation) {
    static const char* const names[] = {"置高", "置低", "反转"};
    return entryOf(names, operation);
}

const char* relayOperationText(int32_t operation) {
    static const char* const names[] = {"打开", "关闭", "反转"};
    return entryOf(names, operation);
}

const char* networkChannelEntry(int32_t channel) {
    static const char* const names[] = {
        "TCP(自定义地址)", "UDP(自定义地址)", "TCP1", "TCP2", "TCP3", "TCP4", "UDP1", "UDP2", "UDP3"};
    return entryOf(names, channel);
}

const char* serialChannelEntry(int32_t channel) {
    static const char* const names[] = {"RS232-1", "RS232-2"};
    return entryOf(names, channel);
}

const char* dataTypeEntry(int32_t type) {
    static const char* const names[] = {"Ascii", "Hex"};
    return entryOf(names, type);
}

const char* dataWidthEntry(int32_t width) {
    static const char* const names[] = {"5位", "6位", "7位", "8位"};
    return entryOf(names, width);
}

const char* parityEntry(int32_t parity) {
    static const char* const names[] = {"无校验", "偶校验", "奇校验", "强制1校验", "强制0校验"};
    return entryOf(names, parity);
}

const char* stopBitsEntry(int32_t stop) {
    static const char* const names[] = {"1位", "2位"};
    return entryOf(names, stop);
}

const char* inputModeEntry(int32_t mode) {
    static const char* const names[] = {"full", "click", "count"};
    return entryOf(names, mode);
}

const char* overflowEntry(int32_t overflow) {
    static const char* const names[] = {"不发送", "裁剪", "填入"};
    return entryOf(names, overflow);
}

const char* yesNoEntry(int32_t answer) {
    static const char* const names[] = {"是", "否"};
    return entryOf(names, answer);
}

const char* directionEntry(int32_t direction) {
    static const char* const names[] = {"add", "sub"};
    return entryOf(names, direction);
}

}  // namespace velk
