#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "FakePanel.h"
#include "SiteTestSupport.h"
#include "device/WritePlan.h"
#include "site/PanelWrite.h"
#include "site/SiteWriteLoop.h"

namespace velk::test {
namespace {

using namespace std::chrono_literals;

struct SendTime {
    std::string command;
    int64_t startUs = 0;
    int64_t endUs = 0;
};

// Each panel's sends as its writing thread made them. A panel's list is written only by the thread
// that writes it, and read once the run is joined.
class SendLog {
public:
    explicit SendLog(size_t panels) : m_sends(panels) {}

    std::function<PanelLink::SendTap(size_t)> taps() {
        return [this](size_t panel) {
            return [this, panel](std::string_view command, int64_t startUs, int64_t endUs) {
                m_sends[panel].push_back({std::string(command), startUs, endUs});
            };
        };
    }
    const std::vector<SendTime>& operator[](size_t panel) const { return m_sends[panel]; }

private:
    std::vector<std::vector<SendTime>> m_sends;
};

// The least time the plan puts between each send and the one before it: the sum of its pauses.
std::vector<int> pausesBeforeSends(const std::vector<WriteStep>& plan) {
    std::vector<int> pauses;
    int pause = 0;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            pauses.push_back(pause);
            pause = 0;
        } else if (step.kind == WriteStep::Sleep) {
            pause += step.milliseconds;
        }
    }
    return pauses;
}

void expectPausesKept(const std::vector<WriteStep>& plan, const std::vector<SendTime>& sends) {
    const std::vector<int> pauses = pausesBeforeSends(plan);
    ASSERT_EQ(sends.size(), pauses.size());
    for (size_t k = 1; k < sends.size(); ++k) {
        EXPECT_GE(sends[k].startUs - sends[k - 1].endUs, int64_t{pauses[k]} * 1000)
            << "before " << sends[k].command;
    }
}

std::vector<PanelAddress> addressesOf(SimulatedPanels& panels) {
    std::vector<PanelAddress> addresses;
    for (size_t i = 0; i < panels.size(); ++i) {
        addresses.push_back(panels.address(i));
    }
    return addresses;
}

void expectReceived(sim::PanelSimulator& panel, const std::vector<std::string>& expected) {
    EXPECT_TRUE(panel.waitForCommands(expected.size(), 5s));
    EXPECT_EQ(panel.receivedCommands(), expected);
}

TEST(SiteWriteTest, FiftyPanelsAtOnceEachGetExactlyTheCommandsAndPausesOfASingleWrite) {
    constexpr size_t kPanels = 50;
    SimulatedPanels panels(kPanels);
    auto model = std::make_shared<const ConfigModel>(shortModel(0));
    const std::vector<WriteStep> plan = buildWritePlan(*model);
    SendLog sends(kPanels);
    SiteRunOptions options;  // the real pacing
    options.sendTap = sends.taps();

    SiteRunResult run = writeSite(targetsFor(addressesOf(panels), {model}), options);

    ASSERT_EQ(run.results.size(), kPanels);
    for (size_t i = 0; i < kPanels; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(run.results[i].outcome, PanelOutcome::Done) << run.results[i].reason;
        EXPECT_EQ(run.results[i].attempts, 1);
        expectReceived(panels[i], planCommands(plan));
        expectPausesKept(plan, sends[i]);
        EXPECT_EQ(run.last.panels[i].phase, PanelPhase::Finished);
    }
    EXPECT_EQ(siteExitStatus(run.results, SiteTask::Write), 0);
}

TEST(SiteWriteTest, EachPanelGetsTheStreamOfItsOwnProject) {
    SimulatedPanels panels(6);
    auto first = std::make_shared<const ConfigModel>(shortModel(1));
    auto second = std::make_shared<const ConfigModel>(shortModel(2));
    const std::vector<std::string> firstStream = planCommands(buildWritePlan(*first));
    const std::vector<std::string> secondStream = planCommands(buildWritePlan(*second));
    ASSERT_NE(firstStream, secondStream);

    SiteRunResult run = writeSite(targetsFor(addressesOf(panels), {first, second}), SiteRunOptions{});

    for (size_t i = 0; i < panels.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(run.results[i].outcome, PanelOutcome::Done) << run.results[i].reason;
        expectReceived(panels[i], i % 2 == 0 ? firstStream : secondStream);
    }
}

