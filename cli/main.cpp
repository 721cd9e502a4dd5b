#include <clocale>
#include <cstdio>
#include <cstring>

#include "cli/CliCommands.h"

namespace {

struct Subcommand {
    const char* name;
    const char* usage;
    int (*run)(const velk::cli::Args&);
};

const Subcommand kSubcommands[] = {
    {"new", "new FILE", velk::cli::runNew},
    {"show", "show FILE", velk::cli::runShow},
    {"commands", "commands FILE", velk::cli::runCommands},
    {"write", "write FILE [--panel IP[:PORT]]", velk::cli::runWrite},
    {"read", "read FILE [--panel IP[:PORT]]", velk::cli::runRead},
    {"lan", "lan [--panel IP[:PORT]] [--ip A] [--mask M] [--gateway G] [--mac XX.XX.XX.XX.XX.XX]",
     velk::cli::runLan},
    {"learn-ir", "learn-ir ID [--panel IP[:PORT]]", velk::cli::runLearnIr},
    {"export", "export PROJECT.db [-o FILE]", velk::cli::runExport},
    {"import", "import FILE PROJECT.db [--force]", velk::cli::runImport},
    {"check", "check FILE", velk::cli::runCheck},
    {"diff", "diff A B", velk::cli::runDiff},
};

void printUsage(FILE* out) {
    std::fprintf(out, "usage:\n");
    for (const auto& sub : kSubcommands) {
        std::fprintf(out, "  velkctl %s\n", sub.usage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C.UTF-8");
    if (argc < 2) {
        printUsage(stderr);
        return velk::cli::kExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(stdout);
        return velk::cli::kExitOk;
    }
    for (const auto& sub : kSubcommands) {
        if (std::strcmp(argv[1], sub.name) == 0) {
            return sub.run(velk::cli::Args(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "velkctl: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return velk::cli::kExitUsage;
}
