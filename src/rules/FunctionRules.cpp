#include "rules/FunctionRules.h"

#include "rules/RuleMessages.h"

namespace velk::rules {

int functionMaskBits(FunctionCode function) {
    switch (function) {
        case FunctionCode::Infrared:
            return kBitInfrared;
        case FunctionCode::Io:
            return kBitIo;
        case FunctionCode::Relay:
            return kBitRelay;
        case FunctionCode::Serial:
        case FunctionCode::Network:
            return kBitNetwork | kBitSerial;
        case FunctionCode::Key:
            return 0;
    }
    return 0;  // a code no function has limits nothing
}

bool isHoldEvent(int slot) {
    return eventOf(slot) == 2;
}

int usedFunctionMask(const ConfigModel& model, int slot, std::optional<FunctionCode> exceptedFunction) {
    int mask = 0;
    for (const auto& action : model.actions.at(static_cast<size_t>(slot))) {
        if (exceptedFunction && action.function == *exceptedFunction) {
            continue;
        }
        mask |= functionMaskBits(action.function);
    }
    return mask;
}

int addMask(const ConfigModel& model, int slot) {
    int mask = usedFunctionMask(model, slot);
    if (isHoldEvent(slot)) {
        mask |= kHoldEventRefused;
    }
    return mask;
}

bool canAdd(const ConfigModel& model, int slot) {
    return addMask(model, slot) != kFullFunctionMask;
}

std::optional<Refusal> addProblem(const ConfigModel& model, int slot, FunctionCode function) {
    if (!functionCodeOf(functionCodeValue(function))) {
        return Refusal{kUnknownFunction};
    }
    if (!canAdd(model, slot)) {
        return Refusal{kSlotFull};
    }
    const int bits = functionMaskBits(function);
    if (bits == 0) {
        return Refusal{kKeyNotAdded};
    }
    if (isHoldEvent(slot) && (bits & kHoldEventRefused) != 0) {
        return Refusal{kHoldEventTakesData};
    }
    if ((usedFunctionMask(model, slot) & bits) != 0) {
        return Refusal{kindAlreadyHeld(function)};
    }
    return std::nullopt;
}

}  // namespace velk::rules
