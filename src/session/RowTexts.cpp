#include "session/RowTexts.h"

#include "device/PanelAddress.h"
#include "model/ConfigModel.h"
#include "model/Gbk.h"
#include "model/StrPrintf.h"

namespace velk {

std::string quotedValueList(const std::vector<std::string>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        text += i == 0 ? "'" : "', '";
        text += gbkToUtf8Lossy(values[i]);
    }
    if (!values.empty()) {
        text += "'";
    }
    return text;
}

EnumRowTexts enumRowTexts(int row, const EnumVariable& variable) {
    return {strprintf("E%d", row + 1), variable.type == kAscii ? "Ascii" : "Hex",
            strprintf("%zu", variable.data.size()), quotedValueList(variable.data)};
}

VariableRowTexts variableRowTexts(int row, const Variable& v) {
    return {strprintf("V%d", row + 1), strprintf("%d", v.init), strprintf("%d", v.min),
            strprintf("%d", v.max), v.save == 0 ? "保存" : "不保存"};
}

NetTargetRowTexts netTargetRowTexts(int row, const NetTarget& target) {
    return {netTargetName(row + 1), dottedAddress(target.ip), strprintf("%d", target.port)};
}

EventSettingsTexts eventSettingsTexts(int slot, const EventSettings& s, bool projectOpen) {
    EventSettingsTexts texts;
    texts.timeText = s.timeEnable != 0 ? strprintf("时间：%dms", s.time) : "时间：关闭";
    texts.appendLine1 =
        std::string(s.addEnable != 0 ? "功能：开启    超时时间：" : "功能：关闭    超时时间：") +
        strprintf("%dms", s.addTimeOut) + (s.addIsSend != 0 ? "    超时发送：发送" : "    超时发送：不发送");
    texts.appendLine2 = "追加指令：" + gbkToUtf8Lossy(s.addString);
    texts.timeButtonEnabled = projectOpen && slot % 3 != 0;
    texts.appendButtonEnabled = projectOpen && slot % 3 != 2;
    return texts;
}

}  // namespace velk
