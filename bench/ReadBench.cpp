// How long a read of every row takes from the first request to the stored replies: against a
// simulated panel that answers each request in one send, and one that sends every reply a byte at
// a time. Either must stay within the requests' pacing plus the read's grace period, as velkctl
// read waits (the pacing, then at most the grace period for the last replies).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "device/WritePlan.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "sim/PanelSimulator.h"
#include "support/TempDir.h"

namespace velk {
namespace {

constexpr int kRuns = 5;
constexpr int kGraceMs = 1500;  // velkctl read's grace period

struct Timing {
    double ms = 0;
    bool complete = false;
};

Timing timedRead(const std::string& templateFile, const sim::ReplyFaults& faults) {
    sim::SimulatorOptions options;
    options.port = 0;
    options.announceListening = false;
    options.replyFaults = faults;
    sim::PanelSimulator panel(options);
    std::string error;
    auto port = panel.start(error);
    if (!port) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return {};
    }
    test::TempDir dir;
    const std::string path = dir.file("p.db");
    std::filesystem::copy_file(templateFile, path);
    IgnoringObserver observer;
    MessageQueue queue;
    SystemClock clock;
    Session session(observer, queue, clock);
    MessagePump pump(queue, session);
    Timing timing;
    if (session.project().openProject(path) && pump.flush()) {
        DeviceSession& device = session.device();
        device.connectOrDisconnect(kLoopbackAddress, *port);
        pump.runUntil([&] { return device.linkState() == LinkState::Connected; }, 5000);
        const auto start = std::chrono::steady_clock::now();
        if (device.read(ReadMode::AllOrNothing)) {
            pump.runUntil([&] { return !device.reading(); }, 60000);
            pump.runUntil([&] { return device.readAnswered() || device.linkState() != LinkState::Connected; },
                          kGraceMs);
            timing.complete = device.finishRead(false).complete;
            pump.flush();
            timing.ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
    }
    session.shutdown();
    panel.stop();
    return timing;
}

void report(const char* name, const std::string& templateFile, const sim::ReplyFaults& faults,
            long long bound) {
    std::vector<double> times;
    int complete = 0;
    for (int run = 0; run < kRuns; ++run) {
        Timing timing = timedRead(templateFile, faults);
        times.push_back(timing.ms);
        complete += timing.complete ? 1 : 0;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s min %7.0f ms  median %7.0f ms  max %7.0f ms  complete %d/%d  %s\n", name,
                times.front(), times[times.size() / 2], times.back(), complete, kRuns,
                times.back() <= static_cast<double>(bound) ? "within the bound" : "OVER THE BOUND");
}

}  // namespace
}  // namespace velk

int main() {
    using namespace velk;
    test::TempDir dir;
    const std::string templateFile = dir.file("new.db");
    {
        IgnoringObserver observer;
        MessageQueue queue;
        SystemClock clock;
        Session session(observer, queue, clock);
        if (!session.project().newProject(templateFile) || !MessagePump(queue, session).flush()) {
            std::fprintf(stderr, "cannot make a project\n");
            return 1;
        }
        session.shutdown();
    }
    const long long pacing = planPacingMs(buildReadPlan());
    const long long bound = pacing + kGraceMs;
    std::printf(
        "read of every row (%zu requests): pacing %lld ms + grace %d ms = bound %lld ms; %d runs each\n",
        planCommands(buildReadPlan()).size(), pacing, kGraceMs, bound, kRuns);
    report("each reply in one send", templateFile, {}, bound);
    sim::ReplyFaults bytewise;
    bytewise.bytewise = true;
    report("each reply a byte per send", templateFile, bytewise, bound);
    return 0;
}
