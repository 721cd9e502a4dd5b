// Any block a panel might send goes through the reply reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device/ReplyReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view block(reinterpret_cast<const char*>(data), size);
    velk::Reply reply = velk::readReply(block);
    if (auto* enumReply = std::get_if<velk::EnumReply>(&reply)) {
        // Touch every value so a bad length shows up under AddressSanitizer.
        size_t total = 0;
        for (const auto& value : enumReply->values)
            total += value.size();
        if (total > size)
            __builtin_trap();
    }
    return 0;
}
