#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TextFiles.h"

namespace velk::cli {
namespace {

struct CheckArguments {
    std::string path;
    bool strict = false;
};

// Every problem is printed. An error ends with 1; warnings only (which import takes) end with 0,
// so that "check && import" imports what import would, unless --strict.
int runCheck(const CheckArguments& arguments) {
    std::optional<std::string> document = readTextFile(arguments.path);
    if (!document) {
        return kExitUsage;
    }
    text::TextRead read = text::readText(*document);
    const bool noErrors = reportProblems(arguments.path, read);
    return noErrors && !(arguments.strict && read.hasProblems()) ? kExitOk : kExitUsage;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<CheckArguments>();
    addRequiredArgument(command, "FILE", arguments->path, "The project text (\"-\" for standard input)");
    addFlag(command, "--strict", arguments->strict, "End with status 1 on warnings too");
    return [arguments] { return runCheck(*arguments); };
}

const SubcommandRegistration kRegistration({"check", "Check a project text by the rules of the dialogs", 100,
                                            define});

}  // namespace
}  // namespace velk::cli
