#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The words of the text form: the names of list rows and events, and the entries of the form's
// choice lists, each standing for its 0-based position.
namespace velk::text {

// A choice list of the form; position k is labels[k].
struct Choice {
    std::vector<std::string> labels;

    // The position of a label, or nothing.
    std::optional<int32_t> position(std::string_view label) const;
    // The label of a position, or nothing outside the list.
    const std::string* label(int32_t position) const;
    bool holds(int32_t position) const { return label(position) != nullptr; }
    // "\"a\", \"b\"" for messages.
    std::string listed() const;
};

const Choice& dataTypeChoice();        // Ascii, Hex
const Choice& saveChoice();            // 保存, 不保存 (a variable's retention)
const Choice& functionChoice();        // by function code 0..5
const Choice& ioOperationChoice();     // 置高, 置低, 反转
const Choice& relayOperationChoice();  // 打开, 关闭, 反转
const Choice& networkChannelChoice();  // TCP(自定义地址) .. UDP3
const Choice& serialChannelChoice();   // RS232-1, RS232-2
const Choice& baudRateChoice();
const Choice& dataWidthChoice();
const Choice& parityChoice();
const Choice& stopChoice();
const Choice& inputModeChoice();  // full, click, count
const Choice& overflowChoice();   // 不发送, 裁剪, 填入
const Choice& yesNoChoice();      // 是, 否 (loop and save of an Enum blank)
const Choice& directionChoice();  // add, sub

// The index a list row's name stands for. The names are the model's (enumName, variableName and
// netTargetName in model/ConfigModel.h: E<index>, V<index>, TCP<index> for index <= 4 and
// UDP<index - 4> above); any 32-bit index has one (rows of foreign files included) and each name
// reads back as its index.
std::optional<int32_t> enumRowIndex(std::string_view name);
std::optional<int32_t> variableRowIndex(std::string_view name);
std::optional<int32_t> targetRowIndex(std::string_view name);

// The slot an event name (eventName in model/ConfigModel.h: "按键3 弹起", "IO1 变高", "输入11 按下")
// stands for.
std::optional<int> eventSlot(std::string_view name);

// A blank's source as the composer's 序号 list names it: "Input", "E<n>" or "V<n>", n counted
// from 1; the number may lie outside the list (n - 1 is the stored index).
std::string enumSource(int32_t enumIndex);
std::string varSource(int32_t varIndex);
constexpr const char* kInputSource = "Input";

// "E12" -> 12 for prefix "E"; the number is written in its shortest decimal form, with a sign
// only when negative.
std::optional<int64_t> numberAfter(std::string_view prefix, std::string_view name);

}  // namespace velk::text
