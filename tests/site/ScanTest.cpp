#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "device/PanelAddress.h"
#include "sim/PanelGroup.h"
#include "site/PanelScan.h"
#include "site/ScanRange.h"
#include "support/Within.h"

namespace velk {
namespace {

using namespace std::chrono_literals;

// 127.0.77.0/28: panels, silent peers, a half-answering peer and closed ports side by side.
constexpr uint32_t kBlock = 0x7F004D00;

std::vector<uint32_t> blockAddresses() {
    return scanAddresses({std::get<AddressRange>(parseScanRange("127.0.77.0/28"))});
}

// A peer that takes the connection and answers the first half of a network block, then nothing.
class HalfAnswer {
public:
    HalfAnswer(uint32_t address, uint16_t port, std::string& error)
        : m_listener(TcpListener::listenOn(address, port, error)) {
        if (m_listener) {
            m_thread = std::thread([this] { serve(); });
        }
    }
    ~HalfAnswer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    HalfAnswer(const HalfAnswer&) = delete;
    HalfAnswer& operator=(const HalfAnswer&) = delete;
    bool listening() const { return m_listener.has_value(); }

private:
    void serve() {
        std::vector<TcpSocket> clients;
        while (!m_stop) {
            std::optional<TcpSocket> client = m_listener->accept(50);
            if (client) {
                client->sendAll(sim::panelNetworkReply(sim::PanelNetwork{}).substr(0, 150));
                clients.push_back(std::move(*client));  // kept open and silent
            }
        }
    }

    std::optional<TcpListener> m_listener;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// The simulated panels at .2, .3 and .9; a silent peer at .4 and .10; a half answer at .5; nothing
// at the rest. All on one port, the one the first panel got.
struct ScanFloor {
    std::vector<std::unique_ptr<sim::PanelGroup>> groups;
    std::vector<TcpListener> silent;
    std::unique_ptr<HalfAnswer> half;
    uint16_t port = 0;

    bool start(std::string& error) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            groups.clear();
            silent.clear();
            half.reset();
            if (tryStart(error)) {
                return true;
            }
        }
        return false;
    }

    bool tryStart(std::string& error) {
        std::optional<uint16_t> first = addGroup(kBlock + 2, 2, 0, error);
        if (!first) {
            return false;
        }
        port = *first;
        if (!addGroup(kBlock + 9, 1, port, error)) {
            return false;
        }
        for (uint32_t host : {4u, 10u}) {
            std::optional<TcpListener> listener = TcpListener::listenOn(kBlock + host, port, error);
            if (!listener) {
                return false;
            }
            silent.push_back(std::move(*listener));
        }
        half = std::make_unique<HalfAnswer>(kBlock + 5, port, error);
        return half->listening();
    }

    std::optional<uint16_t> addGroup(uint32_t address, int panels, uint16_t groupPort, std::string& error) {
        sim::SimulatorCommandLine line;
        line.panels = panels;
        line.addressStep = true;
        line.options.address = address;
        line.options.port = groupPort;
        groups.push_back(std::make_unique<sim::PanelGroup>(line, nullptr));
        return groups.back()->start(error);
    }
};

TEST(ScanTest, FindsExactlyThePanelsAmongSilentPeersAndClosedPorts) {
    ScanFloor floor;
    std::string error;
    ASSERT_TRUE(floor.start(error)) << error;

    ScanOptions options;
    options.port = floor.port;
    options.jobs = 4;  // fewer than the addresses, so slots are taken again
    options.timeoutMs = 500;
    std::atomic<bool> stop{false};
    std::mutex seenMutex;
    std::vector<uint32_t> seen;
    size_t lastAsked = 0;
    ScanObserver observer;
    observer.found = [&](const FoundPanel& panel) {
        std::lock_guard lock(seenMutex);
        seen.push_back(panel.address);
    };
    observer.progress = [&](const ScanProgress& progress) { lastAsked = progress.asked; };
    const std::vector<uint32_t> addresses = blockAddresses();
    const ScanResult result = scanPanels(addresses, options, stop, observer);

    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(lastAsked, addresses.size());
    ASSERT_EQ(result.panels.size(), 3u);
    const std::vector<uint32_t> expected = {kBlock + 2, kBlock + 3, kBlock + 9};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const FoundPanel& panel = result.panels[i];
        EXPECT_EQ(panel.address, expected[i]);
        EXPECT_EQ(panel.port, floor.port);
        // What the panel reports: the simulator's own address, its port and its MAC.
        EXPECT_EQ(panel.network.ip, expected[i]);
        EXPECT_EQ(panel.network.tcpPort, floor.port);
        EXPECT_EQ(panel.network.mask, sim::PanelNetwork{}.mask);
        EXPECT_EQ(panel.network.gateway, sim::PanelNetwork{}.gateway);
    }
    EXPECT_NE(result.panels[0].network.mac, result.panels[1].network.mac);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, expected);
    // Every panel was asked once and only getlan.
    for (auto& group : floor.groups) {
        for (size_t i = 0; i < group->size(); ++i) {
            EXPECT_EQ(group->panel(i).receivedCommands(), std::vector<std::string>{"QM-PANEL-getlan"});
        }
    }
}

TEST(ScanTest, NothingOnTheRangeFindsNothing) {
    ScanFloor floor;
    std::string error;
    ASSERT_TRUE(floor.start(error)) << error;
    ScanOptions options;
    options.port = floor.port;
    options.timeoutMs = 300;
    std::atomic<bool> stop{false};
    // .4 silent, .5 half an answer, .6 to .8 closed.
    const ScanResult result =
        scanPanels({kBlock + 4, kBlock + 5, kBlock + 6, kBlock + 7, kBlock + 8}, options, stop);
    EXPECT_FALSE(result.stopped);
    EXPECT_TRUE(result.panels.empty());
}

TEST(ScanTest, StopEndsAScanOfSilentPeersAtOnce) {
    ScanFloor floor;
    std::string error;
    ASSERT_TRUE(floor.start(error)) << error;
    ScanOptions options;
    options.port = floor.port;
    options.jobs = 1;
    options.timeoutMs = 60000;  // a scan left alone would take minutes
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto asked = std::make_shared<std::atomic<size_t>>(0);
    std::vector<uint32_t> addresses = {kBlock + 2, kBlock + 4, kBlock + 10, kBlock + 4, kBlock + 10};
    auto observer = std::make_shared<ScanObserver>();
    observer->progress = [asked](const ScanProgress& progress) { *asked = progress.asked; };
    std::thread stopper([stop, asked] {
        // Once the panel is through, the scan hangs on the silent peer behind it.
        while (asked->load() < 1) {
            std::this_thread::yield();
        }
        *stop = true;
    });
    const auto result =
        test::resultWithin(10s, [=] { return scanPanels(addresses, options, *stop, *observer); });
    stopper.join();
    ASSERT_TRUE(result) << "the scan did not end on stop";
    EXPECT_TRUE(result->stopped);
    ASSERT_EQ(result->panels.size(), 1u);
    EXPECT_EQ(result->panels[0].address, kBlock + 2);
}

}  // namespace
}  // namespace velk
