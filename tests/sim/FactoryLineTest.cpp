#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/Commands.h"
#include "sim/FactoryLine.h"
#include "sim/SimulatorArgs.h"

// Panels from the box: one after another at the factory address, each moving to the address it is
// given and keeping what it holds.
namespace velk::sim {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kSecondAddress = 0x7F000002;  // 127.0.0.2

// Connects to a panel and asks for its network block; nothing when no panel answers there.
std::optional<PanelNetworkReply> askNetwork(uint32_t address, uint16_t port, TcpSocket* keep = nullptr) {
    std::string error;
    std::optional<TcpSocket> socket = TcpSocket::connectTo(address, port, 2000, error);
    if (!socket || !socket->sendAll(MakeGetLan())) {
        return std::nullopt;
    }
    std::string received;
    char buffer[1024];
    while (socket->waitReadable(2000)) {
        const long count = socket->receive(buffer, sizeof buffer);
        if (count <= 0) {
            return std::nullopt;
        }
        received.append(buffer, static_cast<size_t>(count));
        Reply reply = readReply(received);
        if (const auto* network = std::get_if<PanelNetworkReply>(&reply)) {
            if (keep != nullptr) {
                *keep = std::move(*socket);
            }
            return *network;
        }
    }
    return std::nullopt;
}

class FactoryLineTest : public ::testing::Test {
protected:
    void start(int boxes, int restartMs = 20) {
        SimulatorCommandLine line;
        line.options.port = 0;
        line.factory = boxes;
        line.restartMs = restartMs;
        m_line = std::make_unique<FactoryLine>(line, nullptr);
        std::string error;
        std::optional<uint16_t> port = m_line->start(error);
        ASSERT_TRUE(port) << error;
        m_port = *port;
    }

    std::unique_ptr<FactoryLine> m_line;
    uint16_t m_port = 0;
};

TEST_F(FactoryLineTest, BoxesComeOneAfterAnotherAndMoveToTheirAddresses) {
    start(2);
    std::optional<PanelNetworkReply> first = askNetwork(kLoopbackAddress, m_port);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->ip, kDefaultPanelIp);
    EXPECT_EQ(first->mac, FactoryLine::boxMac(0));
    EXPECT_EQ(first->tcpPort, m_port);
    // What it is written before it moves it keeps.
    {
        std::string error;
        std::optional<TcpSocket> socket = TcpSocket::connectTo(kLoopbackAddress, m_port, 2000, error);
        ASSERT_TRUE(socket) << error;
        ASSERT_TRUE(socket->sendAll("QM-PANEL-setvar-2-5-0-9-save"));
        ASSERT_TRUE(m_line->box(0).waitForCommands(2, 5s));
        ASSERT_TRUE(socket->sendAll(MakeSetIp(kSecondAddress)));
        ASSERT_TRUE(socket->sendAll(MakeSetGate(0x7F0000FE)));
    }
    ASSERT_TRUE(m_line->waitMoved(1, 5s));
    std::optional<PanelNetworkReply> moved = askNetwork(kSecondAddress, m_port);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->ip, kSecondAddress);
    EXPECT_EQ(moved->gateway, 0x7F0000FEu);
    EXPECT_EQ(moved->mac, FactoryLine::boxMac(0));
    EXPECT_EQ(m_line->box(0).snapshot().variables[1].init, 5);
    EXPECT_EQ(m_line->box(0).listening(), (PanelAddress{kSecondAddress, m_port}));

    std::optional<PanelNetworkReply> second = askNetwork(kLoopbackAddress, m_port);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->ip, kDefaultPanelIp);
    EXPECT_EQ(second->mac, FactoryLine::boxMac(1));
}

TEST_F(FactoryLineTest, SettingsAreTakenOnceTheLineIsQuietThoughTheClientStays) {
    start(1);
    TcpSocket kept;
    ASSERT_TRUE(askNetwork(kLoopbackAddress, m_port, &kept));
    ASSERT_TRUE(kept.sendAll(MakeSetIp(kSecondAddress)));
    // The panel restarts with its new settings and so ends the connection itself.
    char byte = 0;
    ASSERT_TRUE(kept.waitReadable(5000));
    EXPECT_EQ(kept.receive(&byte, 1), 0);
    ASSERT_TRUE(m_line->waitMoved(1, 5s));
    EXPECT_TRUE(askNetwork(kSecondAddress, m_port));
    // The last box gone, nothing answers at the factory address.
    EXPECT_FALSE(askNetwork(kLoopbackAddress, m_port));
}

TEST_F(FactoryLineTest, AGatewayAloneKeepsTheBoxAtTheFactoryAddress) {
    start(2);
    TcpSocket kept;
    ASSERT_TRUE(askNetwork(kLoopbackAddress, m_port, &kept));
    ASSERT_TRUE(kept.sendAll(MakeSetGate(0x0A000001)));
    kept.close();
    ASSERT_TRUE(m_line->waitRestarts(1, 5s));
    // It restarted where it was: still the first box that answers there.
    std::optional<PanelNetworkReply> again = askNetwork(kLoopbackAddress, m_port);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->mac, FactoryLine::boxMac(0));
    EXPECT_EQ(again->gateway, 0x0A000001u);
    EXPECT_FALSE(m_line->waitMoved(1, 0ms));
}

TEST(FactoryArgsTest, ReadsTheBoxOptionsAndRefusesWhatCannotBe) {
    auto parsed = parseSimulatorArguments(
        {"--factory", "3", "--restart-ms", "250", "--state", "st", "--drop-ack", "exit@+2"});
    ASSERT_TRUE(std::holds_alternative<SimulatorCommandLine>(parsed));
    const SimulatorCommandLine& line = std::get<SimulatorCommandLine>(parsed);
    EXPECT_EQ(line.factory, 3);
    EXPECT_EQ(line.restartMs, 250);
    EXPECT_EQ(line.options.stateFolder, "st");
    EXPECT_EQ(panelOptions(line, 4800, 2).dropAcks, std::set<WriteAck>{ACK_EXITED});
    EXPECT_TRUE(panelOptions(line, 4800, 1).dropAcks.empty());

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--factory", "0"}, "--factory: 0 is no count"},
        {{"--factory", "1001"}, "--factory: 1001"},
        {{"--restart-ms", "-1"}, "--restart-ms: -1"},
        {{"--state", ""}, "--state needs a folder"},
        {{"--factory", "2", "--panels", "2"}, "do not go together"},
        {{"--factory", "2", "--drop-ack", "exit@4800"}, "share one port, so name one as @+K"},
        {{"--factory", "2", "--drop-ack", "exit@+2"}, "@+2 names no panel: there are 2"},
    };
    for (const auto& [args, message] : bad) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        auto refused = parseSimulatorArguments(args);
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_NE(std::get<std::string>(refused).find(message), std::string::npos)
            << std::get<std::string>(refused);
    }
}

}  // namespace
}  // namespace velk::sim
