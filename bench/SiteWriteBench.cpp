// Writes one project into 1, 10, 50, 200 and 1000 simulated panels at once (or the counts given as
// arguments) and sets the wall time of each beside that of a single write. The panels are one
// velk-panel-sim process of their own, on neighbouring loopback addresses with one port (a thousand
// free ports in a row are not to be had beside the ephemeral ones), so the peak memory printed is
// the writer's; the CPU both used is printed, as they share the machine's cores. Every
// connection's sends are timed on the writer's side to show that no pause got shorter than its
// fixed length.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/PanelAddress.h"
#include "device/TcpSocket.h"
#include "device/WritePlan.h"
#include "model/StrPrintf.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "site/PanelWrite.h"
#include "site/SiteWriteLoop.h"

extern char** environ;

namespace velk {
namespace {

constexpr int kMostPanels = 1000;
const int kRuns[] = {1, 10, 50, 200, kMostPanels};
constexpr uint32_t kFirstAddress = 0x7F000002;  // 127.0.0.2

// A project that paces for a few seconds: every list filled and twelve events with infrared,
// relay and network actions, blanks and append settings.
ConfigModel benchModel() {
    ConfigModel model;
    model.reset();
    for (int i = 0; i < kEnumCount; ++i) {
        model.enums[i] = EnumVariable{i + 1, kAscii, {strprintf("a%d", i), strprintf("b%d", i)}};
    }
    for (int i = 0; i < kVariableCount; ++i) {
        model.variables[i] = Variable{i + 1, 0, i, 100, i % 2};
    }
    for (int i = 0; i < kNetTargetCount; ++i) {
        model.netTargets[i] =
            NetTarget{0xC0A80100u + static_cast<uint32_t>(i), static_cast<uint16_t>(5000 + i), i + 1};
    }
    for (int slot = 0; slot < 12; ++slot) {
        KeyAction ir;
        ir.irChannels = 1;
        ir.irCode = slot + 1;
        KeyAction relay;
        relay.function = FunctionCode::Relay;
        relay.relayChannels = 3;
        relay.relayOperation = 1;
        KeyAction network;
        network.function = FunctionCode::Network;
        network.network.channel = 1;
        network.network.type = kAscii;
        network.network.texts = {"vol=", ";", "\r\n"};
        Placeholder blank;
        blank.kind = 2;
        blank.digits = 2;
        network.network.placeholders = {blank, blank};
        network.network.varNum = 2;
        model.actions[static_cast<size_t>(slot)] = {ir, relay, network};
        EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        settings.addEnable = 1;
        settings.addTimeOut = 3000;
        settings.addString = "end";
    }
    return model;
}

// velk-panel-sim --panels N --address-step --address 127.0.0.2 --port 0 as a child process; its
// report is read and dropped.
class SimulatorProcess {
public:
    bool start(int panels) {
        int out[2];
        if (::pipe(out) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string count = std::to_string(panels);
        const std::string first = dottedAddress(kFirstAddress);
        const char* argv[] = {VELK_PANEL_SIM, "--panels", count.c_str(), "--address-step", "--address",
                              first.c_str(),  "--port",   "0",           nullptr};
        const int spawned =
            posix_spawn(&m_pid, VELK_PANEL_SIM, &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (spawned != 0) {
            ::close(out[0]);
            return false;
        }
        m_out = ::fdopen(out[0], "r");
        char line[256] = {};
        if (m_out == nullptr || std::fgets(line, sizeof line, m_out) == nullptr) {
            return false;
        }
        // "listening on FIRST..LAST:PORT"
        const char* colon = std::strrchr(line, ':');
        m_base = colon != nullptr ? static_cast<uint16_t>(std::atoi(colon + 1)) : 0;
        // A thousand panels print hundreds of thousands of lines: taken in big reads, not line by line.
        m_drain = std::thread([this] {
            std::vector<char> ignored(1 << 20);
            while (::read(::fileno(m_out), ignored.data(), ignored.size()) > 0) {
            }
        });
        return m_base != 0;
    }
    ~SimulatorProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
        if (m_drain.joinable()) {
            m_drain.join();
        }
        if (m_out != nullptr) {
            std::fclose(m_out);
        }
    }
    uint16_t port() const { return m_base; }

    // The CPU time the simulator has used so far, user and system, in seconds: the panels share
    // the machine's cores with the writer, so a run's figures are read beside it.
    double cpuSeconds() const {
        std::FILE* stat = std::fopen(strprintf("/proc/%d/stat", static_cast<int>(m_pid)).c_str(), "r");
        if (stat == nullptr) {
            return 0;
        }
        char text[1024] = {};
        const size_t length = std::fread(text, 1, sizeof text - 1, stat);
        std::fclose(stat);
        // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
        const char* rest = std::strrchr(text, ')');
        unsigned long user = 0;
        unsigned long system = 0;
        if (length == 0 || rest == nullptr ||
            std::sscanf(rest + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) !=
                2) {
            return 0;
        }
        return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

private:
    pid_t m_pid = 0;
    std::FILE* m_out = nullptr;
    std::thread m_drain;
    uint16_t m_base = 0;
};

// The CPU time this process (the writer) has used so far, user and system, in seconds.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct SendTime {
    int64_t startUs = 0;
    int64_t endUs = 0;
};

// For every send after the first, the least gap the plan demands before it (its pauses), in µs.
std::vector<int64_t> demandedGapsUs(const std::vector<WriteStep>& plan) {
    std::vector<int64_t> gaps;
    int64_t pause = 0;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            gaps.push_back(pause);
            pause = 0;
        } else if (step.kind == WriteStep::Sleep) {
            pause += int64_t{step.milliseconds} * 1000;
        }
    }
    return gaps;
}

// Every send's gap to the one before, against what the plan demands: how many fell short and the
// smallest margin over the demand.
struct PauseCheck {
    size_t gaps = 0;
    size_t shorter = 0;
    int64_t leastMarginUs = INT64_MAX;
};

void checkPauses(const std::vector<int64_t>& demanded, const std::vector<SendTime>& sends,
                 PauseCheck& check) {
    for (size_t k = 1; k < sends.size() && k < demanded.size(); ++k) {
        if (demanded[k] == 0) {
            continue;
        }
        const int64_t margin = sends[k].startUs - sends[k - 1].endUs - demanded[k];
        ++check.gaps;
        check.shorter += margin < 0 ? 1 : 0;
        check.leastMarginUs = std::min(check.leastMarginUs, margin);
    }
}

// The single write as velkctl write does it: one session, its link and its write thread.
double singleWrite(const ConfigModel& model, uint32_t address, uint16_t port, std::vector<SendTime>& sends) {
    IgnoringObserver observer;
    MessageQueue queue;
    SystemClock clock;
    Session session(observer, queue, clock);
    session.project().model() = model;
    session.device().setSendTap([&](std::string_view, int64_t startUs, int64_t endUs) {
        sends.push_back({startUs, endUs});
    });
    MessagePump pump(queue, session);
    DeviceSession& device = session.device();
    device.connectOrDisconnect(address, port);
    pump.runUntil([&] { return device.linkState() != LinkState::Connecting; }, 10000);
    const auto start = std::chrono::steady_clock::now();
    if (!device.write()) {
        return -1;
    }
    pump.runUntil([&] { return !device.writing(); }, 120000);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const bool written = device.lastWriteResult() == WriteResult::Succeeded;
    session.shutdown();
    return written ? ms : -1;
}

int run(const std::vector<int>& runs) {
    raiseOpenFileLimit();  // a socket per panel here, and as velkctl does
    SimulatorProcess simulator;
    if (!simulator.start(kMostPanels)) {
        std::fprintf(stderr, "sitewrite_bench: velk-panel-sim did not start (%s)\n", VELK_PANEL_SIM);
        return 1;
    }
    const auto model = std::make_shared<const ConfigModel>(benchModel());
    const std::vector<WriteStep> plan = buildWritePlan(*model);
    const std::vector<int64_t> demanded = demandedGapsUs(plan);
    std::printf("project             %zu commands, %lld ms of pauses\n", planCommands(plan).size(),
                planPacingMs(plan));
    std::printf("panels              velk-panel-sim --panels %d --address-step, %s..%s port %d\n",
                kMostPanels, dottedAddress(kFirstAddress).c_str(),
                dottedAddress(kFirstAddress + kMostPanels - 1).c_str(), simulator.port());

    std::vector<SendTime> singleSends;
    const double single = singleWrite(*model, kFirstAddress, simulator.port(), singleSends);
    if (single < 0) {
        std::fprintf(stderr, "sitewrite_bench: the single write failed\n");
        return 1;
    }
    PauseCheck singleCheck;
    checkPauses(demanded, singleSends, singleCheck);
    std::printf(
        "single write        %8.1f ms   pauses: %zu gaps, %zu shorter, least margin %.3f ms   peak %.1f MB\n",
        single, singleCheck.gaps, singleCheck.shorter,
        static_cast<double>(singleCheck.leastMarginUs) / 1000.0, peakMegabytes());

    bool allWritten = singleCheck.shorter == 0;
    for (int panels : runs) {
        std::vector<SiteTarget> targets;
        for (int i = 0; i < panels; ++i) {
            targets.push_back({strprintf("p%d", i),
                               {kFirstAddress + static_cast<uint32_t>(i), simulator.port()},
                               "bench",
                               model});
        }
        std::vector<std::vector<SendTime>> sends(static_cast<size_t>(panels));
        SiteRunOptions options;
        options.jobs = panels;
        options.sendTap = [&sends](size_t panel) {
            return [&sends, panel](std::string_view, int64_t startUs, int64_t endUs) {
                sends[panel].push_back({startUs, endUs});
            };
        };
        ProgressBoard board(targets.size());
        StopSwitch stop;
        const double cpuBefore = cpuSeconds();
        const double panelsCpuBefore = simulator.cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        SiteRun site(targets.size(), siteWriteAll(targets, options, board, stop));
        std::vector<PanelResult> results = site.join();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        size_t written = 0;
        PauseCheck check;
        for (size_t i = 0; i < results.size(); ++i) {
            written += results[i].outcome == PanelOutcome::Done ? 1 : 0;
            checkPauses(demanded, sends[i], check);
        }
        allWritten = allWritten && written == results.size() && check.shorter == 0;
        // Why panels were not written, each reason once with its count.
        std::map<std::string, int> reasons;
        for (const PanelResult& result : results) {
            if (result.outcome != PanelOutcome::Done) {
                ++reasons[resultText(result, SiteTask::Write)];
            }
        }
        {
            std::vector<double> took;
            for (const PanelResult& result : results) {
                took.push_back(result.seconds);
            }
            std::sort(took.begin(), took.end());
            std::printf("    each panel: least %.2f s, median %.2f s, most %.2f s\n", took.front(),
                        took[took.size() / 2], took.back());
        }
        for (const auto& [reason, count] : reasons) {
            std::printf("    %4d x %s\n", count, reason.c_str());
        }
        std::printf(
            "%3d panels at once  %8.1f ms   ratio %.3f   written %zu/%d   pauses: %zu gaps, %zu shorter, "
            "least margin %.3f ms   peak %.1f MB   writer CPU %.1f s   panels' CPU %.1f s\n",
            panels, ms, ms / single, written, panels, check.gaps, check.shorter,
            static_cast<double>(check.leastMarginUs) / 1000.0, peakMegabytes(), cpuSeconds() - cpuBefore,
            simulator.cpuSeconds() - panelsCpuBefore);
    }
    std::printf("goals               %d panels within 1.10 x the single write; peak under 200 MB\n",
                kMostPanels);
    return allWritten ? 0 : 1;
}

}  // namespace
}  // namespace velk

// With arguments, only those panel counts run (each at most 1000): "sitewrite_bench 1000".
int main(int argc, char** argv) {
    std::vector<int> runs(std::begin(velk::kRuns), std::end(velk::kRuns));
    if (argc > 1) {
        runs.clear();
        for (int i = 1; i < argc; ++i) {
            runs.push_back(std::clamp(std::atoi(argv[i]), 1, velk::kMostPanels));
        }
    }
    return velk::run(runs);
}
