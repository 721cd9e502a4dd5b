#include "rules/RuleMessages.h"

#include "model/StrPrintf.h"
#include "rules/FieldRules.h"

namespace velk::rules {

const char* const kNotAnInteger = "请输入一个整数。";
const char* const kIrCodeRange = "红外ID范围 1~64";
const char* const kDataFormat = "数据格式错误";
const char* const kDollarEscape = "数据格式错误,\"$\"后两位数据不正确,\n\n若要输入\"$\"，请使用$24。";

const char* const kNoIrChannel = "请至少选择一个红外通道。";
const char* const kNoIoChannel = "请至少选择一个IO通道。";
const char* const kNoRelayChannel = "请至少选择一个继电器通道。";
const char* const kNoFunction = "请选择功能。";

const char* const kSlotFull = "添加功能已满！";
const char* const kKeyNotAdded = "添加时不能选择按键功能。";
const char* const kUnknownFunction = "未知的功能，无法添加。";
const char* const kHoldEventTakesData = "保持和拉低事件只能添加串口或网络功能。";

std::string kindAlreadyHeld(FunctionCode function) {
    const char* kind = "";
    switch (function) {
        case FunctionCode::Infrared:
            kind = "红外";
            break;
        case FunctionCode::Io:
            kind = "IO";
            break;
        case FunctionCode::Relay:
            kind = "继电器";
            break;
        case FunctionCode::Serial:
        case FunctionCode::Network:
            kind = "串口或网络";
            break;
        case FunctionCode::Key:
            kind = "按键";
            break;
    }
    return strprintf("本事件已有%s功能。", kind);
}

std::string enumValueEmpty(int row) {
    return strprintf("数据%d不能为空", row);
}

std::string enumValueNotHex(int row) {
    return strprintf("数据%d错误，hex格式的数据只能为数字和字母A到F", row);
}

std::string segmentEmpty(int segment) {
    return strprintf("文本%d  不能为空", segment);
}

std::string segmentTooLong(int segment, size_t characters) {
    return strprintf("文本%d  过长：最多%zu个字符，现有%zu个，请缩短后再试。", segment, kMaxSegmentCharacters,
                     characters);
}

std::string enumCommandTooLong(const std::string& name, size_t length, size_t limit) {
    return strprintf("%s的数据过长：写入指令共%zu字节，面板一次最多接收%zu字节，请缩短数据。", name.c_str(),
                     length, limit);
}

std::string dataCommandTooLong(size_t length, size_t limit) {
    return strprintf("发送的数据过长：写入指令共%zu字节，面板一次最多接收%zu字节，请缩短文本。", length,
                     limit);
}

std::string appendCommandTooLong(size_t length, size_t limit) {
    return strprintf("追加指令过长：写入指令共%zu字节，面板一次最多接收%zu字节，请缩短追加指令。", length,
                     limit);
}

std::string gbkRefused(std::string_view field) {
    return strprintf("%.*s中有GBK编码无法表示的字符，请修改后再确定。", static_cast<int>(field.size()),
                     field.data());
}

std::string enumValueNotGbk(int row) {
    return gbkRefused(strprintf("数据%d", row));
}

std::string appendCommandNotGbk() {
    return gbkRefused("追加指令");
}

std::string segmentNotGbk(int segment, std::string_view character) {
    return strprintf("文本%d  含有无法以GBK编码保存的字符“%.*s”，请删除或替换后再试。", segment,
                     static_cast<int>(character.size()), character.data());
}

}  // namespace velk::rules
