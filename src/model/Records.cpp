#include "model/Records.h"

namespace velk {

const std::string& SendData::segmentAt(size_t k) const {
    static const std::string empty;
    return k < texts.size() ? texts[k] : empty;
}

}  // namespace velk
