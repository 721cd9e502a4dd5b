// Scans 127.0.1.0/24 twice with the default options: once with nothing listening on the port, and
// once with 200 peers on 127.0.1.1 to .200 that take the connection and never answer (listening
// sockets whose connections are never accepted: the kernel completes the handshake), plus three
// simulated panels. Prints the wall time of each beside the goal, and the silent case again with
// more jobs to show where the time goes.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "device/TcpSocket.h"
#include "sim/PanelGroup.h"
#include "site/PanelScan.h"
#include "site/ScanRange.h"

namespace velk {
namespace {

constexpr uint32_t kBlock = 0x7F000100;  // 127.0.1.0
constexpr int kSilentPeers = 200;

struct Timed {
    double ms = 0;
    size_t found = 0;
};

Timed timedScan(const std::vector<uint32_t>& addresses, const ScanOptions& options) {
    std::atomic<bool> stop{false};
    const auto start = std::chrono::steady_clock::now();
    const ScanResult result = scanPanels(addresses, options, stop);
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            result.panels.size()};
}

// A port free on every address of the block (nothing of ours listens there yet).
std::optional<uint16_t> freePort(std::string& error) {
    std::optional<TcpListener> probe = TcpListener::listenOn(kBlock + 1, 0, error);
    if (!probe) {
        return std::nullopt;
    }
    return probe->port();
}

int run() {
    raiseOpenFileLimit();
    const std::vector<uint32_t> addresses =
        scanAddresses({std::get<AddressRange>(parseScanRange("127.0.1.0/24"))});
    std::string error;
    std::optional<uint16_t> port = freePort(error);
    if (!port) {
        std::fprintf(stderr, "scan_bench: no free port: %s\n", error.c_str());
        return 1;
    }
    ScanOptions options;
    options.port = *port;
    std::printf("range               127.0.1.0/24 (%zu addresses), port %d, --jobs %d, --timeout %d ms\n",
                addresses.size(), *port, options.jobs, options.timeoutMs);

    const Timed empty = timedScan(addresses, options);
    std::printf("nothing listening   %8.1f ms   %zu panels found\n", empty.ms, empty.found);

    std::vector<TcpListener> silent;
    for (int i = 0; i < kSilentPeers; ++i) {
        std::optional<TcpListener> listener =
            TcpListener::listenOn(kBlock + 1 + static_cast<uint32_t>(i), *port, error);
        if (!listener) {
            std::fprintf(stderr, "scan_bench: cannot listen on 127.0.1.%d: %s\n", i + 1, error.c_str());
            return 1;
        }
        silent.push_back(std::move(*listener));
    }
    sim::SimulatorCommandLine line;
    line.panels = 3;
    line.addressStep = true;
    line.options.address = kBlock + 201;
    line.options.port = *port;
    sim::PanelGroup panels(line, nullptr);
    if (!panels.start(error)) {
        std::fprintf(stderr, "scan_bench: the simulated panels did not start: %s\n", error.c_str());
        return 1;
    }
    const Timed busy = timedScan(addresses, options);
    std::printf(
        "%d silent peers    %8.1f ms   %zu panels found (3 expected)   least possible %d x %d ms = %d ms\n",
        kSilentPeers, busy.ms, busy.found, (kSilentPeers + options.jobs - 1) / options.jobs,
        options.timeoutMs, (kSilentPeers + options.jobs - 1) / options.jobs * options.timeoutMs);
    for (int jobs : {128, 256}) {
        ScanOptions more = options;
        more.jobs = jobs;
        const Timed timed = timedScan(addresses, more);
        std::printf("  with --jobs %-4d  %8.1f ms   %zu panels found\n", jobs, timed.ms, timed.found);
    }
    std::printf("goals               each scan within 2000 ms\n");
    return empty.found == 0 && busy.found == 3 ? 0 : 1;
}

}  // namespace
}  // namespace velk

int main() {
    return velk::run();
}
