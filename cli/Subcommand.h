#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// How velkctl's subcommands come together. Each lives in its own file (cli/*Command.cpp) and adds
// itself with one registration line there:
//   const SubcommandRegistration kRegistration({"new", "Create an empty project file", 10, define});
// main() adds every registered subcommand to the command line, parses it and runs the one named.
namespace velk::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;          // usage or file error
constexpr int kExitUnreachable = 2;    // the panel could not be reached
constexpr int kExitTimeout = 3;        // the write timed out or the panel dropped the connection
constexpr int kExitLeftOut = 4;        // written, but commands too long for the link were left out
constexpr int kExitInterrupted = 130;  // Ctrl+C, as a shell reports a process SIGINT ended
// check: 1 when the text has problems (kExitUsage). diff answers as diff(1) and cmp(1) do.
constexpr int kExitDifferent = 1;      // diff: the projects differ
constexpr int kExitCannotCompare = 2;  // diff: a file could not be read or the command line is wrong

// Runs a subcommand once the command line is parsed; returns the exit status.
using SubcommandRun = std::function<int()>;

struct SubcommandDefinition {
    const char* name;
    const char* description;  // one line for velkctl --help
    int order;                // place in velkctl --help, lowest first
    // Adds the subcommand's arguments and options to its CLI::App; the values they bind live in the
    // returned function.
    SubcommandRun (*define)(CLI::App& command);
    // The exit status of a command line CLI11 refuses (help and --version end with kExitOk).
    int usageStatus = kExitUsage;
};

// One namespace-scope object per subcommand file. The files are linked into velkctl itself, not
// through a library, so no registration can be dropped.
class SubcommandRegistration {
public:
    explicit SubcommandRegistration(const SubcommandDefinition& definition);
};

// Every registered subcommand, by order.
std::vector<SubcommandDefinition> registeredSubcommands();

bool isSubcommandName(const std::string& word);
// The subcommand a mistyped word most likely meant ("wirte": "write"), or "" when none is close.
std::string closestSubcommand(const std::string& word);

// Flushes standard output; when what was printed there could not all be written (a full disk,
// /dev/full), says so on stderr, once, and returns false. failedWith: the errno of a write that
// already failed, when known.
bool standardOutputWritten(int failedWith = 0);

}  // namespace velk::cli
