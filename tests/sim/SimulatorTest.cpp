#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "SimClient.h"
#include "device/Commands.h"
#include "device/ReplyReader.h"
#include "sim/PanelSimulator.h"
#include "support/TempDir.h"

namespace velk::sim {
namespace {

using test::SimClient;
using namespace std::chrono_literals;

const std::string kClearAck = "QM-PANEL-rtnstate-clr ok 16";
const std::string kAddAck = "QM-PANEL-rtnstate-add ok";
const std::string kExitAck = "QM-PANEL-rtnstate-edit exit";

class Simulator {
public:
    explicit Simulator(SimulatorOptions options = {}) {
        options.port = 0;
        m_sim = std::make_unique<PanelSimulator>(std::move(options));
        std::string error;
        std::optional<uint16_t> port = m_sim->start(error);
        EXPECT_TRUE(port) << error;
        m_port = port.value_or(0);
    }

    PanelSimulator* operator->() { return m_sim.get(); }
    uint16_t port() const { return m_port; }

private:
    std::unique_ptr<PanelSimulator> m_sim;
    uint16_t m_port = 0;
};

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const auto& part : parts) {
        all += part;
    }
    return all;
}

// The commands of a small write, as the tool sends them.
std::vector<std::string> smallWrite() {
    return {
        "QM-PANEL-intoEdit",
        "QM-PANEL-clrkey-FF",
        "QM-PANEL-setenum-1-hex-01 02#0a ff",
        "QM-PANEL-setvar-2-5-0-10-save",
        "QM-PANEL-setser-TCP-1-192.168.1.20-5000",
        "QM-PANEL-keyedit-1->addact-onkeydown->",
        "bindir-1,2-12->",
        "setcode-hex-01 02 ** ** 03",
        "setvoid-01-input-count-3-cut",
        "setdest-TCP-192.168.1.20-5000",
        "setmode-add-5000-send-\xc4\xe3\xba\xc3",
        "QM-PANEL-keyedit-3->addact-onkeyhold->",
        "setcode-ascii-AB***\r\n",
        "setdest-UDP-2",
        "settime-3000",
        "QM-PANEL-exitedit",
    };
}

const std::string kSmallWriteReplies = kClearAck + kAddAck + kAddAck + kExitAck;

TEST(SimulatorTest, AcknowledgesTheWaitsOfAWrite) {
    Simulator sim;
    SimClient client(sim.port());
    ASSERT_TRUE(client.connected());

    client.send("QM-PANEL-intoEdit");
    client.send("QM-PANEL-clrkey-FF");
    std::string clear = client.read(kClearAck.size());
    EXPECT_EQ(clear, kClearAck);
    EXPECT_EQ(std::get<StateReply>(readReply(clear)).ack, ACK_CLEARED);

    client.send("QM-PANEL-keyedit-3->addact-onkeyup->");
    std::string added = client.read(kAddAck.size());
    EXPECT_EQ(added, kAddAck);
    EXPECT_EQ(std::get<StateReply>(readReply(added)).ack, ACK_ADDED);

    client.send("bindrelay-2-turn->");
    client.send("QM-PANEL-exitedit");
    std::string exited = client.read(kExitAck.size());
    EXPECT_EQ(exited, kExitAck);
    EXPECT_EQ(std::get<StateReply>(readReply(exited)).ack, ACK_EXITED);

    PanelSnapshot held = sim->snapshot();
    EXPECT_FALSE(held.editing);
    ASSERT_EQ(held.events.size(), 1u);
    EXPECT_EQ(held.events[0], (EventBlock{3, 1, {"bindrelay-2-turn->"}}));
}

TEST(SimulatorTest, ClearKeysForgetsTheEventBlocks) {
    Simulator sim;
    SimClient client(sim.port());
    client.send(joined(smallWrite()));
    ASSERT_EQ(client.read(kSmallWriteReplies.size()), kSmallWriteReplies);
    PanelSnapshot held = sim->snapshot();
    ASSERT_EQ(held.events.size(), 2u);
    EXPECT_EQ(held.events[0].commands.size(), 5u);
    EXPECT_EQ(held.events[1],
              (EventBlock{3, 2, {"setcode-ascii-AB***\r\n", "setdest-UDP-2", "settime-3000"}}));

    client.send("QM-PANEL-intoEdit");
    client.send("QM-PANEL-clrkey-FF");
    ASSERT_EQ(client.read(kClearAck.size()), kClearAck);
    EXPECT_TRUE(sim->snapshot().events.empty());
}

