#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/SiteCommand.h"
#include "cli/Subcommand.h"
#include "cli/TextFiles.h"

namespace velk::cli {
namespace {

// Replies to the last read requests arrive within this after the requests are out.
constexpr int kReadGraceMs = 1500;

int runRead(const ProjectAndPanel& arguments, bool partial) {
    // A read stores into the file, so it opens it as the form does; but it never turns a file
    // that is no project into one.
    if (!loadProjectFile(arguments.file)) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (int status = runtime.loadAndConnect(arguments.file, arguments.panel); status != kExitOk) {
        return status;
    }
    DeviceSession& device = runtime.session.device();
    if (!device.read(ReadMode::AllOrNothing)) {
        std::fprintf(stderr, "velkctl: the read could not start\n");
        return kExitUnreachable;
    }
    runtime.runUntil([&] { return !device.reading(); }, 60000);
    // Every answer is waited for, as long as the grace period allows; a reply still arriving when
    // it ends ends there.
    runtime.runUntil([&] { return device.readAnswered() || device.linkState() != LinkState::Connected; },
                     kReadGraceMs);
    const bool lost = device.lastReadLostLink() || device.linkState() != LinkState::Connected;
    const ReadResult result = device.finishRead(partial);
    runtime.disconnectPanel();
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: the project file was not written in time\n");
        return kExitUsage;
    }
    for (const std::string& problem : result.problems) {
        std::fprintf(stderr, "%s\n", terminalText(problem).c_str());
    }
    if (!result.complete) {
        const int rows = result.answered + static_cast<int>(result.problems.size());
        std::fprintf(stderr, "velkctl: %d of %d rows were not read%s; %s\n", rows - result.answered, rows,
                     lost ? " (the connection was lost)" : "",
                     result.stored ? "the rows read were stored" : "nothing was stored");
    }
    if (errorWasShown()) {
        return kExitUsage;  // the replies did not all reach the file
    }
    if (!result.stored) {
        return lost ? kExitUnreachable : kExitUsage;
    }
    for (const auto& row : runtime.observer.enumRows) {
        printRow(row);
    }
    for (const auto& row : runtime.observer.variableRows) {
        printRow(row);
    }
    for (const auto& row : runtime.observer.netRows) {
        printRow(row);
    }
    if (!result.complete) {
        return lost ? kExitUnreachable : kExitUsage;
    }
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<SiteCommandLine>();
    auto partial = std::make_shared<bool>(false);
    addSiteCommandLine(command, *arguments, SiteTask::Read);
    addFlag(command, "--partial", *partial,
            "When some rows are not read, store the rows that were (the exit status is still 1)");
    return [arguments, partial] {
        if (*partial && isSiteRun(arguments->site)) {
            std::fprintf(stderr, "velkctl: --partial reads one panel, not a site\n");
            return kExitUsage;
        }
        return runSingleOrSite(SiteTask::Read, *arguments, [partial](const ProjectAndPanel& single) {
            return runRead(single, *partial);
        });
    };
}

const SubcommandRegistration kRegistration(
    {"read", "Read the panel's variables and targets into the project, or a site's into copies", 50, define});

}  // namespace
}  // namespace velk::cli
