#include <poll.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FakePanel.h"
#include "site/SiteLink.h"

namespace velk::test {
namespace {

using namespace std::chrono_literals;

// A site link with what it received gathered in one string, and its sends as the tap saw them.
struct Connected {
    std::string received;
    std::vector<std::pair<size_t, int64_t>> sends;  // size, microseconds from first try to done
    SiteLink link{[this](std::string_view bytes) { received.append(bytes); },
                  [this](std::string_view command, int64_t startUs, int64_t endUs) {
                      sends.emplace_back(command.size(), endUs - startUs);
                  }};

    // Connects as the site writer does, waiting here for the socket to become writable.
    bool connect(uint16_t port, std::string& error) {
        if (!link.startConnect(kLoopbackAddress, port, error)) {
            return false;
        }
        if (link.connecting()) {
            pollfd watched{link.fd(), POLLOUT, 0};
            if (::poll(&watched, 1, 2000) != 1) {
                error = "no connection within 2 s";
                return false;
            }
            return link.finishConnect(error);
        }
        return true;
    }
};

TEST(SiteLink, SendsInOrderAndTakesEveryReplyInOrder) {
    FakePanel panel;
    panel.answer("ping", "QM-PANEL-rtnstate-add ok");
    Connected c;
    std::string error;
    ASSERT_TRUE(c.connect(panel.port(), error)) << error;
    EXPECT_EQ(c.link.send("first"), SendResult::Sent);
    EXPECT_EQ(c.link.send("ping"), SendResult::Sent);
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
    ASSERT_TRUE(c.connect(panel.port(), error)) << error;
    ASSERT_TRUE(panel.sendRaw("QM-PANEL-rtnstate-edit exit"));
    panel.closeClient();
    bool alive = true;
    for (int look = 0; look < 1000 && alive; ++look) {
        std::this_thread::sleep_for(2ms);
        c.link.receive();
        alive = c.link.alive();
    }
    EXPECT_FALSE(alive);
    // What the panel sent before it closed is still delivered.
    EXPECT_EQ(c.received, "QM-PANEL-rtnstate-edit exit");
    EXPECT_EQ(c.link.send("anything"), SendResult::Lost);
}

// Sends commands the panel does not read until the socket takes no more: how many went whole.
size_t sendUntilPending(SiteLink& link, const std::string& command) {
    for (size_t i = 0; i < 4096; ++i) {
        if (link.send(command) != SendResult::Sent) {
            return i;
        }
    }
    return 4096;
}

TEST(SiteLink, ACommandThePanelHasNoRoomForWaitsForItAndLeavesWhole) {
    FakePanel panel;
    panel.setReading(false);
    Connected c;
    std::string error;
    ASSERT_TRUE(c.connect(panel.port(), error)) << error;
    const std::string big(kMaxCommandLength, 'x');
    const size_t whole = sendUntilPending(c.link, big);
    ASSERT_LT(whole, 4096u) << "the socket never filled";
    EXPECT_EQ(c.sends.size(), whole);  // the pending one is not yet seen as sent
    EXPECT_EQ(c.link.continueSend(), SendResult::Pending);

    panel.setReading(true);
    SendResult rest = SendResult::Pending;
    for (int look = 0; look < 100 && rest == SendResult::Pending; ++look) {
        pollfd watched{c.link.fd(), POLLOUT, 0};
        ::poll(&watched, 1, 100);
        rest = c.link.continueSend();
    }
    EXPECT_EQ(rest, SendResult::Sent);
    ASSERT_EQ(c.sends.size(), whole + 1);
    EXPECT_EQ(c.sends.back().first, big.size());
    const size_t expected = (whole + 1) * big.size();
    EXPECT_TRUE(panel.waitFor(0, [expected](const std::string& bytes) { return bytes.size() == expected; }));
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
    EXPECT_FALSE(refused.connect(freePort, error));
    EXPECT_EQ(error, "connect: Connection refused");
    EXPECT_EQ(refused.link.send("x"), SendResult::Lost);
    EXPECT_FALSE(refused.link.alive());
}

}  // namespace
}  // namespace velk::test
