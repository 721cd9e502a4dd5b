#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "FakePanel.h"
#include "LinkHarness.h"
#include "device/WritePlan.h"

namespace velk::test {
namespace {

ConfigModel oneSlotModel() {
    ConfigModel model;
    model.reset();
    KeyAction ir;
    ir.irChannels = 1;
    ir.irCode = 4;
    model.actions[0] = {ir};
    return model;
}

ConfigModel busyModel() {
    ConfigModel model;
    model.reset();
    model.enums[0].data = {"ON", "OFF"};
    model.enums[3].type = kHex;
    model.enums[3].data = {"01 02", "0a"};
    model.variables[2] = Variable{3, 0, 5, 10, 1};
    model.netTargets[4] = NetTarget{0x7F000001, 6000, 5};
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 5;
    relay.relayOperation = 2;
    KeyAction serial;
    serial.function = FunctionCode::Serial;
    serial.serial.type = kAscii;
    serial.serial.varNum = 1;
    serial.serial.texts = {"AB", "$0d$0a"};
    serial.serial.placeholders = {Placeholder{}};
    serial.serial.placeholders[0].digits = 3;
    model.actions[1] = {relay, serial};
    model.eventSettings[1].timeEnable = 1;
    model.eventSettings[1].time = 300;
    model.eventSettings[1].addEnable = 1;
    model.eventSettings[1].addString = "\xc4\xe3";
    KeyAction key;
    key.function = FunctionCode::Key;
    model.actions[29] = {key};
    return model;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Closes the link and waits until the panel has everything the client sent.
std::string finalStream(LinkHarness& ui, FakePanel& panel) {
    ui.link.close();
    EXPECT_TRUE(panel.waitClosed(0));
    return panel.received(0);
}

TEST(WriteSequence, SuccessfulWriteSendsExactlyThePlan) {
    FakePanel panel;
    panel.answerWrites();
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    FastClock clock(4);
    auto plan = buildWritePlan(busyModel());
    ASSERT_TRUE(ui.runSequence(plan, clock));
    EXPECT_EQ(*ui.outcome, kSequenceCompleted);
    EXPECT_EQ(ui.timeouts, 0);
    EXPECT_EQ(finalStream(ui, panel), joinedCommands(plan));
    // Every sleep of the plan was spent.
    EXPECT_GE(clock.virtualMs(), planPacingMs(plan));
    EXPECT_LE(ui.progress.back(), 400);
}

TEST(WriteSequence, ProgressFollowsTheOneSlotExample) {
    FakePanel panel;
    panel.answerWrites();
    panel.hold(kClearTrigger);
    panel.hold(kExitTrigger);
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    FastClock clock(10);
    auto plan = buildWritePlan(oneSlotModel());
    ASSERT_TRUE(ui.startSequence(plan, clock));
    auto seen = [&](int value) {
        return [&ui, value] {
            return std::find(ui.progress.begin(), ui.progress.end(), value) != ui.progress.end();
        };
    };
    ASSERT_TRUE(ui.pumpUntil(seen(10)));
    EXPECT_GE(clock.virtualMs(), 2000);
    panel.release(kClearTrigger);
    ASSERT_TRUE(ui.pumpUntil(seen(400)));
    EXPECT_GE(clock.virtualMs(), 3000);
    panel.release(kExitTrigger);
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }));
    EXPECT_EQ(*ui.outcome, kSequenceCompleted);
    EXPECT_EQ(ui.distinctProgress(), (std::vector<int>{10, 50, 380, 400}));
    EXPECT_EQ(ui.timeouts, 0);
}

struct MissingAck {
    const char* trigger;
    WriteAck ack;
    int64_t waitMs;  // the wait that runs out
};

class WriteTimeout : public ::testing::TestWithParam<MissingAck> {};

TEST_P(WriteTimeout, EndsTheWriteAndSendsNothingMore) {
    const MissingAck missing = GetParam();
    FakePanel panel;
    panel.answerWrites();
    panel.hold(missing.trigger);
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    FastClock clock(10);
    auto plan = buildWritePlan(busyModel());
    ASSERT_TRUE(ui.runSequence(plan, clock));
    EXPECT_EQ(*ui.outcome, kSequenceTimedOut);
    EXPECT_EQ(ui.timeouts, 1);
    // The time-out is the last thing the writer posts before it ends.
    ASSERT_GE(ui.handled.size(), 2u);
    EXPECT_EQ(ui.handled[ui.handled.size() - 2].id, WM_WRITE_TIMEOUT);

    std::string expected =
        missing.ack == ACK_EXITED ? joinedCommands(plan) : commandsUntilWait(plan, missing.ack);
    EXPECT_EQ(finalStream(ui, panel), expected);
    EXPECT_GE(clock.virtualMs(), missing.waitMs);
}

INSTANTIATE_TEST_SUITE_P(EachWait, WriteTimeout,
                         ::testing::Values(MissingAck{kClearTrigger, ACK_CLEARED, 15000},
                                           MissingAck{kHeaderTrigger, ACK_ADDED, 10000},
                                           MissingAck{kExitTrigger, ACK_EXITED, 15000}));

TEST(WriteSequence, LateSecondHeaderTimesOutAfterTheFirstSlot) {
    FakePanel panel;
    panel.answer(kClearTrigger, kClearReply);
    panel.answer(kExitTrigger, kExitReply);
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    // Only the first header is answered, by hand, once it arrived.
    FastClock clock(10);
    auto plan = buildWritePlan(busyModel());
    ASSERT_TRUE(ui.startSequence(plan, clock));
    ASSERT_TRUE(
        ui.pumpUntil([&] { return contains(panel.received(0), "QM-PANEL-keyedit-1->addact-onkeyup->"); }));
    ASSERT_TRUE(panel.sendRaw(kAddedReply));
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }));
    EXPECT_EQ(*ui.outcome, kSequenceTimedOut);
    EXPECT_EQ(finalStream(ui, panel), commandsUntilWait(plan, ACK_ADDED, 2));
}

