#include <gtest/gtest.h>

#include <filesystem>

#include "FakePanel.h"
#include "SiteTestSupport.h"
#include "site/PanelRead.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

namespace fs = std::filesystem;

// Reads keep the real pacing: the panel's replies must come one block each, as they do 50 ms apart.
std::vector<PanelResult> readSite(const std::vector<SiteTarget>& targets, const std::string& folder) {
    SiteRunOptions options;
    SiteReadOptions read{folder};
    ProgressBoard board(targets.size());
    StopSwitch stop;
    SiteRun run(targets.size(), options.jobs, siteReadJob(targets, options, read, board, stop));
    return run.join();
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SiteReadTest, EveryPanelIsReadIntoItsOwnCopyAndTheProjectStaysAsItWas) {
    TempDir dir;
    const std::string project = dir.file("site.db");
    ConfigModel empty;
    empty.reset();
    makeProjectFile(project, empty);
    const std::string before = readFileBytes(project);

    SimulatedPanels panels(3);
    std::vector<PanelAddress> addresses;
    std::vector<std::shared_ptr<const ConfigModel>> written;
    for (size_t i = 0; i < panels.size(); ++i) {
        addresses.push_back(panels.address(i));
        written.push_back(std::make_shared<const ConfigModel>(shortModel(static_cast<int>(i))));
    }
    SiteRunResult write = writeSite(targetsFor(addresses, written), fastOptions());
    for (const PanelResult& result : write.results) {
        ASSERT_EQ(result.outcome, PanelOutcome::Done) << result.reason;
    }

    std::vector<SiteTarget> targets = targetsFor(addresses, {nullptr});
    for (SiteTarget& target : targets) {
        target.project = project;
    }
    const std::string folder = dir.file("backup");
    fs::create_directory(folder);
    std::vector<PanelResult> results = readSite(targets, folder);

    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"p0.db", "p1.db", "p2.db"}));
    for (size_t i = 0; i < panels.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[i].outcome, PanelOutcome::Done) << results[i].reason;
        EXPECT_EQ(results[i].replies, readReplyCount());
        const ConfigModel copy = loadProjectFile(readCopyPath(folder, targets[i].name));
        EXPECT_EQ(copy.enums.at(0), written[i]->enums.at(0));
        EXPECT_EQ(copy.variables.at(1), written[i]->variables.at(1));
        EXPECT_EQ(copy.netTargets.at(4), written[i]->netTargets.at(4));
        // What the panel never had reads back as an enumerated variable without values.
        EXPECT_TRUE(copy.enums.at(5).data.empty());
    }
    EXPECT_EQ(readFileBytes(project), before);
}

TEST(SiteReadTest, APanelThatAnswersNothingLeavesNoCopyAndKeepsTheOldOne) {
    TempDir dir;
    const std::string project = dir.file("site.db");
    ConfigModel empty;
    empty.reset();
    makeProjectFile(project, empty);
    const std::string folder = dir.file("backup");
    fs::create_directory(folder);
    writeFileBytes(readCopyPath(folder, "p1"), "the copy of an earlier read");

    FakePanel silent;  // takes every request and answers none
    std::vector<SiteTarget> targets =
        targetsFor({{kLoopbackAddress, closedPort()}, {kLoopbackAddress, silent.port()}}, {nullptr});
    for (SiteTarget& target : targets) {
        target.project = project;
    }
    std::vector<PanelResult> results = readSite(targets, folder);

    EXPECT_EQ(results[0].outcome, PanelOutcome::Unreachable);
    EXPECT_EQ(results[0].reason, "connection refused");
    EXPECT_EQ(results[1].outcome, PanelOutcome::TimedOut);
    EXPECT_EQ(results[1].reason, "no answer to the read requests");
    EXPECT_EQ(results[1].replies, 0);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"p1.db"});
    EXPECT_EQ(readFileBytes(readCopyPath(folder, "p1")), "the copy of an earlier read");
    EXPECT_EQ(siteExitStatus(results, SiteTask::Read), 1);  // nothing read, as a single read says
}

TEST(SiteReadTest, AProjectThatCannotBeCopiedFailsThatPanelOnly) {
    TempDir dir;
    SimulatedPanels panels(1);
    std::vector<SiteTarget> targets = targetsFor({panels.address(0)}, {nullptr});
    targets[0].project = dir.file("missing.db");
    const std::string folder = dir.file("backup");
    fs::create_directory(folder);

    std::vector<PanelResult> results = readSite(targets, folder);

    EXPECT_EQ(results[0].outcome, PanelOutcome::Failed);
    EXPECT_NE(results[0].reason.find("cannot copy the project"), std::string::npos) << results[0].reason;
    EXPECT_TRUE(filesIn(folder).empty());
    EXPECT_EQ(panels[0].connectionCount(), 0u);
    EXPECT_EQ(siteExitStatus(results, SiteTask::Read), 1);
}

}  // namespace
}  // namespace velk::test

namespace velk::test {
namespace {

// A panel that leaves rows unanswered or answers them with noise gets no copy: the old one stays,
// and the result names the rows.
TEST(SiteReadTest, APanelWithRowsNotReadLeavesNoCopy) {
    TempDir dir;
    const std::string project = dir.file("site.db");
    ConfigModel empty;
    empty.reset();
    makeProjectFile(project, empty);
    const std::string folder = dir.file("backup");
    fs::create_directory(folder);
    writeFileBytes(readCopyPath(folder, "p0"), "the copy of an earlier read");

    FakePanel panel;
    panel.answerReads();
    panel.answer("QM-PANEL-getvar-4QM", "");
    panel.answer("QM-PANEL-getenum-2QM", "QM-PANEL-rtnenum-2-ascii-a\x01#b");
    std::vector<SiteTarget> targets = targetsFor({{kLoopbackAddress, panel.port()}}, {nullptr});
    targets[0].project = project;
    std::vector<PanelResult> results = readSite(targets, folder);

    EXPECT_EQ(results[0].outcome, PanelOutcome::TimedOut);
    EXPECT_EQ(results[0].reason,
              "2 of 26 rows not read: E2: reply dropped: holds a control byte; V4: no answer");
    EXPECT_EQ(results[0].replies, 24);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"p0.db"});
    EXPECT_EQ(readFileBytes(readCopyPath(folder, "p0")), "the copy of an earlier read");
}

}  // namespace
}  // namespace velk::test
