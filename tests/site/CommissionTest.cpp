#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SiteTestSupport.h"
#include "model/StrPrintf.h"
#include "sim/FactoryLine.h"
#include "site/Commission.h"
#include "support/TempDir.h"
#include "textform/ProjectDiff.h"
#include "textform/TextReader.h"

// Commissioning panels from the box end to end: simulated boxes at one factory address on
// 127.0.0.1, given the addresses 127.0.0.2 and up on the same port, written their projects, with
// what each then holds compared with its project.
namespace velk::test {
namespace {

// A project with what a write sends for every kind of row: Hex and Ascii data with blanks, a
// serial destination, times and append settings.
const char* const kRichText = R"(format = 1

[[enum]]
name = "E1"
type = "Hex"
values = ["01 02", "0a ff"]

[[variable]]
name = "V3"
init = 7
min = -5
max = 100
save = "不保存"

[[target]]
name = "UDP2"
ip = "10.0.0.9"
port = 6000

[[event]]
name = "按键1 按下"
addEnable = true
addTimeOut = 3000
addString = "AT+OFF\r\n"

[[event.action]]
id = 0
function = "红外"
irChannels = [1, 3]
irCode = 12

[[event.action]]
id = 1
function = "网络"
ip = "192.168.1.30"
port = 5000
type = "Hex"
data = [
    "",
    { source = "Input", digits = 2, mode = "count", count = 3, overflow = "裁剪" },
    "03",
    { source = "E3", digits = 1, direction = "sub", save = "否" },
    "",
]

[[event]]
name = "按键2 弹起"
timeEnable = true
time = 300

[[event.action]]
id = 0
function = "串口"
channel = "RS232-2"
baudrate = "9600"
data = ["AB$0d$0a", { source = "V4", digits = 3, step = 5, interval = 100, direction = "sub" }, "C$24D你好"]

[[event]]
name = "IO1 拉低"

[[event.action]]
id = 0
function = "网络"
channel = "UDP2"
data = ["hello"]
)";

ConfigModel richModel() {
    text::TextRead read = text::readText(kRichText);
    EXPECT_FALSE(read.hasErrors());
    return read.model;
}

constexpr uint32_t kFirstAddress = 0x7F000002;  // 127.0.0.2

class CommissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorCommandLine line;
        line.options.port = 0;
        line.options.stateFolder = m_dir.path();
        line.factory = 3;
        line.restartMs = 50;
        m_factory = std::make_unique<sim::FactoryLine>(line, nullptr);
        std::string error;
        std::optional<uint16_t> port = m_factory->start(error);
        ASSERT_TRUE(port) << error;
        m_port = *port;
        m_options.from = {kLoopbackAddress, m_port};
        m_options.waitSeconds = 10;
        m_options.pollIntervalMs = 20;
        m_options.reportPath = m_dir.file("report.json");
        m_options.write = fastOptions();
        m_options.say = [this](const std::string& said) { m_said.push_back(said); };
    }

    CommissionRow row(const std::string& name, size_t offset, ConfigModel model) const {
        CommissionRow row;
        row.panel.name = name;
        row.panel.panel = {kFirstAddress + static_cast<uint32_t>(offset), m_port};
        row.panel.project = name + ".db";
        row.model = std::make_shared<const ConfigModel>(std::move(model));
        return row;
    }

    CommissionReport reportOnDisk() const {
        auto read = readCommissionReport(readFileBytes(m_options.reportPath));
        EXPECT_TRUE(std::holds_alternative<CommissionReport>(read));
        return std::holds_alternative<CommissionReport>(read) ? std::get<CommissionReport>(read)
                                                              : CommissionReport{};
    }

    // What the panel at the row's address holds by its state text, against the row's project.
    std::vector<std::string> heldDifferences(const CommissionRow& row) const {
        const std::string text =
            readFileBytes(sim::PanelSimulator::stateFilePath(m_dir.path(), row.panel.panel));
        text::TextRead read = text::readText(text);
        EXPECT_FALSE(text.empty());
        EXPECT_FALSE(read.hasErrors());
        return text::diffProjects(*row.model, read.model);
    }

    TempDir m_dir;
    std::unique_ptr<sim::FactoryLine> m_factory;
    uint16_t m_port = 0;
    CommissionOptions m_options;
    std::vector<std::string> m_said;
};

