#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "FakePanel.h"
#include "device/Commands.h"
#include "device/TcpSocket.h"
#include "device/WritePlan.h"
#include "session/FormMirror.h"
#include "session/LinkNotice.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

const char kSucceeded[] = "写入成功！";
const char kTimedOut[] = "写入超时，请尝试重新写入！";
const char kWriteLost[] = "与面板的连接已断开，写入未完成，请重新连接后再写入！";
const char kReadLost[] = "与面板的连接已断开，读取未完成！";

std::string networkReply() {
    std::string block =
        "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
        "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    return block + std::string(200 - block.size(), ' ');
}

// A loopback port nobody listens on (one a listener just gave back), or 0.
uint16_t unusedPort() {
    std::string error;
    auto listener = TcpListener::listenLoopback(0, error);
    return listener ? listener->port() : 0;
}

// A session with a new project, connected to a fake panel that answers like a real one.
class DeviceSessionTest : public ::testing::Test {
protected:
    DeviceSessionTest() : clock(5) {
        panel.answerWrites();
        panel.answer("QM-PANEL-getlan", networkReply());
        path = dir.file("p.db");
        session = std::make_unique<Session>(recorder, queue, clock);
        EXPECT_TRUE(session->project().newProject(path));
        EXPECT_TRUE(MessagePump(queue, *session).flush());
    }
    ~DeviceSessionTest() override { session->shutdown(); }

    DeviceSession& device() { return session->device(); }

    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
        return MessagePump(queue, *session).runUntil(done, timeoutMs);
    }

    bool connect() {
        device().connectOrDisconnect(kLoopbackAddress, panel.port());
        return pumpUntil([&] { return device().linkState() == LinkState::Connected; });
    }

    bool writeToEnd() {
        if (!device().write()) {
            return false;
        }
        return pumpUntil([&] { return !device().writing(); }, 30000);
    }

    std::string streamAfterClose(size_t connection = 0) {
        EXPECT_TRUE(device().flushSends());
        device().connectOrDisconnect(0, 0);
        EXPECT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
        EXPECT_TRUE(panel.waitClosed(connection));
        return panel.received(connection);
    }

    void fillModel() {
        ConfigModel& model = session->project().model();
        model.enums[0].data = {"ON", "OFF"};
        model.variables[3] = Variable{4, 1, 2, 3, 0};
        KeyAction io;
        io.function = FunctionCode::Io;
        io.ioChannels = 3;
        model.actions[4] = {io};
        model.eventSettings[4].timeEnable = 1;
        model.eventSettings[4].time = 250;
    }

    FakePanel panel;
    TempDir dir;
    std::string path;
    MessageQueue queue;
    FormMirror recorder;
    FastClock clock;
    std::unique_ptr<Session> session;
};

TEST_F(DeviceSessionTest, ConnectWriteAndDisconnect) {
    ASSERT_TRUE(connect());
    EXPECT_EQ(recorder.linkStates, (std::vector<LinkState>{LinkState::Connecting, LinkState::Connected}));
    fillModel();
    const std::string expected = [&] {
        std::string joined;
        for (const auto& command : planCommands(buildWritePlan(session->project().model()))) {
            joined += command;
        }
        return joined;
    }();
    ASSERT_TRUE(writeToEnd());
    EXPECT_EQ(device().lastWriteResult(), WriteResult::Succeeded);
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kSucceeded});
    EXPECT_EQ(recorder.writeStartedCount, 1);
    EXPECT_EQ(recorder.writeEndedCount, 1);
    ASSERT_FALSE(recorder.progress.empty());
    EXPECT_EQ(recorder.progress.front(), 50);

    // The caption turns back only when the receive thread has seen the end.
    device().connectOrDisconnect(0, 0);
    EXPECT_EQ(device().linkState(), LinkState::Connected);
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), expected);
    EXPECT_FALSE(device().write());  // not connected
}

TEST_F(DeviceSessionTest, WriteTimeOutTellsTheUserOnce) {
    panel.hold(kClearTrigger);
    ASSERT_TRUE(connect());
    fillModel();
    ASSERT_TRUE(writeToEnd());
    EXPECT_EQ(device().lastWriteResult(), WriteResult::TimedOut);
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kTimedOut});
    EXPECT_EQ(recorder.writeEndedCount, 1);
    EXPECT_EQ(streamAfterClose(), "QM-PANEL-intoEditQM-PANEL-clrkey-FF");
}

