#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "cli/TextFiles.h"
#include "device/CommandLog.h"
#include "device/WritePlan.h"

namespace velk::cli {
namespace {

int runCommands(const std::string& file) {
    std::optional<ConfigModel> model = loadProjectFile(file, MissingTables::Refuse);
    if (!model) {
        return kExitUsage;
    }
    for (const std::string& command : planCommands(buildWritePlan(*model))) {
        std::string line = escapeCommand(command);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return standardOutputWritten() ? kExitOk : kExitUsage;
}

SubcommandRun define(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    addProjectFile(command, *file);
    return [file] { return runCommands(*file); };
}

const SubcommandRegistration kRegistration({"commands",
                                            "Print the commands a write of the project sends, one per line",
                                            30, define});

}  // namespace
}  // namespace velk::cli