struct AckCase {
    const char* name;
    WriteAck ack;
    std::string expectedReplies;  // replies to clear, header, exit edit and getvar-1
};

const std::string kVar1Reply = "QM-PANEL-rtnvar-1-0-0-0-save";
const std::string kAckProbe =
    "QM-PANEL-clrkey-FFQM-PANEL-keyedit-1->addact-onkeydown->QM-PANEL-exitedit"
    "QM-PANEL-getvar-1QM-PANEL-intoEdit";

TEST(SimulatorTest, DroppedAcknowledgementIsLeftOut) {
    const std::vector<AckCase> cases = {
        {"clr", ACK_CLEARED, kAddAck + kExitAck + kVar1Reply},
        {"add", ACK_ADDED, kClearAck + kExitAck + kVar1Reply},
        {"exit", ACK_EXITED, kClearAck + kAddAck + kVar1Reply},
    };
    for (const AckCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorOptions options;
        options.dropAcks = {c.ack};
        Simulator sim(options);
        SimClient client(sim.port());
        client.send(kAckProbe);
        // Replies leave in order, so the reply that follows shows the dropped one never comes.
        EXPECT_EQ(client.read(c.expectedReplies.size()), c.expectedReplies);
    }
}

TEST(SimulatorTest, DelayedAcknowledgementComesLateAndInOrder) {
    const std::vector<AckCase> cases = {
        {"clr", ACK_CLEARED, kClearAck},
        {"add", ACK_ADDED, kClearAck + kAddAck},
        {"exit", ACK_EXITED, kClearAck + kAddAck + kExitAck},
    };
    for (const AckCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorOptions options;
        options.delayAcksMs[c.ack] = 250;
        Simulator sim(options);
        SimClient client(sim.port());
        auto sent = std::chrono::steady_clock::now();
        client.send(kAckProbe);
        EXPECT_EQ(client.read(c.expectedReplies.size()), c.expectedReplies);
        EXPECT_GE(std::chrono::steady_clock::now() - sent, 250ms);
        std::string rest = kClearAck + kAddAck + kExitAck + kVar1Reply;
        rest.erase(0, c.expectedReplies.size());
        EXPECT_EQ(client.read(rest.size()), rest);
    }
}

TEST(SimulatorTest, ClosesAfterTheGivenNumberOfCommands) {
    SimulatorOptions options;
    options.closeAfter = 3;
    Simulator sim(options);
    {
        SimClient client(sim.port());
        client.send(
            "QM-PANEL-intoEditQM-PANEL-clrkey-FFQM-PANEL-keyedit-1->addact-onkeydown->"
            "QM-PANEL-exiteditQM-PANEL-getlan");
        EXPECT_EQ(client.read(kClearAck.size() + kAddAck.size()), kClearAck + kAddAck);
        EXPECT_TRUE(client.waitClosed());
        EXPECT_EQ(client.extra(), "");
    }
    ASSERT_TRUE(sim->waitForClosedConnections(1, 5s));
    EXPECT_EQ(sim->commandCount(), 3u);
    EXPECT_TRUE(sim->snapshot().editing);

    // Each connection gets its own count.
    SimClient again(sim.port());
    again.send("QM-PANEL-getvar-1QM-PANEL-exitedit");
    EXPECT_EQ(again.read(kVar1Reply.size() + kExitAck.size()), kVar1Reply + kExitAck);
}

