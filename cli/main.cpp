// GCC 12 at -O2 sees a null pointer in CLI11's own string splitting, inlined here, that cannot be
// there (std::string's data pointer is never null); the warning is about that library's code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "cli/TerminalText.h"
#include "device/TcpSocket.h"
#include "model/Version.h"

// velkctl: what the desktop program does with a project and a panel, from a terminal.
int main(int argc, char** argv) {
    using namespace velk::cli;
    std::setlocale(LC_ALL, "C.UTF-8");
    velk::raiseOpenFileLimit();  // a site or a scan holds a socket per panel
    CLI::App app("Create, check, compare and write velk projects and talk to the panel, without a window.",
                 "velkctl");
    app.set_version_flag("--version", std::string("velkctl ") + velk::kVelkVersion);

    struct Defined {
        CLI::App* command;
        SubcommandRun run;
        int usageStatus;
    };
    std::vector<Defined> subcommands;
    for (const SubcommandDefinition& definition : registeredSubcommands()) {
        CLI::App* command = app.add_subcommand(definition.name, definition.description);
        subcommands.push_back({command, definition.define(*command), definition.usageStatus});
    }
    if (argc < 2) {
        std::cerr << app.help();
        return kExitUsage;
    }
    // CLI11 would call a mistyped command "not expected" among the arguments; name it instead.
    if (const std::string first = argv[1]; !first.empty() && first[0] != '-' && !isSubcommandName(first)) {
        std::cerr << "velkctl: unknown command '" << terminalText(first) << "'";
        if (const std::string closest = closestSubcommand(first); !closest.empty()) {
            std::cerr << " (did you mean '" << closest << "'?)";
        }
        std::cerr << "; velkctl --help lists the commands\n";
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and --version end with 0; a usage error with the status of the subcommand it was
        // in (1 unless that subcommand says otherwise).
        if (app.exit(error) == 0) {
            return kExitOk;
        }
        for (const Defined& defined : subcommands) {
            if (defined.command->parsed()) {
                return defined.usageStatus;
            }
        }
        return kExitUsage;
    }
    for (const Defined& defined : subcommands) {
        if (defined.command->parsed()) {
            int status = defined.run();
            // A run that printed an error (a database that could not be written, say) never
            // reports success.
            if (status == kExitOk && velk::errorWasShown()) {
                status = kExitUsage;
            }
            return standardOutputWritten() || status != kExitOk ? status : defined.usageStatus;
        }
    }
    std::cerr << "velkctl: a subcommand is needed\n" << app.help();
    return kExitUsage;
}
