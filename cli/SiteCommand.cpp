#include "cli/SiteCommand.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"
#include "model/StrPrintf.h"
#include "site/PanelRead.h"
#include "site/PanelWrite.h"
#include "site/SiteDisplay.h"
#include "site/SiteFile.h"
#include "site/SiteReport.h"
#include "site/SiteWriteLoop.h"

namespace velk::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kTickMs = 100;  // how often the display is drawn again and Ctrl+C looked for

std::string projectKey(const std::string& path) {
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// Loads each distinct project once, read-only, as the single write or read of it would: the one
// given on the command line (even when every row names its own, so a wrong one is not missed) and
// those of the panels. The model of every panel, or nothing after saying why on stderr, naming the
// site file's line of a panel whose project it is. Only a whole project is written.
std::optional<std::vector<std::shared_ptr<const ConfigModel>>> loadProjects(
    const std::string& project, const std::vector<SitePanel>& panels, const std::string& site,
    SiteTask task) {
    std::map<std::string, std::shared_ptr<const ConfigModel>> loaded;
    auto load = [&](const std::string& path, const std::string& where) -> std::shared_ptr<const ConfigModel> {
        std::shared_ptr<const ConfigModel>& model = loaded[projectKey(path)];
        if (!model) {
            std::optional<ConfigModel> read = loadProjectFile(
                path, task == SiteTask::Write ? MissingTables::Refuse : MissingTables::CountAsEmpty, where);
            if (read) {
                model = std::make_shared<const ConfigModel>(std::move(*read));
            }
        }
        return model;
    };
    if (!project.empty() && !load(project, "")) {
        return std::nullopt;
    }
    std::vector<std::shared_ptr<const ConfigModel>> models;
    for (const SitePanel& panel : panels) {
        const std::string where =
            panel.line > 0 ? strprintf("%s: line %d (project): ", displayName(site).c_str(), panel.line) : "";
        models.push_back(load(panel.project, where));
        if (!models.back()) {
            return std::nullopt;
        }
    }
    return models;
}

std::optional<std::vector<SitePanel>> sitePanels(const std::string& project, const SiteArguments& arguments) {
    std::variant<std::vector<SitePanel>, std::string> panels =
        arguments.site.empty() ? panelsOfAddresses(arguments.panels, project)
                               : loadSiteFile(arguments.site, project);
    if (const auto* message = std::get_if<std::string>(&panels)) {
        std::fprintf(stderr, "velkctl: %s\n", terminalMessage(*message).c_str());
        return std::nullopt;
    }
    return std::get<std::vector<SitePanel>>(panels);
}

// The folder a read goes into, made when missing; no copy it would replace unless forced.
bool prepareReadFolder(const std::vector<SitePanel>& panels, const SiteArguments& arguments) {
    std::error_code error;
    fs::create_directories(arguments.into, error);
    if (error || !fs::is_directory(arguments.into, error)) {
        std::fprintf(stderr, "velkctl: %s: cannot make the folder: %s\n", arguments.into.c_str(),
                     error ? error.message().c_str() : "not a folder");
        return false;
    }
    if (arguments.force) {
        return true;
    }
    bool refused = false;
    for (const SitePanel& panel : panels) {
        const std::string copy = readCopyPath(arguments.into, panel.name);
        if (fs::exists(copy, error)) {
            std::fprintf(stderr, "velkctl: %s already exists (--force replaces it)\n", copy.c_str());
            refused = true;
        }
    }
    return !refused;
}

// Whether the report can be written, found before any panel is touched rather than after every
// one was. The file is made to find out, and removed again when it was not there before.
bool reportCanBeWritten(const std::string& report) {
    if (report.empty() || report == kStandardStream) {
        return true;
    }
    std::error_code error;
    const bool existed = fs::exists(report, error);
    std::FILE* file = fs::is_directory(report, error) ? nullptr : std::fopen(report.c_str(), "ab");
    if (file == nullptr) {
        std::fprintf(stderr, "velkctl: %s: cannot write the report: %s\n", terminalText(report).c_str(),
                     fs::is_directory(report, error) ? "is a directory" : std::strerror(errno));
        return false;
    }
    std::fclose(file);
    if (!existed) {
        fs::remove(report, error);
    }
    return true;
}

void terminalSize(int& width, int& height) {
    winsize size{};
    width = 80;
    height = 24;
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        width = size.ws_col;
        height = size.ws_row;
    }
}

}  // namespace

void addSiteOptions(CLI::App& command, SiteArguments& arguments, SiteTask task) {
    const bool write = task == SiteTask::Write;
    addPanelsOption(command, arguments.panels,
                    "The panel's address (default " + panelAddressText(PanelAddress{}) + ")" +
                        (write ? "; given more than once, every panel is written at once" : ""));
    addTextOption(command, "--site", arguments.site,
                  write ? "Write every panel of a site file (CSV: name,panel,project) at once"
                        : "Read every panel of a site file (CSV: name,panel,project) at once",
                  "SITE.csv");
    addCountOption(command, "jobs", "How many panels are written or read at once (default 64)", 1,
                   arguments.jobs);
    addCountOption(command, "retry",
                   "Try a panel that timed out or dropped the connection again, up to N times", 0,
                   arguments.retries, &arguments.retryGiven);
    addTextOption(command, "--report", arguments.report,
                  "Write the result of every panel to FILE.json (\"-\": standard output, the table then on "
                  "standard error)",
                  "FILE.json");
    if (!write) {
        addTextOption(command, "--into", arguments.into, "The folder that gets each panel's copy, NAME.db",
                      "DIR");
        addFlag(command, "--force", arguments.force, "Replace copies already in the folder");
    }
}

