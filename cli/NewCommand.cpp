#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"

namespace velk::cli {
namespace {

int runNew(const std::string& file) {
    CliRuntime runtime;
    if (!runtime.session.project().newProject(file)) {
        return kExitUsage;
    }
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project was not written in time\n", file.c_str());
        return kExitUsage;
    }
    // A file that could not be written is told through a message.
    return runtime.observer.errorShown() ? kExitUsage : kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    addProjectFile(command, *file);
    return [file] { return runNew(*file); };
}

const SubcommandRegistration kRegistration({"new", "Create an empty project file", 10, define});

}  // namespace
}  // namespace velk::cli
