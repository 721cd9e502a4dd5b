#include "support/Program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/TempDir.h"

extern char** environ;

namespace velk::test {

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input) {
    TempDir dir;
    const std::string inPath = dir.file("stdin");
    const std::string outPath = dir.file("stdout");
    const std::string errPath = dir.file("stderr");
    writeFileBytes(inPath, input);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProgramRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFileBytes(outPath);
    run.err = readFileBytes(errPath);
    return run;
}

}  // namespace velk::test
