#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velk::test {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit by itself (a crash)
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs a program with the arguments and the given standard input and waits for it to end.
// started, when given, gets the process id as soon as the program runs (to signal it).
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input = {}, const std::function<void(int pid)>& started = {});

}  // namespace velk::test
