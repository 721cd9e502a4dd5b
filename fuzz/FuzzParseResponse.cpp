// Any block a panel might send goes through ParseResponse into a live model, as the view applies it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device/ReplyApplier.h"

namespace {

velk::ConfigModel& liveModel() {
    static velk::ConfigModel model = [] {
        velk::ConfigModel fresh;
        fresh.reset();
        return fresh;
    }();
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The model lives across inputs, so one reply's leftovers meet the next reply, as in a session.
    velk::ConfigModel& model = liveModel();
    velk::ModelReplyApplier responses(model);
    velk::ParseResponse(std::string_view(reinterpret_cast<const char*>(data), size), responses);
    for (const auto& [key, variable] : model.enums) {
        if (variable.index != key + 1 || variable.data.size() > 10)
            __builtin_trap();
    }
    for (const auto& [key, variable] : model.variables) {
        if (variable.index != key + 1 || (variable.save != 0 && variable.save != 1))
            __builtin_trap();
    }
    for (const auto& [key, target] : model.netTargets) {
        if (target.index != key + 1)
            __builtin_trap();
    }
    if (model.enums.size() != 10 || model.variables.size() != 16 || model.netTargets.size() != 7)
        __builtin_trap();
    return 0;
}
