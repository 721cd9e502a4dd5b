#include "rules/RuleMessages.h"

#include "model/StrPrintf.h"

namespace velk::rules {

const char* const kNotAnInteger = "请输入一个整数。";
const char* const kIrCodeRange = "红外ID范围 1~64";
const char* const kDataFormat = "数据格式错误";
const char* const kDollarEscape = "数据格式错误,\"$\"后两位数据不正确,\n\n若要输入\"$\"，请使用$24。";

std::string enumValueEmpty(int row) {
    return strprintf("数据%d不能为空", row);
}

std::string enumValueNotHex(int row) {
    return strprintf("数据%d错误，hex格式的数据只能为数字和字母A到F", row);
}

std::string segmentEmpty(int segment) {
    return strprintf("文本%d  不能为空", segment);
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