TEST_F(CommissionTest, ThreeBoxesOneFailingOnceAreResumedFromTheReport) {
    const std::vector<CommissionRow> rows = {row("lobby", 0, shortModel(0)), row("room-1", 1, richModel()),
                                             row("room-2", 2, shortModel(2))};
    // The second box never confirms the end of a write.
    m_factory->box(1).setDroppedAcks({ACK_EXITED});

    CommissionReport report;
    StopSwitch stop;
    CommissionSummary first = runCommission(rows, report, m_options, stop);
    EXPECT_EQ(first.done, 2);
    EXPECT_EQ(first.failed, 1);
    EXPECT_EQ(first.exitStatus(), 3);

    CommissionReport written = reportOnDisk();
    ASSERT_EQ(written.rows.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].panel.name);
        const CommissionRecord& record = written.rows[i];
        EXPECT_EQ(record.name, rows[i].panel.name);
        EXPECT_EQ(record.panel, panelAddressText(rows[i].panel.panel));
        // Each row took the next box: its own MAC, kept through the commissioning.
        EXPECT_EQ(record.macBefore, macText(sim::FactoryLine::boxMac(i)));
        EXPECT_EQ(record.macAfter, record.macBefore);
        EXPECT_TRUE(record.addressed);
        EXPECT_FALSE(record.time.empty());
    }
    EXPECT_EQ(written.rows[0].outcome, "done");
    EXPECT_EQ(written.rows[1].outcome, "failed");
    EXPECT_NE(written.rows[1].reason.find("no answer to the exit command"), std::string::npos)
        << written.rows[1].reason;
    EXPECT_EQ(written.rows[2].outcome, "done");
    // Every box has left the factory address: nothing answers there any more.
    EXPECT_TRUE(m_factory->waitMoved(3, std::chrono::seconds(5)));

    // The fault mended, a second run takes up the failed row at the address it was given.
    m_factory->box(1).setDroppedAcks({});
    const size_t connectionsBefore =
        m_factory->box(0).connectionCount() + m_factory->box(2).connectionCount();
    CommissionReport resumed = reportOnDisk();
    CommissionSummary second = runCommission(rows, resumed, m_options, stop);
    EXPECT_EQ(second.done, 1);
    EXPECT_EQ(second.skipped, 2);
    EXPECT_EQ(second.failed, 0);
    EXPECT_EQ(second.exitStatus(), 0);
    const CommissionReport afterResume = reportOnDisk();
    const CommissionRecord* again = afterResume.find("room-1");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->outcome, "done");
    EXPECT_EQ(again->macBefore, macText(sim::FactoryLine::boxMac(1)));

    // A finished report leaves nothing to do: no panel is even asked.
    CommissionReport finished = reportOnDisk();
    CommissionSummary third = runCommission(rows, finished, m_options, stop);
    EXPECT_EQ(third.skipped, 3);
    EXPECT_EQ(third.done + third.failed, 0);
    EXPECT_EQ(third.exitStatus(), 0);
    EXPECT_EQ(m_factory->box(0).connectionCount() + m_factory->box(2).connectionCount(), connectionsBefore);

    for (const CommissionRow& row : rows) {
        SCOPED_TRACE(row.panel.name);
        EXPECT_EQ(heldDifferences(row), std::vector<std::string>());
    }
}

TEST_F(CommissionTest, TheRowsSettingsAreSentAndSeenAtTheNewAddress) {
    CommissionRow addressed = row("lobby", 0, shortModel(0));
    addressed.panel.mask = 0xFF000000;
    addressed.panel.gateway = 0x7F0000FE;
    addressed.panel.mac = std::array<uint8_t, 6>{0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    CommissionReport report;
    StopSwitch stop;
    CommissionSummary summary = runCommission({addressed}, report, m_options, stop);
    EXPECT_EQ(summary.exitStatus(), 0);
    const sim::PanelSnapshot held = m_factory->box(0).snapshot();
    EXPECT_EQ(held.network.ip, kFirstAddress);
    EXPECT_EQ(held.network.mask, 0xFF000000u);
    EXPECT_EQ(held.network.gateway, 0x7F0000FEu);
    EXPECT_EQ(macText(held.network.mac), "02.11.22.33.44.55");
    ASSERT_EQ(report.rows.size(), 1u);
    EXPECT_EQ(report.rows[0].macBefore, macText(sim::FactoryLine::boxMac(0)));
    EXPECT_EQ(report.rows[0].macAfter, "02.11.22.33.44.55");
    // As the panel network dialog sends them: one command each, address, mask, gateway, MAC.
    const std::vector<std::string> received = m_factory->box(0).receivedCommands();
    const std::vector<std::string> expected = {"QM-PANEL-setip-127.0.0.2", "QM-PANEL-setsubm-255.0.0.0",
                                               "QM-PANEL-setgate-127.0.0.254",
                                               "QM-PANEL-setmac-02.11.22.33.44.55"};
    auto first = std::find(received.begin(), received.end(), expected.front());
    ASSERT_NE(first, received.end());
    EXPECT_EQ(std::vector<std::string>(first, first + 4), expected);
}

TEST_F(CommissionTest, TheSameBoxPluggedInTwiceIsRefused) {
    CommissionReport report;
    CommissionRecord earlier;
    earlier.name = "lobby";
    earlier.panel = "127.0.0.9:4800";
    earlier.outcome = "done";
    earlier.addressed = true;
    earlier.macBefore = macText(sim::FactoryLine::boxMac(0));
    report.rows.push_back(earlier);
    m_options.waitSeconds = 1;
    StopSwitch stop;
    CommissionSummary summary = runCommission({row("room-1", 0, shortModel(1))}, report, m_options, stop);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(summary.exitStatus(), 3);
    const CommissionRecord* refused = report.find("room-1");
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->outcome, "failed");
    EXPECT_NE(refused->reason.find("lobby's"), std::string::npos) << refused->reason;
    EXPECT_FALSE(refused->addressed);
    // Nothing was sent to it: it still has the factory settings.
    EXPECT_EQ(m_factory->box(0).snapshot().network.ip, kDefaultPanelIp);
}

