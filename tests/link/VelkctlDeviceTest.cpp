// velkctl's device commands run as a separate process against the fake panel.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakePanel.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"

extern char** environ;

namespace velk::test {
namespace {

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

ProcessResult velkctl(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), VELKCTL_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::string outPath = dir.file("stdout.txt");
    std::string errPath = dir.file("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ProcessResult run;
    if (posix_spawn(&pid, VELKCTL_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFileBytes(outPath);
    run.err = readFileBytes(errPath);
    return run;
}

class VelkctlDevice : public ::testing::Test {
protected:
    VelkctlDevice() {
        panel.answerWrites();
        project = dir.file("p.db");
        EXPECT_EQ(velkctl(dir, {"new", project}).status, 0);
    }
    std::string panelOption() const { return "127.0.0.1:" + std::to_string(panel.port()); }

    TempDir dir;
    FakePanel panel;
    std::string project;
};

TEST_F(VelkctlDevice, WriteSucceeds) {
    EXPECT_EQ(velkctl(dir, {"write", project, "--panel", panelOption()}).status, 0);
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-intoEditQM-PANEL-clrkey-FFQM-PANEL-exitedit");
}

TEST_F(VelkctlDevice, WriteTimeOutExitsWithThree) {
    panel.hold(kClearTrigger);
    EXPECT_EQ(velkctl(dir, {"write", project, "--panel", panelOption()}).status, 3);
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-intoEditQM-PANEL-clrkey-FF");
}

TEST_F(VelkctlDevice, CommandsTooLongAreNamedAndExitWithFour) {
    int status = -1;
    runSqlite3(project,
               "UPDATE enum_table SET data1 = printf('%.*c', 70000, 'x') WHERE enumindex = 2;\n"
               "UPDATE enum_table SET data1 = 'ok' WHERE enumindex = 3;\n",
               &status);
    ASSERT_EQ(status, 0);
    ProcessResult run = velkctl(dir, {"write", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("left out, its command is longer than the panel takes: E2\n"), std::string::npos)
        << run.err;
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_NE(panel.received(0).find("QM-PANEL-setenum-3-ascii-ok"), std::string::npos);
    EXPECT_EQ(panel.received(0).find("setenum-2"), std::string::npos);
}

TEST_F(VelkctlDevice, PanelDroppingTheWriteExitsWithThreeAtOnce) {
    panel.hold(kClearTrigger);
    std::thread dropper([&] {
        if (panel.waitForText(0, kClearTrigger)) {
            panel.closeClient();
        }
    });
    auto started = std::chrono::steady_clock::now();
    ProcessResult run = velkctl(dir, {"write", project, "--panel", panelOption()});
    dropper.join();
    EXPECT_EQ(run.status, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_NE(run.err.find("连接已断开"), std::string::npos) << run.err;
}

TEST_F(VelkctlDevice, UnreachablePanelExitsWithTwo) {
    uint16_t port = 0;
    {
        std::string error;
        auto listener = TcpListener::listenLoopback(0, error);
        ASSERT_TRUE(listener) << error;
        port = listener->port();
    }
    EXPECT_EQ(velkctl(dir, {"write", project, "--panel", "127.0.0.1:" + std::to_string(port)}).status, 2);
    EXPECT_EQ(velkctl(dir, {"learn-ir", "3", "--panel", "127.0.0.1:" + std::to_string(port)}).status, 2);
}

TEST_F(VelkctlDevice, BadArgumentsExitWithOne) {
    EXPECT_EQ(velkctl(dir, {"write", project, "--panel", "1.2.3"}).status, 1);
    EXPECT_EQ(velkctl(dir, {"write", dir.file("missing.db"), "--panel", panelOption()}).status, 1);
    EXPECT_EQ(velkctl(dir, {"lan", "--panel", panelOption(), "--mac", "00.11"}).status, 1);
    EXPECT_EQ(velkctl(dir, {"learn-ir", "65", "--panel", panelOption()}).status, 1);
    EXPECT_EQ(panel.connectionCount(), 0u);
}

TEST_F(VelkctlDevice, ReadStoresRepliesInTheFile) {
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-SAVE");
    panel.answer("QM-PANEL-getser-UDP-1QM", "QM-PANEL-rtnser-UDP-1-192.168.1.30-6000");
    EXPECT_EQ(velkctl(dir, {"read", project, "--panel", panelOption()}).status, 0);
    ProcessResult show = velkctl(dir, {"show", project});
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("V2\t5\t0\t10\t保存\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("UDP1\t192.168.1.30\t6000\n"), std::string::npos) << show.out;
}

TEST_F(VelkctlDevice, ReadThatGetsNoReplyIsNoSuccess) {
    ProcessResult run = velkctl(dir, {"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("nothing was read"), std::string::npos) << run.err;
}

// A statement that fails (here a trigger stands in for a full disk) is printed and the run fails.
TEST_F(VelkctlDevice, ReadWhoseRepliesCannotBeStoredFails) {
    int status = -1;
    runSqlite3(project,
               "CREATE TRIGGER full BEFORE UPDATE ON variable BEGIN SELECT RAISE(ABORT, 'disk full'); END;\n",
               &status);
    ASSERT_EQ(status, 0);
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-SAVE");
    ProcessResult run = velkctl(dir, {"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("项目文件无法写入：disk full"), std::string::npos) << run.err;
}

TEST_F(VelkctlDevice, PanelTextsCannotReachTheTerminalRaw) {
    panel.answer("QM-PANEL-getenum-1QM",
                 "QM-PANEL-rtnenum-1-ascii-\x1b[2J\x07#a\tb\\c#\x7f"
                 "1m");
    ProcessResult run = velkctl(dir, {"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("E1\tAscii\t3\t'\\x1b[2J\\x07', 'a\\x09b\\c', '\\x7f1m'\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    ProcessResult show = velkctl(dir, {"show", project});
    EXPECT_EQ(show.out.find('\x1b'), std::string::npos);
    EXPECT_NE(show.out.find("'\\x1b[2J\\x07'"), std::string::npos) << show.out;
}

TEST_F(VelkctlDevice, ADirectoryIsNamedAsOne) {
    ProcessResult run = velkctl(dir, {"write", dir.path(), "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is a directory"), std::string::npos) << run.err;
    EXPECT_EQ(panel.connectionCount(), 0u);
}

TEST_F(VelkctlDevice, LanShowsAndSendsOnlyChanges) {
    std::string block =
        "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
        "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    panel.answer("QM-PANEL-getlan", block + std::string(200 - block.size(), ' '));
    ProcessResult run = velkctl(dir, {"lan", "--panel", panelOption(), "--gateway", "192.168.1.254", "--ip",
                                      "192.168.1.165", "--mac", "00.1a.2B.3C.4D.5E"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("gateway\t192.168.1.1\n"), std::string::npos) << run.out;
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-getlanQM-PANEL-setgate-192.168.1.254");
}

TEST_F(VelkctlDevice, LearnIrSendsTheCommand) {
    EXPECT_EQ(velkctl(dir, {"learn-ir", "7", "--panel", panelOption()}).status, 0);
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-leairQM-PANEL-sndir-01-07");
}

}  // namespace
}  // namespace velk::test
