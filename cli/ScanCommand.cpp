#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "site/PanelScan.h"

namespace velk::cli {
namespace {

constexpr int kExitInterrupted = 130;
constexpr int kTickMs = 100;  // how often the progress line is drawn again and Ctrl+C looked for

struct ScanArguments {
    std::vector<AddressRange> ranges;
    int port = kDefaultPanelPort;
    int jobs = ScanOptions{}.jobs;
    int timeoutMs = ScanOptions{}.timeoutMs;
    bool json = false;
};

int runScan(const ScanArguments& arguments) {
    // Ctrl+C is taken by the loop below: blocked before the scanning thread starts, so it inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const std::vector<uint32_t> addresses = scanAddresses(arguments.ranges);
    ScanOptions options;
    options.port = static_cast<uint16_t>(arguments.port);
    options.jobs = arguments.jobs;
    options.timeoutMs = arguments.timeoutMs;

    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<size_t> asked{0};
    std::atomic<size_t> found{0};
    ScanObserver observer;
    observer.progress = [&](const ScanProgress& progress) {
        asked = progress.asked;
        found = progress.found;
    };
    ScanResult result;
    std::thread scanning([&] {
        result = scanPanels(addresses, options, stop, observer);
        done = true;
    });

    const bool showProgress = ::isatty(STDERR_FILENO) == 1;
    const timespec tick{0, kTickMs * 1000000L};
    bool interrupted = false;
    while (!done.load()) {
        if (showProgress) {
            std::fprintf(stderr, "\r\033[Kscanning: %zu of %zu addresses asked, %zu panels found",
                         asked.load(), addresses.size(), found.load());
            std::fflush(stderr);
        }
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
            if (interrupted) {
                std::_Exit(kExitInterrupted);  // a second Ctrl+C: the user will not wait
            }
            interrupted = true;
            stop = true;
        }
    }
    scanning.join();
    if (showProgress) {
        std::fputs("\r\033[K", stderr);
    }

    if (arguments.json) {
        std::fputs(foundPanelsJson(result.panels).c_str(), stdout);
    } else {
        for (const FoundPanel& panel : result.panels) {
            std::printf("%s\n", foundPanelLine(panel).c_str());
        }
    }
    std::fflush(stdout);
    if (result.stopped) {
        std::fprintf(stderr,
                     "velkctl: interrupted: %zu of %zu addresses asked; the %zu panels listed are those "
                     "found so far\n",
                     asked.load(), addresses.size(), result.panels.size());
        return kExitInterrupted;
    }
    if (result.panels.empty()) {
        std::fprintf(stderr, "velkctl: no panel answered on any of the %zu addresses\n", addresses.size());
        return kExitUsage;
    }
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<ScanArguments>();
    addScanRanges(command, arguments->ranges);
    addBoundedOption(command, "port", "The panel port to ask on (default 4800)", "N", 1, 65535,
                     arguments->port);
    addBoundedOption(command, "jobs", "How many addresses are asked at once (default 64)", "N", 1, 1024,
                     arguments->jobs);
    addBoundedOption(command, "timeout", "The most one address may take, in milliseconds (default 500)", "MS",
                     1, 60000, arguments->timeoutMs);
    addFlag(command, "--json", arguments->json, "Print the panels as one JSON array");
    return [arguments] { return runScan(*arguments); };
}

const SubcommandRegistration kRegistration({"scan", "Find the panels on addresses or networks", 64, define});

}  // namespace
}  // namespace velk::cli
