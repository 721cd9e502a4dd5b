#include "model/Records.h"

namespace velk {

std::optional<FunctionCode> functionCodeOf(int64_t value) {
    if (value < functionCodeValue(FunctionCode::Infrared) || value > functionCodeValue(FunctionCode::Key)) {
        return std::nullopt;
    }
    return static_cast<FunctionCode>(value);
}

const std::string& SendData::segmentAt(size_t k) const {
    static const std::string empty;
    return k < texts.size() ? texts[k] : empty;
}

}  // namespace velk
