#include "support/SqliteCli.h"

#include <sys/wait.h>

#include <cstdio>
#include <stdexcept>

#include "support/TempDir.h"

namespace velk::test {

namespace {

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char ch : text) {
        if (ch == '\'') {
            quoted += "'\\''";
        } else {
            quoted += ch;
        }
    }
    return quoted + "'";
}

}  // namespace

std::string runSqlite3(const std::string& databasePath, const std::string& script, int* exitStatus) {
    TempDir dir;
    std::string scriptPath = dir.file("script.sql");
    writeFileBytes(scriptPath, script);
    std::string command =
        "sqlite3 -batch -noheader " + shellQuoted(databasePath) + " < " + shellQuoted(scriptPath);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw std::runtime_error("cannot run sqlite3");
    }
    std::string output;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    int status = pclose(pipe);
    if (exitStatus != nullptr) {
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return output;
}

}  // namespace velk::test