TEST(SimulatorTest, ReadRequestsAreAnsweredFromWhatWasWritten) {
    EnumVariable hexEnum{1, kHex, {"01 02", "0a ff"}};
    EnumVariable textEnum{2, kAscii, {"ON", "OFF", "\xbf\xaa"}};
    EnumVariable blankFirst{4, kAscii, {"", "X"}};
    Variable v3{3, -5, 7, 100, 1};
    Variable v16{16, 0, 1, 2, 0};
    NetTarget tcp2{0xC0A80114, 5000, 2};
    NetTarget udp2{0x0A000009, 6000, 6};

    Simulator sim;
    SimClient client(sim.port());
    for (const std::string& command : {MakeSetEnum(hexEnum), MakeSetEnum(textEnum), MakeSetEnum(blankFirst),
                                       MakeSetVar(v3), MakeSetVar(v16), MakeSetSer(tcp2), MakeSetSer(udp2)}) {
        client.send(command);
    }
    ASSERT_TRUE(sim->waitForCommands(7, 5s));

    struct Expected {
        std::string request;
        std::string reply;
    };
    const std::vector<Expected> expected = {
        {MakeGetEnum(1), "QM-PANEL-rtnenum-1-hex-01 02#0a ff"},
        {MakeGetEnum(2), "QM-PANEL-rtnenum-2-ascii-ON#OFF#\xbf\xaa"},
        {MakeGetEnum(3), "QM-PANEL-rtnenum-3-ascii-"},
        {MakeGetEnum(4), "QM-PANEL-rtnenum-4-ascii-#X"},
        {MakeGetVar(3), "QM-PANEL-rtnvar-3-7--5-100-unsave"},
        {MakeGetVar(16), "QM-PANEL-rtnvar-16-1-0-2-save"},
        {MakeGetVar(4), "QM-PANEL-rtnvar-4-0-0-0-save"},
        {MakeGetSer(2), "QM-PANEL-rtnser-TCP-2-192.168.1.20-5000"},
        {MakeGetSer(6), "QM-PANEL-rtnser-UDP-2-10.0.0.9-6000"},
        {MakeGetSer(7), "QM-PANEL-rtnser-UDP-3-0.0.0.0-0"},
    };
    std::vector<Reply> replies;
    for (const Expected& e : expected) {
        client.send(e.request);
        std::string reply = client.read(e.reply.size());
        EXPECT_EQ(reply, e.reply);
        replies.push_back(readReply(reply));
    }

    // The tool's own reader takes every reply back to what was written.
    auto enumAt = [&](size_t i) { return std::get<EnumReply>(replies[i]); };
    EXPECT_EQ(enumAt(0).number, 1);
    EXPECT_EQ(enumAt(0).typeWord, "hex");
    EXPECT_EQ(enumAt(0).values, hexEnum.data);
    EXPECT_EQ(enumAt(1).typeWord, "ascii");
    EXPECT_EQ(enumAt(1).values, textEnum.data);
    EXPECT_EQ(enumAt(2).values, std::vector<std::string>{""});
    EXPECT_EQ(enumAt(3).values, blankFirst.data);

    auto variableAt = [&](size_t i) { return std::get<VariableReply>(replies[i]); };
    EXPECT_EQ(variableAt(4).number, 3);
    EXPECT_EQ(variableAt(4).init, v3.init);
    EXPECT_EQ(variableAt(4).min, v3.min);
    EXPECT_EQ(variableAt(4).max, v3.max);
    EXPECT_EQ(variableAt(4).word, "unsave");
    EXPECT_EQ(variableAt(5).word, "save");
    EXPECT_EQ(variableAt(6).init, 0);

    auto targetAt = [&](size_t i) { return std::get<NetTargetReply>(replies[i]); };
    EXPECT_EQ(targetAt(7).word, "TCP");
    EXPECT_EQ(targetAt(7).number, 2);
    EXPECT_EQ(targetAt(7).ip, tcp2.ip);
    EXPECT_EQ(targetAt(7).port, tcp2.port);
    EXPECT_EQ(targetAt(8).word, "UDP");
    EXPECT_EQ(targetAt(8).number, 2);
    EXPECT_EQ(targetAt(8).ip, udp2.ip);
    EXPECT_EQ(targetAt(8).port, udp2.port);
}

TEST(SimulatorTest, RequestsOutsideTheRangesGetNoReply) {
    Simulator sim;
    SimClient client(sim.port());
    client.send(
        "QM-PANEL-getenum-11QM-PANEL-getvar-0QM-PANEL-getser-UDP-4QM-PANEL-getser-TCP-5"
        "QM-PANEL-setvar-17-1-1-1-saveQM-PANEL-getvar-1QM-PANEL-intoEdit");
    EXPECT_EQ(client.read(kVar1Reply.size()), kVar1Reply);
}

const std::string kNetworkEnd = "velk-panel-sim\r\n";

