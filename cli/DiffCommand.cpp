#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"
#include "textform/ProjectDiff.h"

namespace velk::cli {
namespace {

struct DiffArguments {
    std::string a;
    std::string b;
};

int runDiff(const DiffArguments& arguments) {
    if (arguments.a == kStandardStream && arguments.b == kStandardStream) {
        std::fprintf(stderr,
                     "velkctl: diff: standard input can be read only once: \"-\" stands for A or B, "
                     "not both\n");
        return kExitCannotCompare;
    }
    std::optional<ConfigModel> a = loadProjectOrText(arguments.a);
    std::optional<ConfigModel> b = a ? loadProjectOrText(arguments.b) : std::nullopt;
    if (!a || !b) {
        return kExitCannotCompare;
    }
    std::vector<std::string> lines = text::diffProjects(*a, *b);
    for (const std::string& line : lines) {
        std::printf("%s\n", terminalText(line).c_str());
    }
    if (!standardOutputWritten()) {
        return kExitCannotCompare;
    }
    return lines.empty() ? kExitOk : kExitDifferent;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<DiffArguments>();
    addRequiredArgument(command, "A", arguments->a,
                        "A project file or a project text (\"-\" for standard input)");
    addRequiredArgument(command, "B", arguments->b, "Another one, compared with A");
    return [arguments] { return runDiff(*arguments); };
}

// A command line diff cannot take is trouble too, not a difference.
const SubcommandRegistration kRegistration({"diff", "Tell what differs between two projects, files or texts",
                                            110, define, kExitCannotCompare});

}  // namespace
}  // namespace velk::cli