TEST(SiteWriteTest, ASilentPanelAndAnEmptyPortLeaveTheOthersWritten) {
    std::vector<sim::SimulatorOptions> options(6);
    options[2].dropAcks = {ACK_EXITED};
    SimulatedPanels panels(options);
    std::vector<PanelAddress> addresses = addressesOf(panels);
    addresses.push_back({kLoopbackAddress, closedPort()});
    auto model = std::make_shared<const ConfigModel>(shortModel(0));

    SiteRunResult run = writeSite(targetsFor(addresses, {model}), fastOptions());

    ASSERT_EQ(run.results.size(), 7u);
    EXPECT_EQ(run.results[2].outcome, PanelOutcome::TimedOut);
    EXPECT_EQ(run.results[2].reason, "no answer to the exit command within 15 s");
    EXPECT_EQ(run.results[6].outcome, PanelOutcome::Unreachable);
    EXPECT_EQ(run.results[6].reason, "connection refused");
    for (size_t i : {0u, 1u, 3u, 4u, 5u}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(run.results[i].outcome, PanelOutcome::Done) << run.results[i].reason;
        expectReceived(panels[i], planCommands(buildWritePlan(*model)));
        // Done long before the silent panel's wait ran out.
        EXPECT_LT(run.results[i].seconds, run.results[2].seconds);
    }
    EXPECT_EQ(siteExitStatus(run.results, SiteTask::Write), 3);
}

TEST(SiteWriteTest, ATimeOutIsWrittenAgainFromTheStartOnAFreshConnection) {
    FakePanel panel;
    panel.answerWrites();
    panel.hold(kExitTrigger);  // the first connection waits for its exit reply in vain...
    std::thread fault([&] {
        EXPECT_TRUE(panel.waitForText(0, kExitTrigger));
        panel.closeClient();  // ...and is dropped; the next is answered
        panel.release(kExitTrigger);
    });
    auto model = std::make_shared<const ConfigModel>(shortModel(0));
    SiteRunOptions options = fastOptions();
    options.retries = 2;

    SiteRunResult run = writeSite(targetsFor({{kLoopbackAddress, panel.port()}}, {model}), options);
    fault.join();

    EXPECT_EQ(run.results[0].outcome, PanelOutcome::Done) << run.results[0].reason;
    EXPECT_EQ(run.results[0].attempts, 2);
    ASSERT_EQ(panel.connectionCount(), 2u);
    std::string whole;
    for (const std::string& command : planCommands(buildWritePlan(*model))) {
        whole += command;
    }
    EXPECT_TRUE(panel.waitFor(1, [&](const std::string& stream) { return stream == whole; }));
    EXPECT_EQ(panel.received(0), whole);  // the first got everything but its answer
}

TEST(SiteWriteTest, RetriesEndWithTheLastAttemptsReason) {
    std::vector<sim::SimulatorOptions> options(1);
    options[0].closeAfter = 3;
    SimulatedPanels panels(options);
    std::vector<PanelAddress> addresses = addressesOf(panels);
    addresses.push_back({kLoopbackAddress, closedPort()});
    SiteRunOptions fast = fastOptions();
    fast.retries = 2;

    SiteRunResult run =
        writeSite(targetsFor(addresses, {std::make_shared<const ConfigModel>(shortModel(0))}), fast);

    EXPECT_EQ(run.results[0].outcome, PanelOutcome::Dropped);
    EXPECT_EQ(run.results[0].reason, "connection dropped by the panel");
    EXPECT_EQ(run.results[0].attempts, 3);
    EXPECT_TRUE(panels[0].waitForClosedConnections(3, 5s));
    EXPECT_EQ(panels[0].connectionCount(), 3u);
    // A panel nobody answers for is not tried again: it is not there.
    EXPECT_EQ(run.results[1].outcome, PanelOutcome::Unreachable);
    EXPECT_EQ(run.results[1].attempts, 1);
}

TEST(SiteWriteTest, JobsBoundHowManyPanelsAreWrittenAtOnce) {
    constexpr size_t kPanels = 6;
    SimulatedPanels panels(kPanels);
    SendLog sends(kPanels);
    SiteRunOptions options;
    options.jobs = 2;
    options.sendTap = sends.taps();

    SiteRunResult run = writeSite(
        targetsFor(addressesOf(panels), {std::make_shared<const ConfigModel>(shortModel(0))}), options);

    // Each write lasts from its first send to its last; at no moment are more than two under way.
    std::vector<std::pair<int64_t, int>> edges;
    for (size_t i = 0; i < kPanels; ++i) {
        ASSERT_EQ(run.results[i].outcome, PanelOutcome::Done);
        ASSERT_FALSE(sends[i].empty());
        edges.emplace_back(sends[i].front().startUs, +1);
        edges.emplace_back(sends[i].back().endUs, -1);
    }
    std::sort(edges.begin(), edges.end());
    int running = 0;
    int most = 0;
    for (const auto& [time, change] : edges) {
        running += change;
        most = std::max(most, running);
    }
    EXPECT_EQ(most, 2);
}

