#include "model/Records.h"

#include <limits>

namespace velk {

std::optional<FunctionCode> functionCodeOf(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    const auto function = static_cast<FunctionCode>(value);
    switch (function) {
        case FunctionCode::Infrared:
        case FunctionCode::Io:
        case FunctionCode::Serial:
        case FunctionCode::Network:
        case FunctionCode::Relay:
        case FunctionCode::Key:
            return function;
    }
    return std::nullopt;
}

const std::string& SendData::segmentAt(size_t k) const {
    static const std::string empty;
    return k < texts.size() ? texts[k] : empty;
}

}  // namespace velk
