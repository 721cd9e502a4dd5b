#pragma once

#include <string>
#include <vector>

// The velkctl subcommands; each returns the process exit status.
namespace velk::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;        // usage or file error
constexpr int kExitUnreachable = 2;  // the panel could not be reached
constexpr int kExitTimeout = 3;      // the write timed out

using Args = std::vector<std::string>;

int runNew(const Args& args);
int runShow(const Args& args);
int runCommands(const Args& args);
int runWrite(const Args& args);
int runRead(const Args& args);
int runLan(const Args& args);
int runLearnIr(const Args& args);
int runExport(const Args& args);
int runImport(const Args& args);
int runCheck(const Args& args);
int runDiff(const Args& args);

}  // namespace velk::cli
