// velkctl's reading commands on damaged and foreign files, as a separate process: they never change
// a file and never take what is no project for an empty one.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>

#include "FakePanel.h"
#include "support/Program.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

ProgramRun velkctl(const std::vector<std::string>& args) {
    return runProgram(VELKCTL_PATH, args);
}

struct FileState {
    std::string bytes;
    int64_t modifiedNs = 0;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return {readFileBytes(path), int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

class VelkctlFiles : public ::testing::Test {
protected:
    VelkctlFiles() { panel.answerWrites(); }
    std::string panelOption() const { return "127.0.0.1:" + std::to_string(panel.port()); }

    // The three commands that only read a project.
    std::vector<std::vector<std::string>> readingCommands(const std::string& path) const {
        return {{"show", path}, {"commands", path}, {"write", path, "--panel", panelOption()}};
    }

    TempDir dir;
    FakePanel panel;
};

TEST_F(VelkctlFiles, WhatIsNoProjectIsRefusedAndLeftAsItWas) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* message;
    };
    const Case cases[] = {
        {"empty.db", [](const std::string& path) { writeFileBytes(path, ""); }, "not a project file"},
        {"text.db", [](const std::string& path) { writeFileBytes(path, "just text\n"); },
         "not a project file"},
        {"foreign.db",
         [](const std::string& path) {
             runSqlite3(path, "create table photos(id, name); insert into photos values(1,'x');");
         },
         "not a project file"},
        {"partial.db",
         [](const std::string& path) {
             EXPECT_EQ(velkctl({"new", path}).status, 0);
             runSqlite3(path, "drop table key_table5;");
         },
         "lacks the table key_table5"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file(c.name);
        c.make(path);
        const FileState before = stateOf(path);
        for (const auto& command : readingCommands(path)) {
            ProgramRun run = velkctl(command);
            EXPECT_EQ(run.status, 1) << c.name << " " << command[0];
            EXPECT_NE(run.err.find(c.message), std::string::npos)
                << c.name << " " << command[0] << ": " << run.err;
            EXPECT_TRUE(run.out.empty()) << c.name << " " << command[0];
        }
        EXPECT_TRUE(stateOf(path) == before) << c.name << " was changed";
        // A read would store into it, but it does not make a project of what is none either.
        if (std::string(c.name) != "partial.db") {
            EXPECT_EQ(velkctl({"read", path, "--panel", panelOption()}).status, 1) << c.name;
            EXPECT_TRUE(stateOf(path) == before) << c.name << " was changed by read";
        }
    }
    // Nothing of this reached a panel.
    EXPECT_EQ(panel.connectionCount(), 0u);
}

// A project, also a read-only one, read by show, commands and write stays byte for byte and time
// for time what it was, even where its tables lack the keys the default rows would collide with.
TEST_F(VelkctlFiles, ReadingCommandsNeverChangeAProject) {
    const std::string project = dir.file("p.db");
    ASSERT_EQ(velkctl({"new", project}).status, 0);
    const std::string keyless = dir.file("keyless.db");
    std::string script =
        "create table variable(vindex integer, init integer, min integer, max integer, save integer);"
        "create table net_table(netindex integer, ip integer, port integer);"
        "create table enum_table(enumindex integer, type integer, size integer, data1, data2, data3, data4,"
        " data5, data6, data7, data8, data9, data10);"
        "create table keyOherData(oindex integer, timeEnable integer, time integer, addEnable integer,"
        " addTimeOut integer, addIsSend integer, addString);"
        "insert into variable values(3, 1, 0, 100, 0);";
    for (int slot = 0; slot < 60; ++slot) {
        script += "create table key_table" + std::to_string(slot) +
                  "(id integer, function integer, channel integer, ip integer, port integer, type integer,"
                  " varNum integer);";
    }
    int status = -1;
    runSqlite3(keyless, script, &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(chmod(project.c_str(), 0444), 0);

    for (const std::string& path : {project, keyless}) {
        const FileState before = stateOf(path);
        for (int round = 0; round < 2; ++round) {
            for (const auto& command : readingCommands(path)) {
                ProgramRun run = velkctl(command);
                EXPECT_EQ(run.status, 0) << path << " " << command[0] << ": " << run.err;
            }
        }
        EXPECT_TRUE(stateOf(path) == before) << path << " was changed";
    }
    EXPECT_EQ(runSqlite3(keyless, "select count(*) from variable;"), "1\n");
    ProgramRun show = velkctl({"show", keyless});
    EXPECT_NE(show.out.find("V3\t1\t0\t100\t保存\n"), std::string::npos) << show.out;
}

}  // namespace
}  // namespace velk::test
