#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "FakePanel.h"
#include "site/SiteLink.h"

namespace velk::test {
namespace {

using namespace std::chrono_literals;

// A site link with what it received gathered in one string.
struct Connected {
    std::atomic<bool> stop{false};
    std::string received;
    SiteLink link{stop, [this](std::string_view bytes) { received.append(bytes); }};
};

TEST(SiteLink, SendsInOrderAndTakesEveryReplyInOrder) {
    FakePanel panel;
    panel.answer("ping", "QM-PANEL-rtnstate-add ok");
    Connected c;
    std::string error;
    ASSERT_TRUE(c.link.connect(kLoopbackAddress, panel.port(), 2000, error)) << error;
    EXPECT_EQ(c.link.send("first", 1000), SendResult::Sent);
    EXPECT_EQ(c.link.send("ping", 1000), SendResult::Sent);
    ASSERT_TRUE(panel.waitForText(0, "firstping"));
    // The panel's answer to ping comes from its own thread: the second reply follows it.
    auto receiveUntil = [&](size_t size) {
        for (int look = 0; look < 2500 && c.received.size() < size; ++look) {
            std::this_thread::sleep_for(2ms);
            c.link.receive();
        }
    };
    receiveUntil(24);
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnstate-clr ok 16"));
    receiveUntil(51);
    EXPECT_EQ(c.received, "QM-PANEL-rtnstate-add okQM-PANEL-rtnstate-clr ok 16");
    EXPECT_TRUE(c.link.alive());
}

TEST(SiteLink, APanelThatClosesIsSeenAtTheNextLookAndSendsAreLost) {
    FakePanel panel;
    Connected c;
    std::string error;
    ASSERT_TRUE(c.link.connect(kLoopbackAddress, panel.port(), 2000, error)) << error;
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnstate-edit exit"));
    panel.closeClient();
    bool alive = true;
    for (int look = 0; look < 1000 && alive; ++look) {
        std::this_thread::sleep_for(2ms);
        alive = c.link.alive();
    }
    EXPECT_FALSE(alive);
    // What the panel sent before it closed is still delivered.
    EXPECT_EQ(c.received, "QM-PANEL-rtnstate-edit exit");
    EXPECT_EQ(c.link.send("anything", 1000), SendResult::Lost);
}

// Fills the panel's receive buffer and the link's send buffer with commands the panel never reads.
SendResult sendUntilBlocked(SiteLink& link, int timeoutMs) {
    const std::string big(kMaxCommandLength, 'x');
    for (int i = 0; i < 4096; ++i) {
        SendResult result = link.send(big, timeoutMs);
        if (result != SendResult::Sent) {
            return result;
        }
    }
    return SendResult::Sent;
}

TEST(SiteLink, APanelThatTakesNoDataMakesTheSendStuckAfterItsWait) {
    FakePanel panel;
    panel.setReading(false);
    Connected c;
    std::string error;
    ASSERT_TRUE(c.link.connect(kLoopbackAddress, panel.port(), 2000, error)) << error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sendUntilBlocked(c.link, 300), SendResult::Stuck);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    panel.setReading(true);
}

TEST(SiteLink, AStopEndsASendThatWaitsForRoom) {
    FakePanel panel;
    panel.setReading(false);
    Connected c;
    std::string error;
    ASSERT_TRUE(c.link.connect(kLoopbackAddress, panel.port(), 2000, error)) << error;
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        c.stop.store(true);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sendUntilBlocked(c.link, 60000), SendResult::Lost);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    stopper.join();
    panel.setReading(true);
}

TEST(SiteLink, ARefusedConnectSaysWhyAndLeavesNothingToSendOn) {
    // A port nobody listens on: bind one, note it, close it.
    uint16_t freePort = 0;
    {
        std::string error;
        auto listener = TcpListener::listenLoopback(0, error);
        ASSERT_TRUE(listener) << error;
        freePort = listener->port();
    }
    Connected refused;
    std::string error;
    EXPECT_FALSE(refused.link.connect(kLoopbackAddress, freePort, 2000, error));
    EXPECT_EQ(error, "connect: Connection refused");
    EXPECT_EQ(refused.link.send("x", 100), SendResult::Lost);
    EXPECT_FALSE(refused.link.alive());
}

}  // namespace
}  // namespace velk::test