TEST_F(DeviceSessionTest, ExitReplyOutOfTurnIsNoSuccess) {
    panel.hold(kHeaderTrigger);
    ASSERT_TRUE(connect());
    fillModel();
    ASSERT_TRUE(device().write());
    ASSERT_TRUE(pumpUntil([&] { return panel.received(0).find(kHeaderTrigger) != std::string::npos; }));
    ASSERT_TRUE(panel.sendRaw(kExitReply));
    ASSERT_TRUE(pumpUntil([&] { return !device().writing(); }, 30000));
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kTimedOut});

    // Nor is one that comes while nothing is written.
    recorder.clearEvents();
    ASSERT_TRUE(panel.sendRaw(kExitReply));
    ASSERT_TRUE(pumpUntil([&] { return device().writeAck() == ACK_EXITED; }));
    EXPECT_TRUE(recorder.messageTexts().empty());
}

TEST_F(DeviceSessionTest, PanelClosingDuringAWriteSaysTheConnectionWasLost) {
    panel.hold(kHeaderTrigger);
    ASSERT_TRUE(connect());
    fillModel();
    ASSERT_TRUE(device().write());
    ASSERT_TRUE(pumpUntil([&] { return panel.received(0).find(kHeaderTrigger) != std::string::npos; }));
    panel.closeClient();
    ASSERT_TRUE(pumpUntil([&] { return !device().writing(); }, 5000));
    EXPECT_EQ(device().lastWriteResult(), WriteResult::LinkLost);
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kWriteLost});
    EXPECT_EQ(recorder.writeEndedCount, 1);
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    // Beside the address fields too, until the next attempt.
    EXPECT_EQ(device().linkNotice(), "与面板的连接已断开");
}

TEST_F(DeviceSessionTest, PanelClosingDuringAReadSaysTheConnectionWasLost) {
    panel.answer("QM-PANEL-getenum-2", "");  // just to see the read under way
    ASSERT_TRUE(connect());
    ASSERT_TRUE(device().read());
    ASSERT_TRUE(panel.waitForText(0, "QM-PANEL-getenum-2"));
    panel.closeClient();
    ASSERT_TRUE(pumpUntil([&] { return !device().reading(); }, 5000));
    EXPECT_TRUE(device().lastReadLostLink());
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kReadLost});
}

TEST_F(DeviceSessionTest, LeftOutCommandsAreNamedAfterTheOutcome) {
    ASSERT_TRUE(connect());
    fillModel();
    session->project().model().enums[5].data = {std::string(70000, 'x')};
    ASSERT_TRUE(writeToEnd());
    EXPECT_EQ(device().lastWriteResult(), WriteResult::Succeeded);
    EXPECT_EQ(device().leftOutOfLastWrite(), std::vector<std::string>{"E6"});
    EXPECT_EQ(recorder.messageTexts(),
              (std::vector<std::string>{kSucceeded, "以下内容的指令超过面板可接收的长度，未写入：E6"}));
}

TEST_F(DeviceSessionTest, SecondWriteWaitsForTheFirst) {
    panel.hold(kClearTrigger);
    ASSERT_TRUE(connect());
    ASSERT_TRUE(device().write());
    EXPECT_FALSE(device().write());
    EXPECT_FALSE(device().read());
    panel.release(kClearTrigger);
    ASSERT_TRUE(pumpUntil([&] { return !device().writing(); }, 30000));
    EXPECT_EQ(recorder.messageTexts(), std::vector<std::string>{kSucceeded});
    ASSERT_TRUE(writeToEnd());
    EXPECT_EQ(device().lastWriteResult(), WriteResult::Succeeded);
}

TEST_F(DeviceSessionTest, ReplyDuringAWriteUpdatesTheModelNotTheWrite) {
    panel.hold(kHeaderTrigger);
    ASSERT_TRUE(connect());
    fillModel();
    auto plan = buildWritePlan(session->project().model());
    ASSERT_TRUE(device().write());
    ASSERT_TRUE(pumpUntil([&] { return panel.received(0).find(kHeaderTrigger) != std::string::npos; }));
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnenum-1-ascii-changed"));
    ASSERT_TRUE(pumpUntil([&] { return recorder.enumRows[0][3] == "'changed'"; }));
    panel.release(kHeaderTrigger);
    ASSERT_TRUE(pumpUntil([&] { return !device().writing(); }, 30000));
    EXPECT_EQ(device().lastWriteResult(), WriteResult::Succeeded);
    EXPECT_EQ(session->project().model().enumAt(0).data, std::vector<std::string>{"changed"});
    std::string joined;
    for (const auto& command : planCommands(plan)) {
        joined += command;
    }
    EXPECT_EQ(streamAfterClose(), joined);
}

