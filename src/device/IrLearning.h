#pragma once

#include <cstdint>
#include <string>

namespace velk {

// The infrared ids the panel learns and an infrared action sends.
constexpr int32_t kMinIrCode = 1;
constexpr int32_t kMaxIrCode = 64;

// What the 红外学习 button does with the id typed in the 红外ID edit.
struct IrLearnRequest {
    std::string command;  // the learn command to send; empty when the id is refused
    std::string refusal;  // the message refusing the id (UTF-8); empty when it is accepted

    bool accepted() const { return refusal.empty(); }
};

// Ids 1..64 are learned; any other text is refused with the message the form shows.
IrLearnRequest learnIrCommand(const std::string& idText);

}  // namespace velk
