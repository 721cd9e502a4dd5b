// The panel's stream in arbitrary chunks gives the replies it gives in one chunk, and never crashes
// the framer. The first two bytes choose the chunk lengths, the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/ReplyFramer.h"

namespace {

std::vector<std::string> framedTexts(velk::ReplyFramer& framer, const std::vector<std::string_view>& chunks) {
    std::vector<std::string> texts;
    auto keep = [&](std::vector<velk::FramedReply> replies) {
        for (const velk::FramedReply& reply : replies) {
            texts.push_back(reply.bytes + '\n' + reply.problem + '\n' + std::to_string(reply.reply.index()));
        }
    };
    for (std::string_view chunk : chunks) {
        keep(framer.feed(chunk));
    }
    keep(framer.flush());
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    uint32_t state = static_cast<uint32_t>(data[0]) << 8 | data[1];
    std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);
    std::vector<std::string_view> chunks;
    for (size_t pos = 0; pos < stream.size();) {
        state = state * 1103515245u + 12345u;
        const size_t length = 1 + (state >> 16) % 16;
        chunks.push_back(stream.substr(pos, length));
        pos += length;
    }
    velk::ReplyFramer whole;
    velk::ReplyFramer pieces;
    if (framedTexts(whole, {stream}) != framedTexts(pieces, chunks)) {
        __builtin_trap();
    }
    return 0;
}
