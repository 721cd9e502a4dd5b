#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"
#include "session/ProjectImport.h"

namespace velk::cli {
namespace {

struct ImportArguments {
    std::string text;
    std::string project;
    bool force = false;
};

int runImport(const ImportArguments& arguments) {
    const std::string& target = arguments.project;
    if (std::optional<std::string> problem = importTargetProblem(target, arguments.force)) {
        std::fprintf(stderr, "velkctl: %s: %s\n", terminalText(target).c_str(), problem->c_str());
        return kExitUsage;
    }
    std::optional<std::string> document = readTextFile(arguments.text);
    if (!document) {
        return kExitUsage;
    }
    text::TextRead read = text::readText(*document);
    if (!reportProblems(arguments.text, read)) {
        std::fprintf(stderr, "velkctl: %s: not imported\n", displayName(arguments.text).c_str());
        return kExitUsage;
    }
    ImportOutcome outcome = importProject(read.model, target, arguments.force);
    if (!outcome.ok) {
        std::fprintf(stderr, "velkctl: %s: %s\n", terminalText(target).c_str(),
                     terminalMessage(outcome.error).c_str());
        return kExitUsage;
    }
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<ImportArguments>();
    addRequiredArgument(command, "FILE", arguments->text, "The project text (\"-\" for standard input)");
    addRequiredArgument(command, "PROJECT", arguments->project, "The project file to write");
    addFlag(command, "--force", arguments->force, "Replace PROJECT when it exists");
    return [arguments] { return runImport(*arguments); };
}

const SubcommandRegistration kRegistration({"import", "Write a new project file from a text, once it checks",
                                            90, define});

}  // namespace
}  // namespace velk::cli