TEST(SimulatorTest, PanelNetworkReplyIsReadByTheTool) {
    Simulator sim;
    SimClient client(sim.port());
    client.send(MakeGetLan());
    std::string block = client.readUntil(kNetworkEnd);
    EXPECT_GT(block.size(), 180u);
    Reply reply = readReply(block);
    ASSERT_TRUE(std::holds_alternative<PanelNetworkReply>(reply));
    const auto& network = std::get<PanelNetworkReply>(reply);
    PanelNetwork held = sim->snapshot().network;
    EXPECT_EQ(network.ip, held.ip);
    EXPECT_EQ(network.gateway, held.gateway);
    EXPECT_EQ(network.mask, held.mask);
    EXPECT_EQ(network.mac, held.mac);
    EXPECT_EQ(network.tcpPort, sim.port());
    EXPECT_EQ(network.udpPort, held.udpPort);
}

TEST(SimulatorTest, ShortestPanelNetworkReplyIsStillLongerThan180) {
    PanelNetwork zero;
    zero.ip = zero.mask = zero.gateway = 0;
    zero.mac = {};
    zero.tcpPort = zero.udpPort = 0;
    std::string block = panelNetworkReply(zero);
    EXPECT_GT(block.size(), 180u);
    EXPECT_TRUE(std::holds_alternative<PanelNetworkReply>(readReply(block)));
}

TEST(SimulatorTest, SetNetworkValuesShowInTheNextReply) {
    Simulator sim;
    SimClient client(sim.port());
    // The tool sends the changed values without pauses, so they may arrive in one block.
    client.send(MakeSetIp(0x0A000007) + MakeSetSubm(0xFF000000) + MakeSetGate(0x0A000001) +
                MakeSetMac({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0xFF}) + "QM-PANEL-setip-300.1.1.1" + MakeGetLan());
    Reply reply = readReply(client.readUntil(kNetworkEnd));
    ASSERT_TRUE(std::holds_alternative<PanelNetworkReply>(reply));
    const auto& network = std::get<PanelNetworkReply>(reply);
    EXPECT_EQ(network.ip, 0x0A000007u);
    EXPECT_EQ(network.mask, 0xFF000000u);
    EXPECT_EQ(network.gateway, 0x0A000001u);
    EXPECT_EQ(network.mac, (std::array<uint8_t, 6>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0xFF}));
}

TEST(SimulatorTest, LearnCommandIsHeld) {
    Simulator sim;
    SimClient client(sim.port());
    client.send(MakeLearnIr(7));
    client.send(MakeLearnIr(64));
    client.close();
    ASSERT_TRUE(sim->waitForClosedConnections(1, 5s));
    EXPECT_EQ(sim->snapshot().learnedIr, (std::vector<int>{7, 64}));
}

TEST(SimulatorTest, LogHoldsEveryCommandEscaped) {
    velk::test::TempDir folder;
    SimulatorOptions options;
    options.logPath = folder.file("sim.log");
    Simulator sim(options);
    SimClient client(sim.port());
    client.send(std::string("\x01~ \\", 4));
    client.send("QM-PANEL-intoEdit");
    client.send("setmode-add-10-send-a\\b\r\n");
    client.send(std::string("QM-PANEL-setenum-1-ascii-\xbf\xaa#\x7f\t\x00", 31));
    client.close();
    ASSERT_TRUE(sim->waitForClosedConnections(1, 5s));
    EXPECT_EQ(velk::test::readFileBytes(options.logPath),
              "\\x01~ \\\\\n"
              "QM-PANEL-intoEdit\n"
              "setmode-add-10-send-a\\\\b\\x0d\\x0a\n"
              "QM-PANEL-setenum-1-ascii-\\xbf\\xaa#\\x7f\\x09\\x00\n");
}

// Writes the commands of a small write cut into the given pieces and checks that the simulator
// takes the same commands and answers every wait.
void expectSmallWriteThrough(const std::vector<std::string>& pieces) {
    SimulatorOptions options;
    // Only the bytes decide here, never the clock.
    options.quietMs = 600000;
    Simulator sim(options);
    SimClient client(sim.port());
    for (const std::string& piece : pieces) {
        ASSERT_TRUE(client.send(piece));
    }
    EXPECT_EQ(client.read(kSmallWriteReplies.size()), kSmallWriteReplies);
    ASSERT_TRUE(sim->waitForCommands(smallWrite().size(), 5s));
    EXPECT_EQ(sim->receivedCommands(), smallWrite());
}

