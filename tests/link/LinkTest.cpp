#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "FakePanel.h"
#include "LinkHarness.h"
#include "device/CommandLog.h"
#include "device/TcpSocket.h"

namespace velk::test {
namespace {

TEST(CommandLog, EscapesEverythingOutsidePrintableAscii) {
    struct Case {
        std::string command;
        std::string line;
    };
    const Case cases[] = {
        {"QM-PANEL-intoEdit", "QM-PANEL-intoEdit"},
        {"a\\b", "a\\\\b"},
        {std::string("AB\r\n", 4), "AB\\x0d\\x0a"},
        {std::string("\x00\x1f\x7f\x80\xff", 5), "\\x00\\x1f\\x7f\\x80\\xff"},
        {"\xc4\xe3", "\\xc4\\xe3"},  // GBK bytes are escaped, never passed through
        {" ~", " ~"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeCommand(c.command), c.line) << c.line;
    }
}

// A listener waits for a client without a time-out and still gives up the moment its owner
// writes to the wake pipe, so an idle server never has to wake to look for a stop.
TEST(TcpListener, AcceptWithoutTimeOutEndsOnAClientOrOnTheWakePipe) {
    std::string error;
    auto listener = TcpListener::listenLoopback(0, error);
    ASSERT_TRUE(listener) << error;
    int wake[2];
    ASSERT_EQ(::pipe(wake), 0);

    std::thread client([&] {
        std::string connectError;
        auto socket = TcpSocket::connectTo(kLoopbackAddress, listener->port(), 2000, connectError);
        EXPECT_TRUE(socket) << connectError;
    });
    EXPECT_TRUE(listener->accept(-1, wake[0]));
    client.join();

    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        char byte = 1;
        EXPECT_EQ(::write(wake[1], &byte, 1), 1);
    });
    EXPECT_FALSE(listener->accept(-1, wake[0]));
    waker.join();
    ::close(wake[0]);
    ::close(wake[1]);
}

TEST(TcpSocket, RefusedConnectionReportsWhy) {
    uint16_t port = 0;
    {
        std::string error;
        auto listener = TcpListener::listenLoopback(0, error);
        ASSERT_TRUE(listener) << error;
        port = listener->port();
    }
    std::string error;
    EXPECT_FALSE(TcpSocket::connectTo(kLoopbackAddress, port, 2000, error));
    EXPECT_NE(error.find("connect"), std::string::npos) << error;
}

TEST(PanelLink, SendsEachCommandAndDeliversWhatThePanelSends) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    ui.link.Send("QM-PANEL-getlan");
    ui.link.Send("");  // never transmitted
    ui.link.Send(std::string("x\0y", 3));
    ASSERT_TRUE(panel.waitFor(0, [](const std::string& s) { return s.size() >= 18; }));
    EXPECT_EQ(panel.received(0), std::string("QM-PANEL-getlanx\0y", 18));

    ASSERT_TRUE(panel.sendRaw("hello"));
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.data.empty(); }));
    EXPECT_EQ(ui.data[0], "hello");
}

TEST(PanelLink, OverlongCommandIsDropped) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    ui.link.Send(std::string(65531, 'a'));
    ui.link.Send(std::string(65530, 'b'));
    ASSERT_TRUE(panel.waitFor(0, [](const std::string& s) { return s.size() >= 65530; }));
    EXPECT_EQ(panel.received(0), std::string(65530, 'b'));
}

TEST(PanelLink, LocalCloseEndsBothThreadsAndTheConnection) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    int64_t generation = ui.link.generation();
    ui.link.close();
    EXPECT_EQ(ui.link.generation(), 0);
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));
    EXPECT_EQ(ui.closed, std::vector<int64_t>{generation});
    EXPECT_TRUE(panel.waitClosed(0));
    // Nothing queued while closed goes anywhere.
    ui.link.Send("QM-PANEL-getlan");
    EXPECT_EQ(panel.received(0), "");
}

TEST(PanelLink, WaitSentBeforeCloseDeliversEveryCommand) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        std::string command = "QM-PANEL-getvar-" + std::to_string(i);
        ui.link.Send(command);
        expected += command;
    }
    EXPECT_TRUE(ui.link.waitSent(5000));
    ui.link.close();
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), expected);
}