TEST_F(CommissionTest, AFailingRowLeavesTheBoxToTheNextRow) {
    CommissionRow wrongPort = row("lobby", 0, shortModel(0));
    wrongPort.panel.panel.port = static_cast<uint16_t>(m_port == 65535 ? 1 : m_port + 1);
    const std::vector<CommissionRow> rows = {wrongPort, row("room-1", 1, shortModel(1))};
    CommissionReport report;
    StopSwitch stop;
    CommissionSummary summary = runCommission(rows, report, m_options, stop);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.failed, 1);
    ASSERT_EQ(report.rows.size(), 2u);
    EXPECT_NE(report.rows[0].reason.find("port cannot be set"), std::string::npos) << report.rows[0].reason;
    EXPECT_EQ(report.rows[1].outcome, "done");
    EXPECT_EQ(report.rows[1].macBefore, macText(sim::FactoryLine::boxMac(0)));
    EXPECT_EQ(heldDifferences(rows[1]), std::vector<std::string>());
}

TEST_F(CommissionTest, AStopWhileWaitingEndsTheRunWithTheReportKept) {
    CommissionReport report;
    CommissionRecord earlier;
    earlier.name = "room-1";
    earlier.outcome = "failed";
    earlier.reason = "an earlier run's";
    report.rows.push_back(earlier);
    StopSwitch stop;
    // Nothing answers at the factory address; the installer gives up while the tool waits.
    m_options.from.port = closedPort();
    m_options.say = [&](const std::string& line) {
        if (line.find("waiting for a panel") != std::string::npos) {
            stop.stop();
        }
    };
    CommissionSummary summary = runCommission({row("room-1", 0, shortModel(0))}, report, m_options, stop);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.exitStatus(), 130);
    ASSERT_NE(report.find("room-1"), nullptr);
    EXPECT_EQ(report.find("room-1")->reason, "an earlier run's");
}

}  // namespace
}  // namespace velk::test

namespace velk::test {
namespace {

TEST_F(CommissionTest, TheInstallerIsToldEachRowAndMayEndTheRun) {
    std::vector<std::string> prompts;
    m_options.askInstaller = [&](const std::string& prompt) {
        prompts.push_back(prompt);
        return prompts.size() < 2;  // ready for the first box, then ends the run (Ctrl+D)
    };
    const std::vector<CommissionRow> rows = {row("lobby", 0, shortModel(0)), row("room-1", 1, shortModel(1)),
                                             row("room-2", 2, shortModel(2))};
    CommissionReport report;
    StopSwitch stop;
    CommissionSummary summary = runCommission(rows, report, m_options, stop);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_NE(prompts[0].find(strprintf("lobby gets 127.0.0.2:%u", m_port)), std::string::npos) << prompts[0];
    EXPECT_NE(prompts[1].find("room-1 gets 127.0.0.3"), std::string::npos) << prompts[1];
    EXPECT_EQ(summary.done, 1);
    // The rows left are not done: never a success.
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.exitStatus(), 130);
    EXPECT_EQ(report.rows.size(), 1u);
}

}  // namespace
}  // namespace velk::test
