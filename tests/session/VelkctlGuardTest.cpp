// velkctl beside a window that holds the project (two processes): the commands that change it
// refuse and leave it as it was, the ones that only read keep working; new asks before emptying.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "project/ProjectLock.h"
#include "support/Program.h"
#include "support/ProjectFixture.h"
#include "support/RichProject.h"
#include "support/SqliteCli.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

ProgramRun velkctl(const std::vector<std::string>& args, const std::string& input = {}) {
    return runProgram(VELKCTL_PATH, args, input);
}

using VelkctlGuard = ProjectFixture;

TEST_F(VelkctlGuard, CommandsThatChangeAHeldProjectRefuseIt) {
    const std::string path = newProject("held project.db");
    session->commitVariable(Variable{1, 0, 11, 100, 0});
    flushAll();
    const std::string before = projectRows(path);
    ProgramRun exported = velkctl({"export", path});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string text = dir.file("p.toml");
    std::FILE* out = std::fopen(text.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs(exported.out.c_str(), out);
    std::fclose(out);

    const std::vector<std::vector<std::string>> refused = {
        {"new", path, "--force"},
        {"import", "--force", text, path},
        {"read", path, "--panel", "127.0.0.1:9"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args[0]);
        ProgramRun run = velkctl(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("velkctl: " + path + ": 项目已在另一个窗口中打开"), std::string::npos)
            << run.err;
        EXPECT_EQ(projectRows(path), before);
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{"show", path},
                                                 {"commands", path},
                                                 {"export", path},
                                                 {"diff", path, path}}) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(velkctl(args).status, 0);
    }
    EXPECT_EQ(projectRows(path), before);

    // The window's edits still reach the file after all that.
    session->commitVariable(Variable{2, 0, 22, 100, 0});
    flushAll();
    EXPECT_TRUE(session->saveState().saved());
    EXPECT_EQ(runSqlite3(path, "select init from variable where vindex=2;"), "22\n");
}

TEST_F(VelkctlGuard, NewEmptiesAnExistingFileOnlyWhenForced) {
    const std::string path = dir.file("rich.db");
    ASSERT_TRUE(makeRichProject(path));
    const std::string before = projectRows(path);
    ProgramRun refused = velkctl({"new", path});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("exists already (--force empties it)"), std::string::npos) << refused.err;
    EXPECT_EQ(projectRows(path), before);

    EXPECT_EQ(velkctl({"new", path, "--force"}).status, 0);
    EXPECT_EQ(runSqlite3(path, "select count(*) from key_table0; select count(*) from variable;"), "0\n16\n");

    // A new name: the whole file, and nothing else, appears.
    const std::string fresh = dir.file("新 项目.db");
    EXPECT_EQ(velkctl({"new", fresh}).status, 0);
    EXPECT_EQ(runSqlite3(fresh, "select count(*) from sqlite_master; select count(*) from keyOherData;"),
              "64\n60\n");
    EXPECT_FALSE(fs::exists(ProjectLock::lockFileOf(fresh)));
}

TEST_F(VelkctlGuard, NewInAFolderItCannotWriteLeavesNothingAndFails) {
    const std::string folder = dir.file("ro");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(folder.c_str(), W_OK) == 0) {
        fs::permissions(folder, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that write into a read-only folder";
    }
    ProgramRun run = velkctl({"new", folder + "/p.db"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_empty(folder));
    fs::permissions(folder, fs::perms::owner_all);
}

// A statement that does not reach the file fails the run, with its cause after the file's name.
// (A trigger stands in for a full disk: it refuses New's first delete.)
TEST_F(VelkctlGuard, AStatementThatFailsFailsTheRunAndNamesTheCause) {
    const std::string path = dir.file("refusing.db");
    ASSERT_TRUE(makeRichProject(path));
    int status = -1;
    runSqlite3(path,
               "CREATE TRIGGER full BEFORE DELETE ON enum_table BEGIN SELECT RAISE(ABORT, 'disk full'); END;",
               &status);
    ASSERT_EQ(status, 0);
    const std::string before = projectRows(path);
    ProgramRun run = velkctl({"new", path, "--force"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("velkctl: " + path + ": disk full\n"), std::string::npos) << run.err;
    // New's deletes are one transaction: none of them stayed.
    EXPECT_EQ(projectRows(path), before);
}

}  // namespace
}  // namespace velk::test