TEST(PanelLink, InterruptFromAnotherThreadEndsSendsAtOnce) {
    FakePanel panel;
    panel.setReading(false);  // the sends pile up until the socket takes no more
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    const int64_t generation = ui.link.generation();
    std::atomic<int> sent{0};
    SendResult last = SendResult::Sent;
    std::thread writer([&] {
        const std::string block(kMaxCommandLength, 'x');
        for (int i = 0; i < 10000 && last == SendResult::Sent; ++i) {
            last = ui.link.sendAndWait(block, 60000);
            sent += last == SendResult::Sent ? 1 : 0;
        }
    });
    while (sent.load() == 0) {
        std::this_thread::yield();
    }
    const auto interrupted = std::chrono::steady_clock::now();
    ui.link.interrupt();
    writer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(5));
    EXPECT_EQ(last, SendResult::Lost);
    EXPECT_FALSE(ui.link.alive(generation));
    // The user-interface thread still retires the connection as after any close.
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));
    EXPECT_EQ(ui.closed, std::vector<int64_t>{generation});
    EXPECT_EQ(ui.link.generation(), 0);
}

TEST(PanelLink, RemoteCloseIsReportedAndANewConnectionWorks) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    int64_t first = ui.link.generation();
    panel.closeClient();
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));
    EXPECT_EQ(ui.closed.front(), first);
    EXPECT_EQ(ui.link.generation(), 0);  // the closed connection was joined and forgotten

    ASSERT_TRUE(ui.connectTo(panel.port()));
    EXPECT_GT(ui.link.generation(), first);
    ui.link.Send("again");
    EXPECT_TRUE(panel.waitForText(1, "again"));
    EXPECT_EQ(panel.received(0), "");
}

TEST(PanelLink, CommandQueuedBeforeDisconnectNeverReachesTheNextConnection) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    // The panel stops reading, so the send thread blocks and the marker stays queued.
    panel.setReading(false);
    const std::string big(65530, 'z');
    for (int i = 0; i < 400; ++i) {
        ui.link.Send(big);
    }
    ui.link.Send("LEAK-MARK");
    ui.link.close();
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));
    panel.setReading(true);
    ASSERT_TRUE(panel.waitClosed(0));

    ASSERT_TRUE(ui.connectTo(panel.port()));
    ui.link.Send("NEW");
    ASSERT_TRUE(panel.waitForText(1, "NEW"));
    ui.link.close();
    ASSERT_TRUE(panel.waitClosed(1));
    EXPECT_EQ(panel.received(1), "NEW");
    EXPECT_EQ(panel.received(0).find("LEAK-MARK"), std::string::npos);
}

TEST(PanelLink, ReconnectWhileConnectedRetiresTheOldConnection) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    int64_t first = ui.link.generation();
    ASSERT_TRUE(ui.connectTo(panel.port()));
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.closed.empty(); }));
    EXPECT_EQ(ui.closed.front(), first);
    ASSERT_TRUE(panel.waitClosed(0));
    ui.link.Send("second");
    EXPECT_TRUE(panel.waitForText(1, "second"));
}

TEST(PanelLink, UnreachablePanelFailsWithAReason) {
    uint16_t port = 0;
    {
        std::string error;
        auto listener = TcpListener::listenLoopback(0, error);
        ASSERT_TRUE(listener) << error;
        port = listener->port();
    }
    LinkHarness ui;
    int64_t generation = ui.link.open(kLoopbackAddress, port);
    ASSERT_TRUE(ui.pumpUntil([&] { return !ui.failed.empty(); }));
    EXPECT_EQ(ui.failed.front(), generation);
    EXPECT_TRUE(ui.connected.empty());
    EXPECT_FALSE(ui.handled.back().text.empty());
    EXPECT_EQ(ui.link.generation(), 0);
}

TEST(PanelLink, StopWhileConnectedJoinsEverything) {
    FakePanel panel;
    auto ui = std::make_unique<LinkHarness>();
    ASSERT_TRUE(ui->connectTo(panel.port()));
    ui->link.Send("bye");
    ASSERT_TRUE(panel.waitForText(0, "bye"));
    ui->link.stop();
    EXPECT_TRUE(panel.waitClosed(0));
    ui.reset();
}

TEST(PanelLink, SendFromManyThreadsKeepsEachThreadsOrder) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    std::vector<std::thread> senders;
    for (char id : {'a', 'b', 'c'}) {
        senders.emplace_back([&ui, id] {
            for (int i = 0; i < 100; ++i) {
                ui.link.Send(std::string(1, id) + std::to_string(i % 10));
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    ASSERT_TRUE(panel.waitFor(0, [](const std::string& s) { return s.size() == 600; }));
    std::string stream = panel.received(0);
    for (char id : {'a', 'b', 'c'}) {
        std::string digits;
        for (size_t i = 0; i + 1 < stream.size(); i += 2) {
            if (stream[i] == id) {
                digits += stream[i + 1];
            }
        }
        std::string expected;
        for (int i = 0; i < 100; ++i) {
            expected += static_cast<char>('0' + i % 10);
        }
        EXPECT_EQ(digits, expected) << id;
    }
}

}  // namespace
}  // namespace velk::test
