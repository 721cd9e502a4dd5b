#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "FakePanel.h"
#include "LinkHarness.h"
#include "device/WritePlan.h"

namespace velk::test {
namespace {

struct SentCommand {
    std::string command;
    int64_t startUs = 0;
    int64_t endUs = 0;
};

// Enumerations, variables, targets and two events with data, blanks, time and append settings:
// every pause length of a write (10, 30, 100 ms and their sums) between two sends.
ConfigModel pacedModel() {
    ConfigModel model;
    model.reset();
    model.enums[0].data = {"ON", "OFF"};
    model.enums[1].type = kHex;
    model.enums[1].data = {"01 02"};
    model.variables[0] = Variable{1, 0, 1, 9, 0};
    model.variables[5] = Variable{6, 2, 3, 4, 1};
    model.netTargets[0] = NetTarget{0x7F000001, 5000, 1};
    KeyAction ir;
    ir.irChannels = 0;  // sends nothing, but its pause stays
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 3;
    KeyAction network;
    network.function = FunctionCode::Network;
    network.network.channel = 2;
    network.network.varNum = 2;
    network.network.texts = {"A", "B", "C"};
    network.network.placeholders = {Placeholder{}, Placeholder{}};
    model.actions[1] = {ir, relay, network};
    model.actions[4] = {network};
    model.eventSettings[1].timeEnable = 1;
    model.eventSettings[1].time = 50;
    model.eventSettings[1].addEnable = 1;
    model.eventSettings[1].addString = "X";
    return model;
}

// The fixed pause the plan puts between each two neighbouring sends, or -1 where an
// acknowledgement wait stands between them (the pause then counts from the reply).
std::vector<int> pausesBetweenSends(const std::vector<WriteStep>& plan) {
    std::vector<int> pauses;
    int pause = 0;
    bool waited = false;
    bool first = true;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            if (!first) {
                pauses.push_back(waited ? -1 : pause);
            }
            first = false;
            pause = 0;
            waited = false;
        } else if (step.kind == WriteStep::Sleep) {
            pause += step.milliseconds;
        } else if (step.kind == WriteStep::WaitAck) {
            waited = true;
        }
    }
    return pauses;
}

// Keeps every core busy, so the writer and the send thread wake late and get preempted.
class BusyThreads {
public:
    BusyThreads() {
        unsigned count = std::max(2u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < count; ++i) {
            m_threads.emplace_back([this] {
                volatile uint64_t spin = 0;
                while (!m_stop.load(std::memory_order_relaxed)) {
                    spin = spin + 1;
                }
            });
        }
    }
    ~BusyThreads() {
        m_stop.store(true);
        for (auto& thread : m_threads) {
            thread.join();
        }
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

// A write of pacedModel() into a fake panel over a real socket, with the times of every send.
class PacedWrite : public ::testing::Test {
protected:
    void SetUp() override {
        panel.answerWrites();
        ui.link.setSendTap([this](std::string_view command, int64_t startUs, int64_t endUs) {
            std::lock_guard lock(m_mutex);
            m_sent.push_back({std::string(command), startUs, endUs});
        });
        ASSERT_TRUE(ui.connectTo(panel.port()));
    }

    // Writes the plan with the clock; the sends, once the write has completed.
    std::vector<SentCommand> write(PacingClock& clock) {
        EXPECT_TRUE(ui.runSequence(plan, clock, 60000));
        EXPECT_EQ(ui.outcome, kSequenceCompleted);
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

    FakePanel panel;
    LinkHarness ui;
    const std::vector<WriteStep> plan = buildWritePlan(pacedModel());
    const std::vector<int> pauses = pausesBetweenSends(plan);

private:
    std::mutex m_mutex;
    std::vector<SentCommand> m_sent;
};

// The real pacing over a real socket while other threads load the machine: between the end of
// one send and the start of the next there is always at least the plan's pause.
TEST_F(PacedWrite, EveryGapOnTheSocketIsAtLeastItsPauseUnderLoad) {
    SystemClock clock;
    std::vector<SentCommand> sent;
    {
        BusyThreads load;
        sent = write(clock);
    }
    ASSERT_EQ(sent.size(), planCommands(plan).size());
    ASSERT_EQ(pauses.size() + 1, sent.size());
    size_t checked = 0;
    for (size_t i = 0; i < pauses.size(); ++i) {
        EXPECT_EQ(sent[i].command, planCommands(plan)[i]);
        if (pauses[i] < 0) {
            continue;
        }
        const int64_t gapUs = sent[i + 1].startUs - sent[i].endUs;
        EXPECT_GE(gapUs, int64_t{pauses[i]} * 1000)
            << "after \"" << sent[i].command << "\" the next command left " << gapUs << " us later";
        ++checked;
    }
    EXPECT_GT(checked, 15u);
}

// A clock that wakes every sleep late by a fixed amount: what comes after must not be cut short
// to make up for it.
class LateClock : public PacingClock {
public:
    explicit LateClock(int64_t lateUs) : m_lateUs(lateUs) {}
    int64_t nowUs() override { return m_clock.nowUs(); }
    void sleepUntilUs(int64_t deadlineUs) override { m_clock.sleepUntilUs(deadlineUs + m_lateUs); }
    int64_t nowSeconds() override { return m_clock.nowSeconds(); }

private:
    SystemClock m_clock;
    const int64_t m_lateUs;
};

TEST_F(PacedWrite, LateWakeUpsAreNeverTakenOffTheNextPause) {
    LateClock clock(8000);
    const std::vector<SentCommand> sent = write(clock);
    ASSERT_EQ(pauses.size() + 1, sent.size());
    for (size_t i = 0; i < pauses.size(); ++i) {
        if (pauses[i] > 0) {
            EXPECT_GE(sent[i + 1].startUs - sent[i].endUs, int64_t{pauses[i]} * 1000) << sent[i].command;
        }
    }
}

}  // namespace
}  // namespace velk::test
