#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/SiteCommand.h"
#include "cli/StopSignals.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"

namespace velk::cli {
namespace {

// A write ends by itself (every wait has a time-out), but a maximal project paces for minutes.
constexpr int kWriteLimitMs = 2 * 60 * 60 * 1000;

int runWrite(const ProjectAndPanel& arguments) {
    // Read-only: a write never changes the project file, and only a whole project reaches a panel.
    std::optional<ConfigModel> model = loadProjectFile(arguments.file, MissingTables::Refuse);
    if (!model) {
        return kExitUsage;
    }
    // Before the runtime starts its threads, so that they inherit the blocked signals. A Ctrl+C
    // while connecting (a few seconds at most) is taken once the connection is made or refused.
    StopSignals stop;
    CliRuntime runtime;
    runtime.subject = arguments.file;
    runtime.session.project().model() = std::move(*model);
    if (!runtime.connectPanel(arguments.panel)) {
        return kExitUnreachable;
    }
    if (stop.arrived()) {
        std::fprintf(stderr, "velkctl: interrupted before the write began: nothing was sent to the panel\n");
        return kExitInterrupted;
    }
    DeviceSession& device = runtime.session.device();
    if (!device.write()) {
        std::fprintf(stderr, "velkctl: the write could not start\n");
        return kExitUnreachable;
    }
    // The clear wait reports 10 on every poll of its third second; show each position once.
    int shown = -1;
    bool interrupted = false;
    runtime.runUntil(
        [&] {
            const std::vector<int>& progress = runtime.observer.progress;
            if (!progress.empty() && progress.back() != shown && progress.back() >= 0) {
                shown = progress.back();
                std::fprintf(stderr, "写入进度 %d/400\n", shown);
            }
            interrupted = device.writing() && stop.arrived();
            return interrupted || !device.writing();
        },
        kWriteLimitMs);
    if (interrupted) {
        // The runtime's end stops the write at its next step and closes the link.
        std::fprintf(stderr,
                     "velkctl: %s: the write was interrupted part way: the panel's configuration is "
                     "incomplete until the project is written again\n",
                     terminalText(arguments.file).c_str());
        return kExitInterrupted;
    }
    WriteResult result = device.lastWriteResult();
    runtime.disconnectPanel();
    for (const std::string& name : device.leftOutOfLastWrite()) {
        std::fprintf(stderr, "velkctl: left out, its command is longer than the panel takes: %s\n",
                     name.c_str());
    }
    if (result != WriteResult::Succeeded) {
        return kExitTimeout;
    }
    return device.leftOutOfLastWrite().empty() ? kExitOk : kExitLeftOut;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<SiteCommandLine>();
    addSiteCommandLine(command, *arguments, SiteTask::Write);
    return [arguments] { return runSingleOrSite(SiteTask::Write, *arguments, runWrite); };
}

const SubcommandRegistration kRegistration({"write",
                                            "Write the project into the panel, or into many panels at once",
                                            40, define});

}  // namespace
}  // namespace velk::cli
