// velkctl's device commands run as a separate process against the fake panel.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

#include "FakePanel.h"
#include "support/Program.h"
#include "support/SqliteCli.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

ProgramRun velkctl(const std::vector<std::string>& args) {
    return runProgram(VELKCTL_PATH, args);
}

class VelkctlDevice : public ::testing::Test {
protected:
    VelkctlDevice() {
        panel.answerWrites();
        project = dir.file("p.db");
        EXPECT_EQ(velkctl({"new", project}).status, 0);
    }
    std::string panelOption() const { return "127.0.0.1:" + std::to_string(panel.port()); }

    TempDir dir;
    FakePanel panel;
    std::string project;
};

TEST_F(VelkctlDevice, WriteSucceeds) {
    EXPECT_EQ(velkctl({"write", project, "--panel", panelOption()}).status, 0);
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-intoEditQM-PANEL-clrkey-FFQM-PANEL-exitedit");
}

// A failure reads like every other error: velkctl, the file, then the form's own words.
TEST_F(VelkctlDevice, WriteTimeOutExitsWithThree) {
    panel.hold(kClearTrigger);
    ProgramRun run = velkctl({"write", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("velkctl: " + project + ": 写入超时，请尝试重新写入！\n"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("提示"), std::string::npos) << run.err;
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-intoEditQM-PANEL-clrkey-FF");
}

// Ctrl+C while the panel is being written: the write stops, and the panel is said to be left half
// written rather than nothing being said.
TEST_F(VelkctlDevice, InterruptedWriteSaysThePanelIsIncompleteAndExitsWith130) {
    panel.hold(kClearTrigger);
    std::promise<int> started;
    std::thread interrupter([&, pid = started.get_future()]() mutable {
        const int process = pid.get();
        EXPECT_TRUE(panel.waitForText(0, kClearTrigger));
        ::kill(process, SIGINT);
    });
    ProgramRun run = runProgram(VELKCTL_PATH, {"write", project, "--panel", panelOption()}, {},
                                [&](int pid) { started.set_value(pid); });
    interrupter.join();
    EXPECT_EQ(run.status, 130);
    const std::string said = "velkctl: " + project +
                             ": the write was interrupted part way: the panel's configuration is incomplete "
                             "until the project is written again\n";
    ASSERT_GE(run.err.size(), said.size()) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - said.size()), said) << run.err;
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
    ProgramRun run = velkctl({"write", project, "--panel", panelOption()});
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
    ProgramRun run = velkctl({"write", project, "--panel", panelOption()});
    dropper.join();
    EXPECT_EQ(run.status, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_NE(
        run.err.find("velkctl: " + project + ": 与面板的连接已断开，写入未完成，请重新连接后再写入！\n"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("提示"), std::string::npos) << run.err;
}

TEST_F(VelkctlDevice, PanelDroppingTheReadIsAnErrorOfTheFile) {
    std::thread dropper([&] {
        if (panel.waitForText(0, "QM-PANEL-getvar-")) {
            panel.closeClient();
        }
    });
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    dropper.join();
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("velkctl: " + project + ": 与面板的连接已断开，读取未完成！\n"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("提示"), std::string::npos) << run.err;
}

TEST_F(VelkctlDevice, UnreachablePanelExitsWithTwo) {
    uint16_t port = 0;
    {
        std::string error;
        auto listener = TcpListener::listenLoopback(0, error);
        ASSERT_TRUE(listener) << error;
        port = listener->port();
    }
    EXPECT_EQ(velkctl({"write", project, "--panel", "127.0.0.1:" + std::to_string(port)}).status, 2);
    EXPECT_EQ(velkctl({"learn-ir", "3", "--panel", "127.0.0.1:" + std::to_string(port)}).status, 2);
}

TEST_F(VelkctlDevice, BadArgumentsExitWithOne) {
    EXPECT_EQ(velkctl({"write", project, "--panel", "1.2.3"}).status, 1);
    EXPECT_EQ(velkctl({"write", dir.file("missing.db"), "--panel", panelOption()}).status, 1);
    EXPECT_EQ(velkctl({"lan", "--panel", panelOption(), "--mac", "00.11"}).status, 1);
    EXPECT_EQ(velkctl({"learn-ir", "65", "--panel", panelOption()}).status, 1);
    EXPECT_EQ(panel.connectionCount(), 0u);
}

TEST_F(VelkctlDevice, ReadStoresRepliesInTheFile) {
    panel.answerReads();
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-SAVE");
    panel.answer("QM-PANEL-getser-UDP-1QM", "QM-PANEL-rtnser-UDP-1-192.168.1.30-6000");
    EXPECT_EQ(velkctl({"read", project, "--panel", panelOption()}).status, 0);
    ProgramRun show = velkctl({"show", project});
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("V2\t5\t0\t10\t保存\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("UDP1\t192.168.1.30\t6000\n"), std::string::npos) << show.out;
}

TEST_F(VelkctlDevice, ReadThatGetsNoReplyIsNoSuccess) {
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("E1: no answer\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("UDP2: no answer\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("26 of 26 rows were not read; nothing was stored"), std::string::npos) << run.err;
}

// Replies lost on the way: nothing is stored, every row missing is named, the read fails; with
// --partial the rows read are stored and the read still fails.
TEST_F(VelkctlDevice, ReadWithRowsUnansweredStoresNothingAndNamesThem) {
    panel.answerReads();
    panel.answer("QM-PANEL-getenum-3QM", "");
    panel.answer("QM-PANEL-getvar-7QM", "");
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-save");
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("E3: no answer\nV7: no answer\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("2 of 26 rows were not read; nothing was stored"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(velkctl({"show", project}).out.find("V2\t0\t0\t0\t保存\n"), std::string::npos);

    ProgramRun partial = velkctl({"read", project, "--panel", panelOption(), "--partial"});
    EXPECT_EQ(partial.status, 1);
    EXPECT_NE(partial.err.find("E3: no answer\nV7: no answer\n"), std::string::npos) << partial.err;
    EXPECT_NE(partial.err.find("the rows read were stored"), std::string::npos) << partial.err;
    EXPECT_NE(velkctl({"show", project}).out.find("V2\t5\t0\t10\t保存\n"), std::string::npos);
    EXPECT_EQ(velkctl({"read", "--site", "s.csv", "--into", dir.path(), "--partial"}).status, 1);
}

// A connection dropped in the middle of a read leaves the file as it was.
TEST_F(VelkctlDevice, ReadWhoseConnectionDropsLeavesTheFileAsItWas) {
    panel.answerReads();
    panel.answer("QM-PANEL-getenum-1QM", "QM-PANEL-rtnenum-1-ascii-fromPanel");
    panel.hold("QM-PANEL-getenum-6QM");
    std::thread dropper([&] {
        if (panel.waitForText(0, "QM-PANEL-getenum-6QM")) {
            panel.closeClient();
        }
    });
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    dropper.join();
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("E6: no answer\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("(the connection was lost); nothing was stored"), std::string::npos) << run.err;
    EXPECT_EQ(velkctl({"show", project}).out.find("fromPanel"), std::string::npos);
}

// A statement that fails (here a trigger stands in for a full disk) is printed and the run fails.
TEST_F(VelkctlDevice, ReadWhoseRepliesCannotBeStoredFails) {
    int status = -1;
    runSqlite3(project,
               "CREATE TRIGGER full BEFORE UPDATE ON variable BEGIN SELECT RAISE(ABORT, 'disk full'); END;\n",
               &status);
    ASSERT_EQ(status, 0);
    panel.answerReads();
    panel.answer("QM-PANEL-getvar-2QM", "QM-PANEL-rtnvar-2-5-0-10-SAVE");
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("项目文件无法写入：disk full"), std::string::npos) << run.err;
}

// Control bytes are no text a panel's dialog takes: the reply is dropped and named, and none of its
// bytes reaches the file or the terminal.
TEST_F(VelkctlDevice, PanelTextsCannotReachTheTerminalRaw) {
    panel.answerReads();
    panel.answer("QM-PANEL-getenum-1QM",
                 "QM-PANEL-rtnenum-1-ascii-\x1b[2J\x07#a\tb\\c#\x7f"
                 "1m");
    ProgramRun run = velkctl({"read", project, "--panel", panelOption()});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("E1: reply dropped: holds a control byte\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
    ProgramRun show = velkctl({"show", project});
    EXPECT_EQ(show.out.find('\x1b'), std::string::npos);
    EXPECT_NE(show.out.find("E1\tAscii\t1\t''\n"), std::string::npos) << show.out;
}

TEST_F(VelkctlDevice, ADirectoryIsNamedAsOne) {
    ProgramRun run = velkctl({"write", dir.path(), "--panel", panelOption()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is a directory"), std::string::npos) << run.err;
    EXPECT_EQ(panel.connectionCount(), 0u);
}

TEST_F(VelkctlDevice, LanShowsAndSendsOnlyChanges) {
    std::string block =
        "QM-PANEL-rtnip-192.168.1.165\r\nQM-PANEL-rtngate-192.168.1.1\r\nQM-PANEL-rtnsubm-255.255.255.0\r\n"
        "QM-PANEL-rtnmac-00.1A.2B.3C.4D.5E\r\nQM-PANEL-rtntport-4800\r\nQM-PANEL-rtnuport-4801\r\n";
    panel.answer("QM-PANEL-getlan", block + std::string(200 - block.size(), ' '));
    ProgramRun run = velkctl({"lan", "--panel", panelOption(), "--gateway", "192.168.1.254", "--ip",
                              "192.168.1.165", "--mac", "00.1a.2B.3C.4D.5E"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("gateway\t192.168.1.1\n"), std::string::npos) << run.out;
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-getlanQM-PANEL-setgate-192.168.1.254");
}

TEST_F(VelkctlDevice, LearnIrSendsTheCommand) {
    EXPECT_EQ(velkctl({"learn-ir", "7", "--panel", panelOption()}).status, 0);
    ASSERT_TRUE(panel.waitClosed(0));
    EXPECT_EQ(panel.received(0), "QM-PANEL-leairQM-PANEL-sndir-01-07");
}

}  // namespace
}  // namespace velk::test
