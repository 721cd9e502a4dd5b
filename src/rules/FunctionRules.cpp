#include "rules/FunctionRules.h"

namespace velk::rules {

int functionMaskBits(int function) {
    switch (function) {
        case kFunctionInfrared:
            return kBitInfrared;
        case kFunctionIo:
            return kBitIo;
        case kFunctionRelay:
            return kBitRelay;
        case kFunctionSerial:
        case kFunctionNetwork:
            return kBitNetwork | kBitSerial;
        default:
            return 0;
    }
}

bool isHoldEvent(int slot) {
    return eventOf(slot) == 2;
}

int usedFunctionMask(const ConfigModel& model, int slot, int exceptedFunction) {
    int mask = 0;
    for (const auto& action : model.actions.at(static_cast<size_t>(slot))) {
        if (exceptedFunction != kNoExceptedFunction && action.function == exceptedFunction) {
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

}  // namespace velk::rules
