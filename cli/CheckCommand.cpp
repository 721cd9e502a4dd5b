#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TextFiles.h"

namespace velk::cli {
namespace {

// Every problem is printed; any of them, warnings included, ends with 1.
int runCheck(const std::string& path) {
    std::optional<std::string> document = readTextFile(path);
    if (!document) {
        return kExitUsage;
    }
    text::TextRead read = text::readText(*document);
    reportProblems(path, read);
    return read.hasProblems() ? kExitUsage : kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto path = std::make_shared<std::string>();
    addRequiredArgument(command, "FILE", *path, "The project text (\"-\" for standard input)");
    return [path] { return runCheck(*path); };
}

const SubcommandRegistration kRegistration({"check", "Check a project text by the rules of the dialogs", 100,
                                            define});

}  // namespace
}  // namespace velk::cli