// The panel closing the connection ends the write at once, not after the 10 s header wait.
TEST(WriteSequence, LinkDroppedDuringAWaitEndsTheWriteAtOnce) {
    FakePanel panel;
    panel.answer(kClearTrigger, kClearReply);
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    SystemClock clock;
    auto plan = buildWritePlan(busyModel());
    ASSERT_TRUE(ui.startSequence(plan, clock));
    ASSERT_TRUE(ui.pumpUntil([&] { return contains(panel.received(0), kHeaderTrigger); }));
    auto dropped = std::chrono::steady_clock::now();
    panel.closeClient();
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }));
    EXPECT_FALSE(ui.closed.empty());  // the loss arrives no later than the outcome
    EXPECT_LT(std::chrono::steady_clock::now() - dropped, std::chrono::seconds(3));
    EXPECT_EQ(*ui.outcome, kSequenceLinkLost);
    EXPECT_EQ(ui.timeouts, 0);
}

// Dropped while the writer is between waits, sending: no further command is taken for sending.
TEST(WriteSequence, LinkDroppedWhileSendingEndsTheWrite) {
    FakePanel panel;
    panel.answerWrites();
    panel.hold(kExitTrigger);
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    FastClock clock(2);
    ConfigModel model = busyModel();
    for (int slot = 2; slot < 28; ++slot) {
        model.actions[static_cast<size_t>(slot)] = model.actions[1];
    }
    auto plan = buildWritePlan(model);
    ASSERT_TRUE(ui.startSequence(plan, clock));
    ASSERT_TRUE(ui.pumpUntil([&] { return contains(panel.received(0), "QM-PANEL-keyedit-2->"); }));
    panel.closeClient();
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }));
    EXPECT_EQ(*ui.outcome, kSequenceLinkLost);
    EXPECT_EQ(ui.timeouts, 0);
}

TEST(WriteSequence, StopDuringAWaitEndsWithoutATimeOut) {
    FakePanel panel;
    LinkHarness ui;
    ASSERT_TRUE(ui.connectTo(panel.port()));
    SystemClock clock;  // the real 15 s wait: stopping must not sit it out
    auto plan = buildWritePlan(oneSlotModel());
    ASSERT_TRUE(ui.startSequence(plan, clock));
    ASSERT_TRUE(panel.waitForText(0, kClearTrigger));
    EXPECT_FALSE(ui.sequence.start(plan, {[](const std::string&) { return SendResult::Sent; }}, ui.writeAck,
                                   ui.queue, clock));
    auto before = std::chrono::steady_clock::now();
    ui.sequence.join(true);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    ASSERT_TRUE(ui.pumpUntil([&] { return ui.outcome.has_value(); }));
    EXPECT_EQ(*ui.outcome, kSequenceStopped);
    EXPECT_EQ(ui.timeouts, 0);
}

// A link that receives only when the sequence asks, as a site's does: each call of takeReplies
// lets the next acknowledgement on its way in. The panel acknowledges the first header twice and
// the second not at all; the late copy is taken before the second header's reset, so it cannot
// pass for that header's acknowledgement, and the write times out there.
TEST(WriteSequence, ALateCopyOfAnAcknowledgementNeverPassesForTheNextOne) {
    ConfigModel model = oneSlotModel();
    model.actions[1] = model.actions[0];
    const auto plan = buildWritePlan(model);
    std::atomic<int> writeAck{ACK_NONE};
    std::deque<int> arriving;
    std::vector<std::string> sent;
    int headers = 0;
    SequenceLink link;
    link.send = [&](const std::string& command) {
        sent.push_back(command);
        if (command == kClearTrigger) {
            arriving.push_back(ACK_CLEARED);
        } else if (contains(command, kHeaderTrigger) && ++headers == 1) {
            arriving.insert(arriving.end(), {ACK_ADDED, ACK_ADDED});
        }
        return SendResult::Sent;
    };
    link.takeReplies = [&] {
        if (!arriving.empty()) {
            writeAck.store(arriving.front());
            arriving.pop_front();
        }
    };
    MessageQueue queue;
    FastClock clock(200);
    const std::atomic<bool> stop{false};
    WriteSequence sequence(link, writeAck, queue, clock, stop);
    EXPECT_EQ(sequence.run(plan), kSequenceTimedOut);
    EXPECT_EQ(headers, 2);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), std::string(kExitTrigger)), 0);
    EXPECT_TRUE(contains(sent.back(), kHeaderTrigger));
}

TEST(WriteSequence, ReadRequestsAreTheTwentySixGetCommands) {
    auto plan = buildReadPlan();
    auto commands = planCommands(plan);
    ASSERT_EQ(commands.size(), 26u);
    EXPECT_EQ(commands.front(), "QM-PANEL-getenum-1");
    EXPECT_EQ(commands[9], "QM-PANEL-getenum-10");
    EXPECT_EQ(commands[10], "QM-PANEL-getvar-1");
    EXPECT_EQ(commands[19], "QM-PANEL-getvar-10");
    EXPECT_EQ(commands[20], "QM-PANEL-getser-TCP-1");
    EXPECT_EQ(commands[24], "QM-PANEL-getser-UDP-1");
    EXPECT_EQ(commands.back(), "QM-PANEL-getser-UDP-2");
    EXPECT_EQ(planPacingMs(plan), 26 * 50);
}

}  // namespace
}  // namespace velk::test
