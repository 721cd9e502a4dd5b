#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>

#include "SimClient.h"
#include "device/PanelAddress.h"
#include "device/ReplyReader.h"
#include "model/StrPrintf.h"
#include "sim/LinePrinter.h"
#include "sim/PanelGroup.h"
#include "support/TempDir.h"

namespace velk::sim {
namespace {

using test::SimClient;
using namespace std::chrono_literals;

const std::string kExitAck = "QM-PANEL-rtnstate-edit exit";

// A fault of the panel at offset panel of the group.
PanelFault faultOf(int panel, PanelFault::Kind kind, WriteAck ack, int value = 0) {
    PanelFault fault;
    fault.kind = kind;
    fault.ack = ack;
    fault.value = value;
    fault.relative = true;
    fault.panel = panel;
    return fault;
}

// The event lines of a group, gathered from its serving threads.
class EventLines {
public:
    std::function<void(const std::string&)> sink() {
        return [this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        };
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

TEST(PanelGroupTest, EveryPanelHasItsOwnPortStateLogAndFaults) {
    velk::test::TempDir folder;
    SimulatorCommandLine line;
    line.panels = 3;
    line.options.port = 0;
    line.options.logPath = folder.file("logs");
    line.panelFaults.push_back(faultOf(1, PanelFault::DropAck, ACK_EXITED));
    EventLines events;
    PanelGroup group(line, events.sink());
    std::string error;
    std::optional<uint16_t> base = group.start(error);
    ASSERT_TRUE(base) << error;
    ASSERT_EQ(group.size(), 3u);

    for (int i = 0; i < 3; ++i) {
        SimClient client(static_cast<uint16_t>(*base + i));
        ASSERT_TRUE(client.connected());
        client.send(strprintf("QM-PANEL-setvar-1-%d-0-9-save", i));
        client.send("QM-PANEL-exitedit");
        EXPECT_EQ(client.read(kExitAck.size(), i == 1 ? 300ms : 5s), i == 1 ? "" : kExitAck);
        client.close();
        ASSERT_TRUE(group.panel(static_cast<size_t>(i)).waitForClosedConnections(1, 5s));
    }
    for (int i = 0; i < 3; ++i) {
        const int port = *base + i;
        EXPECT_EQ(group.panel(static_cast<size_t>(i)).snapshot().variables[0].init, i);
        EXPECT_EQ(group.panel(static_cast<size_t>(i)).snapshot().network.tcpPort, port);
        EXPECT_EQ(velk::test::readFileBytes(folder.file(strprintf("logs/%d.log", port))),
                  strprintf("QM-PANEL-setvar-1-%d-0-9-save\nQM-PANEL-exitedit\n", i));
    }
    group.stop();
    // Each line names its panel; no panel announces itself (the program prints the ports at once).
    bool droppedOnSecond = false;
    for (const std::string& event : events.lines()) {
        EXPECT_EQ(event.find("listening on"), std::string::npos) << event;
        EXPECT_TRUE(event.rfind(std::to_string(*base) + " ", 0) == 0 ||
                    event.rfind(std::to_string(*base + 1) + " ", 0) == 0 ||
                    event.rfind(std::to_string(*base + 2) + " ", 0) == 0)
            << event;
        droppedOnSecond =
            droppedOnSecond || event == std::to_string(*base + 1) + " drop exit acknowledgement";
    }
    EXPECT_TRUE(droppedOnSecond);
}

TEST(PanelGroupTest, AddressStepPutsEachPanelOnItsOwnAddressWithOnePort) {
    velk::test::TempDir folder;
    SimulatorCommandLine line;
    line.panels = 3;
    line.addressStep = true;
    line.options.address = 0x7F000102;  // 127.0.1.2
    line.options.port = 0;
    line.options.logPath = folder.file("logs");
    PanelGroup group(line, {});
    std::string error;
    std::optional<uint16_t> port = group.start(error);
    ASSERT_TRUE(port) << error;
    ASSERT_EQ(group.size(), 3u);

    for (uint32_t i = 0; i < 3; ++i) {
        const uint32_t address = line.options.address + i;
        SimClient client(address, *port);
        ASSERT_TRUE(client.connected()) << dottedAddress(address);
        client.send("QM-PANEL-getlan");
        const std::string reply = client.readUntil("velk-panel-sim\r\n", 5s);
        const Reply read = readReply(reply);
        ASSERT_TRUE(std::holds_alternative<PanelNetworkReply>(read)) << reply;
        const auto& network = std::get<PanelNetworkReply>(read);
        // Each reports the address it stands on and a MAC no other panel of the group has.
        EXPECT_EQ(network.ip, address);
        EXPECT_EQ(network.tcpPort, *port);
        EXPECT_EQ(network.mac[5], i);
        client.send("QM-PANEL-setvar-1-" + std::to_string(i) + "-0-9-save");
        client.close();
        ASSERT_TRUE(group.panel(i).waitForClosedConnections(1, 5s));
        EXPECT_EQ(group.panel(i).snapshot().variables[0].init, static_cast<int>(i));
        EXPECT_EQ(velk::test::readFileBytes(folder.file("logs/" + dottedAddress(address) + ".log")),
                  "QM-PANEL-getlan\nQM-PANEL-setvar-1-" + std::to_string(i) + "-0-9-save\n");
    }
    // Nothing listens on the next address.
    std::string refused;
    EXPECT_FALSE(TcpSocket::connectTo(line.options.address + 3, *port, 2000, refused));
}

// A group's panels share one serving thread; each still serves one client at a time, answers a
// delayed acknowledgement at its time without holding up the others, and ends every connection in
// progress when the group stops.
TEST(PanelGroupTest, PanelsSharingAThreadEachServeAsAlone) {
    SimulatorCommandLine line;
    line.panels = 2;
    line.options.port = 0;
    line.panelFaults.push_back(faultOf(0, PanelFault::DelayAck, ACK_EXITED, 1500));
    EventLines events;
    PanelGroup group(line, events.sink());
    std::string error;
    std::optional<uint16_t> base = group.start(error);
    ASSERT_TRUE(base) << error;
    const uint16_t first = *base;
    const uint16_t second = static_cast<uint16_t>(*base + 1);

    SimClient slow(first);
    SimClient waiting(first);
    ASSERT_TRUE(slow.connected());
    ASSERT_TRUE(waiting.connected());  // taken by the kernel, not yet by the panel
    const auto start = std::chrono::steady_clock::now();
    slow.send("QM-PANEL-exitedit");
    waiting.send("QM-PANEL-getlan");
    // The other panel answers at once while the first one's acknowledgement is held back.
    SimClient other(second);
    other.send("QM-PANEL-exitedit");
    EXPECT_EQ(other.read(kExitAck.size()), kExitAck);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_EQ(slow.read(kExitAck.size()), kExitAck);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1500ms);
    // The second client of the first panel is answered only once the first has gone.
    EXPECT_EQ(waiting.read(1, 200ms), "");
    slow.close();
    EXPECT_NE(waiting.readUntil("velk-panel-sim\r\n"), "");
    EXPECT_EQ(group.panel(0).connectionCount(), 2u);

    group.stop();
    EXPECT_TRUE(waiting.waitClosed());
    EXPECT_TRUE(other.waitClosed());
    const std::vector<std::string> lines = events.lines();
    for (uint16_t port : {first, second}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), std::to_string(port) + " simulator stopping"),
                  lines.end())
            << port;
    }
}

