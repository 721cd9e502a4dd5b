#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "device/SequenceStepper.h"
#include "model/UiPoster.h"

namespace velk::test {
namespace {

// Time that moves only when the test moves it.
class ManualClock : public PacingClock {
public:
    int64_t nowUs() override { return m_nowUs; }
    void sleepUntilUs(int64_t deadlineUs) override { m_nowUs = std::max(m_nowUs, deadlineUs); }
    int64_t nowSeconds() override { return m_nowUs / 1000000; }
    void advanceUs(int64_t us) { m_nowUs += us; }

private:
    int64_t m_nowUs = 1000000;
};

WriteStep sendStep(std::string command) {
    WriteStep step;
    step.kind = WriteStep::Send;
    step.command = std::move(command);
    return step;
}

WriteStep sleepStep(int milliseconds) {
    WriteStep step;
    step.kind = WriteStep::Sleep;
    step.milliseconds = milliseconds;
    return step;
}

// A link whose sends answer what the test queued, one result per call (Sent once they run out);
// each call is noted with the clock's time.
struct ScriptedLink {
    ManualClock& clock;
    std::deque<SendResult> results;
    std::vector<std::pair<std::string, int64_t>> calls;
    SequenceLink link;

    explicit ScriptedLink(ManualClock& time) : clock(time) {
        link.send = [this](const std::string& command) { return next(command); };
        link.continueSend = [this] { return next("(rest)"); };
        link.replyFd = 0;  // looks as a socket link does; never read here
    }
    SendResult next(const std::string& what) {
        calls.emplace_back(what, clock.nowUs());
        if (results.empty()) {
            return SendResult::Sent;
        }
        const SendResult result = results.front();
        results.pop_front();
        return result;
    }
};

struct Stepping {
    ManualClock clock;
    ScriptedLink scripted{clock};
    std::atomic<int> writeAck{ACK_NONE};
    MessageQueue queue;
    std::atomic<bool> stop{false};
    std::vector<WriteStep> plan{sendStep("a"), sleepStep(100), sendStep("b")};
    SequenceStepper stepper{plan, scripted.link, writeAck, queue, clock, stop};
};

TEST(SequenceStepper, APauseCountsFromTheMomentAPendingSendWasDone) {
    Stepping s;
    s.scripted.results = {SendResult::Pending, SendResult::Pending, SendResult::Sent};
    const int64_t start = s.clock.nowUs();
    SequenceStepper::Wake wake = s.stepper.advance();
    EXPECT_EQ(wake.kind, SequenceStepper::Wake::UntilWritable);
    EXPECT_EQ(wake.atUs, start + int64_t{SequenceStepper::kSendWaitMs} * 1000);

    s.clock.advanceUs(2000000);  // room after two seconds, and then only for part of it
    EXPECT_EQ(s.stepper.advance().kind, SequenceStepper::Wake::UntilWritable);
    s.clock.advanceUs(3000000);
    wake = s.stepper.advance();
    const int64_t done = s.clock.nowUs();
    EXPECT_EQ(wake.kind, SequenceStepper::Wake::Until);
    EXPECT_EQ(wake.atUs, done + 100000);
    EXPECT_EQ(s.stepper.commandsSent(), 1u);

    // Asked again before the pause is over (a reply woke the writer): nothing is sent.
    s.clock.advanceUs(99999);
    wake = s.stepper.advance();
    EXPECT_EQ(wake.kind, SequenceStepper::Wake::Until);
    EXPECT_EQ(wake.atUs, done + 100000);
    EXPECT_EQ(s.scripted.calls.size(), 3u);

    s.clock.advanceUs(1);
    wake = s.stepper.advance();
    EXPECT_EQ(wake.kind, SequenceStepper::Wake::Finished);
    EXPECT_EQ(wake.outcome, kSequenceCompleted);
    ASSERT_EQ(s.scripted.calls.size(), 4u);
    EXPECT_EQ(s.scripted.calls.back(), std::make_pair(std::string("b"), done + 100000));
    EXPECT_EQ(s.stepper.commandsSent(), 2u);
}

TEST(SequenceStepper, ASendThatFindsNoRoomForItsWholeWaitTimesOutAsStuck) {
    Stepping s;
    s.scripted.results = {SendResult::Pending, SendResult::Pending, SendResult::Pending};
    SequenceStepper::Wake wake = s.stepper.advance();
    ASSERT_EQ(wake.kind, SequenceStepper::Wake::UntilWritable);
    s.clock.advanceUs(int64_t{SequenceStepper::kSendWaitMs} * 1000 - 1);
    EXPECT_EQ(s.stepper.advance().kind, SequenceStepper::Wake::UntilWritable);
    s.clock.advanceUs(1);
    wake = s.stepper.advance();
    EXPECT_EQ(wake.kind, SequenceStepper::Wake::Finished);
    EXPECT_EQ(wake.outcome, kSequenceTimedOut);
    EXPECT_TRUE(s.stepper.stuck());
    EXPECT_EQ(s.stepper.commandsSent(), 0u);
    // The time-out is told once, and nothing more is sent.
    int timeouts = 0;
    while (auto message = s.queue.tryTake()) {
        timeouts += message->id == WM_WRITE_TIMEOUT ? 1 : 0;
    }
    EXPECT_EQ(timeouts, 1);
    EXPECT_EQ(s.stepper.advance().kind, SequenceStepper::Wake::Finished);
    EXPECT_EQ(s.scripted.calls.size(), 3u);
}

TEST(SequenceStepper, AStopOrALostConnectionEndsAPendingSend) {
    struct Case {
        bool stop;
        SendResult rest;
        SequenceOutcome expected;
    };
    for (const Case& c : {Case{true, SendResult::Pending, kSequenceStopped},
                          Case{false, SendResult::Lost, kSequenceLinkLost}}) {
        Stepping s;
        s.scripted.results = {SendResult::Pending, c.rest};
        ASSERT_EQ(s.stepper.advance().kind, SequenceStepper::Wake::UntilWritable);
        s.stop.store(c.stop);
        const SequenceStepper::Wake wake = s.stepper.advance();
        EXPECT_EQ(wake.kind, SequenceStepper::Wake::Finished);
        EXPECT_EQ(wake.outcome, c.expected);
        EXPECT_FALSE(s.stepper.stuck());
    }
}

}  // namespace
}  // namespace velk::test