bool isSiteRun(const SiteArguments& arguments) {
    return !arguments.site.empty() || arguments.panels.size() > 1 || arguments.retryGiven ||
           !arguments.report.empty() || !arguments.into.empty();
}

void addSiteCommandLine(CLI::App& command, SiteCommandLine& arguments, SiteTask task) {
    addOptionalProjectFile(command, arguments.file);
    addSiteOptions(command, arguments.site, task);
}

int runSingleOrSite(SiteTask task, const SiteCommandLine& arguments,
                    const std::function<int(const ProjectAndPanel&)>& single) {
    if (isSiteRun(arguments.site)) {
        return runSite(task, arguments.file, arguments.site);
    }
    if (arguments.file.empty()) {
        std::fprintf(stderr, "velkctl: %s needs the project FILE (or --site SITE.csv%s)\n",
                     task == SiteTask::Write ? "write" : "read",
                     task == SiteTask::Write ? "" : " --into DIR");
        return kExitUsage;
    }
    const std::vector<PanelAddress>& panels = arguments.site.panels;
    return single({arguments.file, panels.empty() ? PanelAddress{} : panels.front()});
}

int runSite(SiteTask task, const std::string& project, const SiteArguments& arguments) {
    // Ctrl+C is taken by the loop below: blocked before any thread starts, so every thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (task == SiteTask::Read && (arguments.site.empty() || arguments.into.empty())) {
        std::fprintf(stderr, "velkctl: reading a site needs --site SITE.csv and --into DIR\n");
        return kExitUsage;
    }
    if (!arguments.site.empty() && !arguments.panels.empty()) {
        std::fprintf(stderr,
                     "velkctl: --site and --panel do not go together: the site file names the panels\n");
        return kExitUsage;
    }
    std::optional<std::vector<SitePanel>> panels = sitePanels(project, arguments);
    if (!panels) {
        return kExitUsage;
    }
    std::optional<std::vector<std::shared_ptr<const ConfigModel>>> models =
        loadProjects(project, *panels, arguments.site, task);
    if (!models) {
        return kExitUsage;
    }
    if (task == SiteTask::Read && !prepareReadFolder(*panels, arguments)) {
        return kExitUsage;
    }
    if (!reportCanBeWritten(arguments.report)) {
        return kExitUsage;
    }

    std::vector<SiteTarget> targets;
    std::vector<PanelLabel> labels;
    std::vector<std::string> copies;
    for (size_t i = 0; i < panels->size(); ++i) {
        const SitePanel& panel = (*panels)[i];
        targets.push_back({panel.name, panel.panel, panel.project, (*models)[i]});
        labels.push_back({panel.name, panelAddressText(panel.panel), panel.project});
        copies.push_back(task == SiteTask::Read ? readCopyPath(arguments.into, panel.name) : std::string());
    }
    SiteRunOptions options;
    options.jobs = arguments.jobs;
    options.retries = arguments.retries;
    SiteReadOptions read{arguments.into};
    ProgressBoard board(targets.size());
    StopSwitch stop;
    SiteDisplay display(stderr, ::isatty(STDERR_FILENO) == 1, task, labels);

    const auto start = std::chrono::steady_clock::now();
    // Writes share one thread; reads each have their own.
    std::unique_ptr<SiteRun> running =
        task == SiteTask::Write
            ? std::make_unique<SiteRun>(targets.size(), siteWriteAll(targets, options, board, stop))
            : std::make_unique<SiteRun>(targets.size(), options.jobs,
                                        siteReadJob(targets, options, read, board, stop));
    SiteRun& run = *running;
    int width = 80;
    int height = 24;
    const timespec tick{0, kTickMs * 1000000L};
    while (!run.finished()) {
        terminalSize(width, height);
        display.show(board.take(), width, height);
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
            if (stop.stopped()) {
                std::_Exit(130);  // a second Ctrl+C: the user will not wait
            }
            display.note(task == SiteTask::Write
                             ? "velkctl: interrupted: ending every write (Ctrl+C again to quit at once)"
                             : "velkctl: interrupted: ending every read (Ctrl+C again to quit at once)");
            stop.stop();
        }
    }
    std::vector<PanelResult> results = run.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    terminalSize(width, height);
    display.show(board.take(), width, height);

    // A report on standard output keeps it for the report alone, so it can be piped on.
    const bool reportToStdout = arguments.report == kStandardStream;
    std::fputs(summaryTable(labels, results, task).c_str(), reportToStdout ? stderr : stdout);
    std::fflush(stdout);
    if (reportToStdout) {
        writeAll(stdout, siteReportJson(task, labels, results, seconds, copies));
    } else if (!arguments.report.empty()) {
        std::string error;
        if (!writeTextFile(arguments.report, siteReportJson(task, labels, results, seconds, copies), error)) {
            std::fprintf(stderr, "velkctl: %s: cannot write the report: %s\n", arguments.report.c_str(),
                         error.c_str());
            const int status = siteExitStatus(results, task);
            return status == kExitOk || status == kExitLeftOut ? kExitUsage : status;
        }
    }
    return siteExitStatus(results, task);
}

}  // namespace velk::cli
