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

int runRead(const ProjectAndPanel& arguments) {
    if (refuseHeldProject(arguments.file)) {
        return kExitUsage;
    }
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
    if (!device.read()) {
        std::fprintf(stderr, "velkctl: the read could not start\n");
        return kExitUnreachable;
    }
    runtime.runUntil([&] { return !device.reading(); }, 60000);
    if (!device.lastReadLostLink()) {
        runtime.pump.runFor(kReadGraceMs);
    }
    runtime.disconnectPanel();
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: the project file was not written in time\n");
        return kExitUsage;
    }
    if (device.lastReadLostLink()) {
        return kExitUnreachable;
    }
    if (device.recordRepliesSinceRead() == 0) {
        std::fprintf(stderr, "velkctl: the panel answered none of the read requests; nothing was read\n");
        return kExitUsage;
    }
    if (errorWasShown() || runtime.session.project().hasUnsavedEdits()) {
        return kExitUsage;  // the replies did not all reach the file
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
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<SiteCommandLine>();
    addSiteCommandLine(command, *arguments, SiteTask::Read);
    return [arguments] { return runSingleOrSite(SiteTask::Read, *arguments, runRead); };
}

const SubcommandRegistration kRegistration(
    {"read", "Read the panel's variables and targets into the project, or a site's into copies", 50, define});

}  // namespace
}  // namespace velk::cli