TEST(SimulatorTest, CommandsSplitAcrossWrites) {
    std::vector<std::string> bytes;
    for (char c : joined(smallWrite())) {
        bytes.emplace_back(1, c);
    }
    expectSmallWriteThrough(bytes);
}

TEST(SimulatorTest, CommandsJoinedInOneWrite) {
    expectSmallWriteThrough({joined(smallWrite())});
}

TEST(SimulatorTest, CommandsCutAtRandom) {
    std::mt19937 random(4800);
    std::string all = joined(smallWrite());
    std::vector<std::string> pieces;
    for (size_t at = 0; at < all.size();) {
        size_t size = 1 + random() % 23;
        pieces.push_back(all.substr(at, size));
        at += size;
    }
    expectSmallWriteThrough(pieces);
}

TEST(SimulatorTest, GarbageDoesNotStopIt) {
    std::mt19937 random(1163);
    std::string noise(200000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() % 256);
    }
    std::string prefixes;
    while (prefixes.size() < 300000) {
        prefixes += "QM-PANEL-keyedit-";
    }
    const std::vector<std::string> blobs = {
        noise,
        std::string(1500000, '1'),
        "setcode-ascii-" + std::string(1200000, 'A'),
        prefixes,
        "QM-PANEL-getenum-" + std::string(5000, '9'),
        "bindir-" + std::string(10000, ','),
        std::string("QM-PANEL-setenum-1-\x00\x00", 21),
    };
    Simulator sim;
    for (const std::string& blob : blobs) {
        size_t before = sim->connectionCount();
        SimClient client(sim.port());
        ASSERT_TRUE(client.connected());
        client.send(blob);
        client.close();
        ASSERT_TRUE(sim->waitForClosedConnections(before + 1, 10s));
    }
    SimClient client(sim.port());
    client.send(MakeGetLan());
    EXPECT_TRUE(std::holds_alternative<PanelNetworkReply>(readReply(client.readUntil(kNetworkEnd))));
}

TEST(SimulatorTest, EveryGarbageByteIsLoggedOnce) {
    std::mt19937 random(1188);
    std::string noise(50000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() % 256);
    }
    Simulator sim;
    SimClient client(sim.port());
    client.send(noise);
    client.close();
    ASSERT_TRUE(sim->waitForClosedConnections(1, 10s));
    std::string all;
    for (const std::string& command : sim->receivedCommands()) {
        all += command;
    }
    EXPECT_EQ(all, noise);
}

TEST(SimulatorTest, SecondClientIsServedWhenTheFirstLeaves) {
    Simulator sim;
    SimClient first(sim.port());
    first.send("QM-PANEL-getvar-1QM-PANEL-intoEdit");
    EXPECT_EQ(first.read(kVar1Reply.size()), kVar1Reply);

    SimClient second(sim.port());
    ASSERT_TRUE(second.connected());
    second.send("QM-PANEL-getvar-2QM-PANEL-intoEdit");
    // The server thread is still busy with the first client: one connection at a time.
    EXPECT_EQ(sim->connectionCount(), 1u);

    first.close();
    EXPECT_EQ(second.read(kVar1Reply.size()), "QM-PANEL-rtnvar-2-0-0-0-save");
    EXPECT_EQ(sim->connectionCount(), 2u);
}

TEST(SimulatorTest, StopEndsAConnectionInProgress) {
    Simulator sim;
    SimClient client(sim.port());
    client.send("QM-PANEL-intoEdit");
    ASSERT_TRUE(sim->waitForCommands(1, 5s));
    sim->stop();
    EXPECT_TRUE(client.waitClosed());
    sim->stop();
}

TEST(SimulatorTest, RefusesAPortInUse) {
    Simulator sim;
    SimulatorOptions options;
    options.port = sim.port();
    PanelSimulator second(options);
    std::string error;
    EXPECT_FALSE(second.start(error));
    EXPECT_NE(error.find("bind"), std::string::npos);
}

TEST(SimulatorTest, RefusesALogItCannotOpen) {
    SimulatorOptions options;
    options.port = 0;
    options.logPath = "/nonexistent-folder/sim.log";
    PanelSimulator sim(options);
    std::string error;
    EXPECT_FALSE(sim.start(error));
    EXPECT_NE(error.find("/nonexistent-folder/sim.log"), std::string::npos);
}

}  // namespace
}  // namespace velk::sim