TEST(SiteWriteTest, StopEndsEveryWriteAtOnceAndStartsNoMore) {
    std::vector<sim::SimulatorOptions> options(4);
    for (auto& one : options) {
        one.dropAcks = {ACK_CLEARED};  // each write would wait 15 s for it
    }
    SimulatedPanels panels(options);
    auto model = std::make_shared<const ConfigModel>(shortModel(0));
    const std::vector<SiteTarget> targets = targetsFor(addressesOf(panels), {model});
    SiteRunOptions runOptions;
    runOptions.jobs = 3;
    ProgressBoard board(targets.size());
    StopSwitch stop;
    SiteRun run(targets.size(), siteWriteAll(targets, runOptions, board, stop));
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(panels[i].waitForCommands(2, 5s));  // in the clear wait
    }

    const auto stopped = std::chrono::steady_clock::now();
    stop.stop();
    std::vector<PanelResult> results = run.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2s);

    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(results[i].outcome, PanelOutcome::Stopped);
        EXPECT_EQ(results[i].reason, "interrupted during the write");
        EXPECT_EQ(results[i].attempts, 1);
    }
    EXPECT_EQ(results[3].outcome, PanelOutcome::Stopped);
    EXPECT_EQ(results[3].reason, "not started");
    EXPECT_EQ(results[3].attempts, 0);
    EXPECT_EQ(panels[3].connectionCount(), 0u);
    EXPECT_EQ(siteExitStatus(results, SiteTask::Write), 130);
}

// A listener whose accept queue is full: a further connect to it waits for the SYN to be answered.
class FullListener {
public:
    FullListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(kLoopbackAddress);
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_fd, 0), 0);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        for (int i = 0; i < 3; ++i) {
            int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
            m_fillers.push_back(filler);
        }
    }
    ~FullListener() {
        for (int fd : m_fillers) {
            ::close(fd);
        }
        ::close(m_fd);
    }
    uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    uint16_t m_port = 0;
    std::vector<int> m_fillers;
};

TEST(SiteWriteTest, StopInterruptsAConnectInProgress) {
    FullListener listener;
    auto model = std::make_shared<const ConfigModel>(shortModel(0));
    const std::vector<SiteTarget> targets = targetsFor({{kLoopbackAddress, listener.port()}}, {model});
    SiteRunOptions options;
    options.connectTimeoutMs = 30000;
    ProgressBoard board(1);
    StopSwitch stop;
    SiteRun run(1, 1, siteWriteJob(targets, options, board, stop));
    while (board.take().panels[0].phase == PanelPhase::Waiting) {
        std::this_thread::yield();
    }

    const auto stopped = std::chrono::steady_clock::now();
    stop.stop();
    std::vector<PanelResult> results = run.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2s);
    EXPECT_EQ(results[0].outcome, PanelOutcome::Stopped) << results[0].reason;
}

// A panel whose connect is never answered costs its own connect time-out and holds up no other.
TEST(SiteWriteTest, AConnectThatHangsTimesOutWhileTheOtherPanelsAreWritten) {
    FullListener listener;
    SimulatedPanels panels(2);
    auto model = std::make_shared<const ConfigModel>(shortModel(0));
    std::vector<PanelAddress> addresses = addressesOf(panels);
    addresses.insert(addresses.begin() + 1, PanelAddress{kLoopbackAddress, listener.port()});
    SiteRunOptions options;
    options.connectTimeoutMs = 1500;
    const auto start = std::chrono::steady_clock::now();
    SiteRunResult run = writeSite(targetsFor(addresses, {model}), options);
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(run.results[0].outcome, PanelOutcome::Done);
    EXPECT_EQ(run.results[2].outcome, PanelOutcome::Done);
    EXPECT_EQ(run.results[1].outcome, PanelOutcome::Unreachable);
    EXPECT_EQ(run.results[1].reason, "no answer within 2 s");
    EXPECT_GE(run.results[1].seconds, 1.5);
    EXPECT_LT(took, 10s);
    expectReceived(panels[0], planCommands(buildWritePlan(*model)));
    expectReceived(panels[1], planCommands(buildWritePlan(*model)));
}

}  // namespace
}  // namespace velk::test
