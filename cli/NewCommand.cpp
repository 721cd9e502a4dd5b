#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"

namespace velk::cli {
namespace {

int runNew(const std::string& file, bool force) {
    if (refuseHeldProject(file)) {
        return kExitUsage;
    }
    std::error_code error;
    if (std::filesystem::exists(file, error) && !force) {
        // New empties every list of the file it is given: that needs asking for.
        std::fprintf(stderr, "velkctl: %s: exists already (--force empties it)\n",
                     terminalText(file).c_str());
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!runtime.session.project().newProject(file)) {
        return kExitUsage;
    }
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project was not written in time\n", file.c_str());
        return kExitUsage;
    }
    // A file that could not be written is told through a message.
    return runtime.observer.errorShown() || runtime.session.project().hasUnsavedEdits() ? kExitUsage
                                                                                        : kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    addProjectFile(command, *file);
    addFlag(command, "--force", *force, "Empty FILE when it exists");
    return [file, force] { return runNew(*file, *force); };
}

const SubcommandRegistration kRegistration({"new", "Create an empty project file", 10, define});

}  // namespace
}  // namespace velk::cli