TEST_F(DeviceSessionTest, ReadReachesModelRowsAndFile) {
    panel.answer("QM-PANEL-getenum-3QM", "QM-PANEL-rtnenum-3-hex-0A 1#zz#ff");
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-SAVE");
    panel.answer("QM-PANEL-getser-UDP-1QM", "QM-PANEL-rtnser-UDP-1-192.168.1.30-6000");
    ASSERT_TRUE(connect());
    ASSERT_TRUE(device().read());
    ASSERT_TRUE(pumpUntil([&] { return !device().reading() && recorder.netRows[4][2] == "6000"; }));
    EXPECT_EQ(recorder.enumRows[2], (EnumRowTexts{"E3", "Hex", "2", "'0a 01', 'ff'"}));
    EXPECT_EQ(recorder.variableRows[1], (VariableRowTexts{"V2", "5", "0", "10", "保存"}));
    EXPECT_EQ(recorder.netRows[4], (NetTargetRowTexts{"UDP1", "192.168.1.30", "6000"}));

    // The project file holds the replies: a fresh session opening it sees them.
    session->shutdown();
    session = std::make_unique<Session>(recorder, queue, clock);
    ASSERT_TRUE(session->project().openProject(path));
    ASSERT_TRUE(MessagePump(queue, *session).flush());
    const ConfigModel& model = session->project().model();
    EXPECT_EQ(model.enumAt(2), (EnumVariable{3, kHex, {"0a 01", "ff"}}));
    EXPECT_EQ(model.variableAt(1), (Variable{2, 0, 5, 10, 0}));
    EXPECT_EQ(model.netTargetAt(4), (NetTarget{0xC0A8011E, 6000, 5}));
}

// The panel's text has no delimiters: a reply the network hands over in two pieces still counts,
// during a read and during a write.
TEST_F(DeviceSessionTest, RepliesSplitOverTwoReceivesAreRead) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnvar-2-5-0-1"));
    ASSERT_TRUE(pumpUntil([&] { return device().unreadReplyBytes() == "QM-PANEL-rtnvar-2-5-0-1"; }));
    ASSERT_TRUE(panel.sendRaw("0-save"));
    ASSERT_TRUE(pumpUntil([&] { return recorder.variableRows[1][3] == "10"; }));
    EXPECT_EQ(session->project().model().variableAt(1), (Variable{2, 0, 5, 10, 0}));
    EXPECT_TRUE(device().unreadReplyBytes().empty());

    panel.hold(kClearTrigger);
    ASSERT_TRUE(device().write());
    ASSERT_TRUE(panel.waitForText(0, kClearTrigger));
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnstate-cl"));
    ASSERT_TRUE(pumpUntil([&] { return device().unreadReplyBytes() == "QM-PANEL-rtnstate-cl"; }));
    ASSERT_TRUE(panel.sendRaw("r ok 16"));
    ASSERT_TRUE(pumpUntil([&] { return !device().writing(); }, 30000));
    EXPECT_EQ(device().lastWriteResult(), WriteResult::Succeeded);
}

TEST_F(DeviceSessionTest, PanelNetworkSendsOnlyWhatChanged) {
    ASSERT_TRUE(connect());
    device().requestPanelNetwork();
    ASSERT_TRUE(pumpUntil([&] { return recorder.panelNetwork.has_value(); }));
    PanelNetworkReply panelSettings = *recorder.panelNetwork;
    EXPECT_EQ(panelSettings.mac, (std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));

    PanelNetworkSettings unchanged{panelSettings.ip,  panelSettings.mask,    panelSettings.gateway,
                                   panelSettings.mac, panelSettings.tcpPort, panelSettings.udpPort};
    device().applyPanelNetwork(panelSettings, unchanged);
    PanelNetworkSettings gateway = unchanged;
    gateway.gateway = 0xC0A801FE;
    device().applyPanelNetwork(panelSettings, gateway);
    EXPECT_EQ(streamAfterClose(), "QM-PANEL-getlanQM-PANEL-setgate-192.168.1.254");
}

TEST_F(DeviceSessionTest, LearnIrChecksTheId) {
    ASSERT_TRUE(connect());
    for (const char* refused : {"0", "65", ""}) {
        device().learnIr(refused);
    }
    EXPECT_EQ(recorder.messageTexts(),
              (std::vector<std::string>{"红外ID范围为1到64", "红外ID范围为1到64", "红外ID范围为1到64"}));
    device().learnIr("7");
    device().learnIr("64");
    EXPECT_EQ(streamAfterClose(), "QM-PANEL-leairQM-PANEL-sndir-01-07QM-PANEL-leairQM-PANEL-sndir-01-64");
}

