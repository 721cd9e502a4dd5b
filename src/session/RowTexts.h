#pragma once

#include <array>
#include <string>

#include "model/Records.h"

namespace velk {

// Column texts of the fixed lists, UTF-8.
using EnumRowTexts = std::array<std::string, 4>;      // 序号, 类型, 数目, 数据列表
using VariableRowTexts = std::array<std::string, 5>;  // 序号, 初始值, 最小值, 最大值, 掉电保存
using NetTargetRowTexts = std::array<std::string, 3>;  // 通道, IP地址, 端口

struct EventSettingsTexts {
    std::string timeText;     // "时间：300ms" or "时间：关闭"
    std::string appendLine1;  // "功能：开启    超时时间：5000ms    超时发送：不发送"
    std::string appendLine2;  // "追加指令：..."
    bool timeButtonEnabled = false;
    bool appendButtonEnabled = false;

    bool operator==(const EventSettingsTexts&) const = default;
};

EnumRowTexts enumRowTexts(int row, const EnumVariable& variable);
VariableRowTexts variableRowTexts(int row, const Variable& variable);
NetTargetRowTexts netTargetRowTexts(int row, const NetTarget& target);
EventSettingsTexts eventSettingsTexts(int slot, const EventSettings& settings, bool projectOpen);

// "'a', 'b'" - each value between single quotes, joined by "', '".
std::string quotedValueList(const std::vector<std::string>& values);

}  // namespace velk