TEST(LinePrinterTest, EveryLineWholeAndInEachThreadsOrder) {
    velk::test::TempDir folder;
    const std::string path = folder.file("out.txt");
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_NE(out, nullptr);
    constexpr int kThreads = 8;
    constexpr int kLines = 5000;
    {
        LinePrinter printer(out);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&printer, t] {
                for (int i = 0; i < kLines; ++i) {
                    printer.print(strprintf("%d %d ", t, i) + std::string(static_cast<size_t>(i % 300), 'x'));
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
    }  // every line is written when the printer ends
    std::fclose(out);
    std::vector<int> next(kThreads, 0);
    std::istringstream lines(velk::test::readFileBytes(path));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        int thread = -1;
        int index = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d ", &thread, &index), 2) << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        EXPECT_EQ(index, next[static_cast<size_t>(thread)]) << line;
        EXPECT_EQ(line,
                  strprintf("%d %d ", thread, index) + std::string(static_cast<size_t>(index % 300), 'x'));
        next[static_cast<size_t>(thread)] = index + 1;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

TEST(PanelGroupTest, RefusesPortsInUse) {
    std::string error;
    auto taken = TcpListener::listenLoopback(0, error);
    ASSERT_TRUE(taken) << error;
    SimulatorCommandLine line;
    line.panels = 2;
    line.options.port = taken->port();
    PanelGroup group(line, {});
    EXPECT_FALSE(group.start(error));
    EXPECT_NE(error.find(strprintf("port %d", taken->port())), std::string::npos) << error;
    EXPECT_EQ(group.size(), 0u);
}

}  // namespace
}  // namespace velk::sim
