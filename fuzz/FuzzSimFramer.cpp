// Any byte stream a client may send to the simulator, cut into pieces as TCP may deliver it: the
// framer must account for every byte exactly once and the panel state must take every unit.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/CommandFramer.h"
#include "sim/PanelState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte chooses the piece length, the rest is the stream.
    size_t piece = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    velk::sim::CommandFramer framer;
    velk::sim::PanelState panel;
    size_t framed = 0;
    auto drain = [&](bool quiet) {
        while (auto command = framer.next(quiet)) {
            framed += command->bytes.size();
            panel.apply(*command);
        }
    };
    for (size_t at = 0; at < stream.size(); at += piece) {
        framer.feed(stream.substr(at, piece));
        drain(false);
    }
    drain(true);
    if (framed != stream.size() || !framer.empty()) {
        __builtin_trap();
    }
    return 0;
}
