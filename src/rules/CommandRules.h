#pragma once

#include <optional>

#include "model/Records.h"
#include "rules/FieldRules.h"

// Free texts that would make a command longer than one transmission to the panel carries: a write
// would have to leave such a command out, so the dialogs refuse the text before it is stored.
namespace velk::rules {

// The setenum command of an enumerated variable (its values).
std::optional<Refusal> enumCommandProblem(const EnumVariable& variable);
// The setcode command of a network or serial action's data (segments and blanks).
std::optional<Refusal> dataCommandProblem(const SendData& data);
// The setmode command of an event's append settings (the append command).
std::optional<Refusal> appendCommandProblem(const EventSettings& settings);

}  // namespace velk::rules