TEST_F(DeviceSessionTest, RemoteCloseAndReconnect) {
    ASSERT_TRUE(connect());
    panel.closeClient();
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    ASSERT_TRUE(connect());
    device().learnIr("1");
    ASSERT_TRUE(panel.waitForText(1, "sndir-01-01"));
    EXPECT_EQ(panel.received(0), "");
}

TEST_F(DeviceSessionTest, UnreachablePanelStaysClosedWithAReason) {
    const uint16_t port = unusedPort();
    ASSERT_NE(port, 0);
    device().connectOrDisconnect(kLoopbackAddress, port);
    EXPECT_EQ(device().linkState(), LinkState::Connecting);
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    EXPECT_FALSE(device().lastLinkError().empty());
    EXPECT_FALSE(device().write());
}

TEST_F(DeviceSessionTest, ARefusedConnectionIsNamedUntilTheNextAttempt) {
    const uint16_t port = unusedPort();
    ASSERT_NE(port, 0);
    device().connectOrDisconnect(kLoopbackAddress, port);
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    EXPECT_EQ(device().lastLinkFailure(), ConnectFailure::Refused);
    EXPECT_EQ(device().linkNotice(), "无法连接：连接被拒绝");
    EXPECT_EQ(recorder.linkNotice, "无法连接：连接被拒绝");
    // velkctl keeps the socket layer's own words.
    EXPECT_NE(device().lastLinkError().find("connect:"), std::string::npos);

    // The next attempt clears it at once; a successful one leaves nothing to say.
    ASSERT_TRUE(connect());
    EXPECT_EQ(recorder.eventsStartingWith("linkNotice"),
              (std::vector<std::string>{"linkNotice 无法连接：连接被拒绝", "linkNotice "}));
    EXPECT_TRUE(device().linkNotice().empty());
}

TEST_F(DeviceSessionTest, ADroppedConnectionIsNamedAndADisconnectIsNot) {
    ASSERT_TRUE(connect());
    panel.closeClient();
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    EXPECT_EQ(device().linkNotice(), "与面板的连接已断开");

    ASSERT_TRUE(connect());
    EXPECT_TRUE(device().linkNotice().empty());
    device().connectOrDisconnect(0, 0);
    ASSERT_TRUE(pumpUntil([&] { return device().linkState() == LinkState::Closed; }));
    EXPECT_TRUE(device().linkNotice().empty());
    EXPECT_EQ(recorder.eventsStartingWith("linkNotice"),
              (std::vector<std::string>{"linkNotice 与面板的连接已断开", "linkNotice "}));
}

TEST(LinkNotice, EachFailureIsSaidInTheUsersWords) {
    struct Case {
        int error;
        ConnectFailure failure;
        std::string notice;
    };
    const Case cases[] = {
        {ECONNREFUSED, ConnectFailure::Refused, "无法连接：连接被拒绝"},
        {ETIMEDOUT, ConnectFailure::TimedOut, "无法连接：面板无应答（超时）"},
        {ENETUNREACH, ConnectFailure::Unreachable, "无法连接：网络或地址不可达"},
        {EHOSTUNREACH, ConnectFailure::Unreachable, "无法连接：网络或地址不可达"},
        {EADDRNOTAVAIL, ConnectFailure::BadAddress, "无法连接：地址或端口无效"},
        {EACCES, ConnectFailure::BadAddress, "无法连接：地址或端口无效"},
        {EMFILE, ConnectFailure::Other, "无法连接：connect: too many"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(connectFailureOf(c.error), c.failure) << c.error;
        EXPECT_EQ(connectFailureNotice(c.failure, "connect: too many"), c.notice) << c.error;
    }
    // Giving up an attempt is the user's own doing and needs no word.
    EXPECT_EQ(connectFailureNotice(ConnectFailure::Cancelled, "connect: cancelled"), "");
}

TEST_F(DeviceSessionTest, ShutdownDuringAWriteEndsPromptly) {
    panel.hold(kClearTrigger);
    ASSERT_TRUE(connect());
    ASSERT_TRUE(device().write());
    ASSERT_TRUE(panel.waitForText(0, kClearTrigger));
    auto before = std::chrono::steady_clock::now();
    session->shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_TRUE(panel.waitClosed(0));
}

}  // namespace
}  // namespace velk::test
