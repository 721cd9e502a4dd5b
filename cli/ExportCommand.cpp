#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "cli/TextFiles.h"
#include "textform/TextWriter.h"

namespace velk::cli {
namespace {

struct ExportArguments {
    std::string project;
    std::string output = kStandardStream;
};

int runExport(const ExportArguments& arguments) {
    std::optional<ConfigModel> model = loadProjectFile(arguments.project);
    if (!model) {
        return kExitUsage;
    }
    const std::string document = text::exportText(*model);
    if (arguments.output == kStandardStream) {
        errno = 0;
        const bool written = writeAll(stdout, document);
        return standardOutputWritten(written ? 0 : errno) && written ? kExitOk : kExitUsage;
    }
    FILE* out = std::fopen(arguments.output.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "velkctl: %s: %s\n", terminalText(arguments.output).c_str(),
                     std::strerror(errno));
        return kExitUsage;
    }
    bool written = writeAll(out, document);
    written = std::fclose(out) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "velkctl: %s: cannot write the text\n", terminalText(arguments.output).c_str());
        return kExitUsage;
    }
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<ExportArguments>();
    addRequiredArgument(command, "PROJECT", arguments->project, "The project file (read, never changed)");
    addTextOption(command, "-o,--output", arguments->output,
                  "Write the text to FILE (default: standard output)", "FILE");
    return [arguments] { return runExport(*arguments); };
}

const SubcommandRegistration kRegistration({"export", "Print a project in its text form", 80, define});

}  // namespace
}  // namespace velk::cli
