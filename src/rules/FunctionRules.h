#pragma once

#include <optional>

#include "model/ConfigModel.h"
#include "rules/FieldRules.h"

// Which actions an event may hold: one of each kind (serial and network share one place), and on
// hold events (slot % 3 = 2) no infrared, IO or relay action when one is added.
namespace velk::rules {

// The mask bits one action sets: serial and network both set 8 and 16, key actions set none.
int functionMaskBits(FunctionCode function);

// OR of the bits of the slot's actions, leaving out those of exceptedFunction (the action modified).
int usedFunctionMask(const ConfigModel& model, int slot,
                     std::optional<FunctionCode> exceptedFunction = std::nullopt);
// The mask the add command and the editor use; adding is refused when it is kFullFunctionMask.
int addMask(const ConfigModel& model, int slot);
bool canAdd(const ConfigModel& model, int slot);

// Why the add command could not give the slot an action of this function (a full list, the key
// function the editor never offers, a hold event, a kind the slot already holds); nothing when it
// could. Pasting applies it to each action in turn.
std::optional<Refusal> addProblem(const ConfigModel& model, int slot, FunctionCode function);

// The bits a hold event never offers to the add command.
constexpr int kHoldEventRefused = kBitInfrared | kBitIo | kBitRelay;
bool isHoldEvent(int slot);

}  // namespace velk::rules
