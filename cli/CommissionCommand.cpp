#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"
#include "model/StrPrintf.h"
#include "site/Commission.h"
#include "site/SiteFile.h"

namespace velk::cli {
namespace {

constexpr int kTickMs = 100;  // how often Ctrl+C is looked for

struct CommissionArguments {
    std::string site;
    PanelAddress from;
    bool yes = false;
    std::string report;
    int waitSeconds = 300;
};

// The report beside the site file unless one is named: floor3.csv keeps floor3-commission.json.
std::string reportPathOf(const CommissionArguments& arguments) {
    if (!arguments.report.empty()) {
        return arguments.report;
    }
    std::filesystem::path path(arguments.site);
    return (path.parent_path() / (path.stem().string() + "-commission.json")).string();
}

// The report of an earlier run, a new one when there is none, or nothing after saying why.
std::optional<CommissionReport> loadReport(const std::string& path, const CommissionArguments& arguments) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        CommissionReport report;
        report.site = arguments.site;
        report.from = panelAddressText(arguments.from);
        return report;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        std::fprintf(stderr, "velkctl: %s: cannot be read\n", path.c_str());
        return std::nullopt;
    }
    auto read = readCommissionReport(text.str());
    if (const auto* message = std::get_if<std::string>(&read)) {
        std::fprintf(stderr, "velkctl: %s: %s; move it away to start afresh\n", path.c_str(),
                     message->c_str());
        return std::nullopt;
    }
    return std::get<CommissionReport>(read);
}

// Waits for Enter on the terminal; false on Ctrl+D or once the run is stopped.
bool waitForEnter(const std::string& prompt, const StopSwitch& stop) {
    std::fprintf(stderr, "%s, then press Enter\n", terminalText(prompt).c_str());
    while (!stop.stopped()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, kTickMs) <= 0) {
            continue;
        }
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) != 1) {
            return false;
        }
        if (byte == '\n') {
            return true;
        }
    }
    return false;
}

int runCommissionCommand(const CommissionArguments& arguments) {
    // Ctrl+C is taken by the loop below: blocked before any thread starts, so every thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (arguments.site.empty()) {
        std::fprintf(stderr, "velkctl: commission needs --site SITE.csv\n");
        return kExitUsage;
    }
    auto site = loadSiteFile(arguments.site, "");
    if (const auto* message = std::get_if<std::string>(&site)) {
        std::fprintf(stderr, "velkctl: %s\n", terminalText(*message).c_str());
        return kExitUsage;
    }
    const std::string reportPath = reportPathOf(arguments);
    std::optional<CommissionReport> report = loadReport(reportPath, arguments);
    if (!report) {
        return kExitUsage;
    }
    // Each project is loaded once, and only for the rows still to do.
    std::vector<CommissionRow> rows;
    std::map<std::string, std::shared_ptr<const ConfigModel>> loaded;
    for (const SitePanel& panel : std::get<std::vector<SitePanel>>(site)) {
        std::shared_ptr<const ConfigModel>& model = loaded[panel.project];
        if (!model && !isRowDone(*report, panel)) {
            const std::string where =
                strprintf("%s: line %d (project): ", displayName(arguments.site).c_str(), panel.line);
            std::optional<ConfigModel> read = loadProjectFile(panel.project, MissingTables::Refuse, where);
            if (!read) {
                return kExitUsage;
            }
            model = std::make_shared<const ConfigModel>(std::move(*read));
        }
        rows.push_back({panel, model});
    }

    StopSwitch stop;
    CommissionOptions options;
    options.from = arguments.from;
    options.waitSeconds = arguments.waitSeconds;
    options.reportPath = reportPath;
    options.say = [](const std::string& line) { std::fprintf(stderr, "%s\n", terminalText(line).c_str()); };
    if (!arguments.yes && ::isatty(STDIN_FILENO) == 1) {
        options.askInstaller = [&stop](const std::string& prompt) { return waitForEnter(prompt, stop); };
    }
    CommissionSummary summary;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        summary = runCommission(rows, *report, options, stop);
        finished = true;
    });
    const timespec tick{0, kTickMs * 1000000L};
    while (!finished.load()) {
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
            if (stop.stopped()) {
                std::_Exit(130);  // a second Ctrl+C: the user will not wait
            }
            std::fprintf(stderr,
                         "velkctl: interrupted: ending the row under way (Ctrl+C again to quit at once)\n");
            stop.stop();
        }
    }
    worker.join();

    for (const CommissionRow& row : rows) {
        if (const CommissionRecord* record = report->find(row.panel.name)) {
            std::printf("%s\t%s\t%s%s%s\n", terminalText(record->name).c_str(), record->panel.c_str(),
                        record->outcome.c_str(), record->reason.empty() ? "" : ": ",
                        terminalText(record->reason).c_str());
        }
    }
    std::printf("%zu %s: %d done now, %d done before, %d failed%s\n", rows.size(),
                rows.size() == 1 ? "row" : "rows", summary.done, summary.skipped, summary.failed,
                summary.stopped ? ", interrupted" : "");
    std::fflush(stdout);
    if (!summary.reportError.empty()) {
        std::fprintf(stderr, "velkctl: %s\n", summary.reportError.c_str());
    }
    return summary.exitStatus();
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<CommissionArguments>();
    addTextOption(command, "--site", arguments->site,
                  "The site file (CSV: name,panel,project and optionally mask,gateway,mac); panel is the "
                  "address each panel is to have",
                  "SITE.csv");
    addPanelAddressOption(
        command, "from",
        "Where the panels from the box answer (default " + panelAddressText(PanelAddress{}) + ")",
        arguments->from);
    addFlag(command, "--yes", arguments->yes, "Do not wait for Enter before each panel: poll --from for it");
    addTextOption(command, "--report", arguments->report,
                  "The report, written after every panel and resumed from (default SITE-commission.json)",
                  "FILE.json");
    addCountOption(command, "wait", "How long to wait for a panel, in seconds (default 300)", 1,
                   arguments->waitSeconds);
    return [arguments] { return runCommissionCommand(*arguments); };
}

const SubcommandRegistration kRegistration(
    {"commission",
     "Give panels from the box their addresses and projects, one after "
     "another, from a site file",
     55, define});

}  // namespace
}  // namespace velk::cli
