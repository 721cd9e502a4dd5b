#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/PanelAddress.h"
#include "device/ReplyReader.h"

// Finding panels on a network: every address is asked "QM-PANEL-getlan" on the panel port, and the
// ones that answer with a whole network block are listed with the settings they report.
namespace velk {

struct ScanOptions {
    uint16_t port = kDefaultPanelPort;
    int jobs = 64;        // addresses asked at once
    int timeoutMs = 500;  // the most one address costs, from its connect to the last byte
};

struct FoundPanel {
    uint32_t address = 0;  // where it answered
    uint16_t port = 0;
    PanelNetworkReply network;  // what it reports

    bool operator==(const FoundPanel&) const = default;
};

struct ScanProgress {
    size_t asked = 0;  // addresses finished
    size_t total = 0;
    size_t found = 0;
};

struct ScanObserver {
    // Each panel as it answers, in the order they answer; on the scanning thread.
    std::function<void(const FoundPanel&)> found;
    // After each address is finished; on the scanning thread.
    std::function<void(const ScanProgress&)> progress;
};

struct ScanResult {
    std::vector<FoundPanel> panels;  // in address order
    bool stopped = false;            // stop was set before every address was asked
};

// Asks every address on the calling thread, at most options.jobs at a time over non-blocking
// sockets. stop is looked at at least every 50 ms; once set, the sockets are closed and what was
// found so far is returned.
ScanResult scanPanels(const std::vector<uint32_t>& addresses, const ScanOptions& options,
                      const std::atomic<bool>& stop, const ScanObserver& observer = {});

// The network block when the received bytes hold it whole as the reply framer cuts it, so a block
// cut by the network is never read in part. closed says no more bytes will come: the block in
// progress ends there and counts if it reads whole.
std::optional<PanelNetworkReply> wholeNetworkBlock(std::string_view received, bool closed);

// One panel as a line: address, port, ip, mask, gateway and MAC, tab-separated.
std::string foundPanelLine(const FoundPanel& panel);

// The panels as one JSON array of objects with the keys address, port, ip, mask, gateway, mac.
std::string foundPanelsJson(const std::vector<FoundPanel>& panels);

}  // namespace velk
