#include <gtest/gtest.h>

#include "device/Commands.h"
#include "device/WritePlan.h"
#include "site/PanelResult.h"
#include "site/PanelWrite.h"

namespace velk {
namespace {

std::vector<PanelResult> resultsOf(const std::vector<PanelOutcome>& outcomes) {
    std::vector<PanelResult> results;
    for (PanelOutcome outcome : outcomes) {
        PanelResult result;
        result.outcome = outcome;
        results.push_back(result);
    }
    return results;
}

TEST(PanelResultTest, TheWorstSingleResultDecidesTheExitStatus) {
    using O = PanelOutcome;
    struct Case {
        SiteTask task;
        std::vector<PanelOutcome> outcomes;
        int status;
    };
    const SiteTask write = SiteTask::Write;
    const SiteTask read = SiteTask::Read;
    const std::vector<Case> cases = {
        {write, {}, 0},
        {write, {O::Done, O::Done}, 0},
        {write, {O::Done, O::LeftOut}, 4},
        {write, {O::LeftOut, O::Unreachable, O::Done}, 2},
        {write, {O::Unreachable, O::TimedOut}, 3},
        {write, {O::TimedOut, O::Unreachable}, 3},
        {write, {O::Dropped, O::LeftOut}, 3},
        {write, {O::Dropped, O::Failed}, 1},
        {write, {O::Failed, O::Stopped, O::TimedOut}, 130},
        // A read says what the single read of that panel says: a drop is 2, no answer 1.
        {read, {O::Done, O::Dropped}, 2},
        {read, {O::Unreachable, O::TimedOut}, 1},
        {read, {O::Done, O::Done}, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(siteExitStatus(resultsOf(cases[i].outcomes), cases[i].task), cases[i].status)
            << "case " << i;
    }
    EXPECT_TRUE(isRetried(O::TimedOut));
    EXPECT_TRUE(isRetried(O::Dropped));
    EXPECT_FALSE(isRetried(O::Unreachable));
    EXPECT_FALSE(isRetried(O::LeftOut));
}

TEST(PanelResultTest, ResultTextsSayWhyAndHowOften) {
    PanelResult result;
    result.outcome = PanelOutcome::Done;
    result.attempts = 1;
    EXPECT_EQ(resultText(result, SiteTask::Write), "written");
    EXPECT_EQ(resultText(result, SiteTask::Read), "read");
    result.outcome = PanelOutcome::TimedOut;
    result.reason = "no answer to the exit command within 15 s";
    result.attempts = 3;
    EXPECT_EQ(resultText(result, SiteTask::Write),
              "timed out: no answer to the exit command within 15 s (3 attempts)");
}

ConfigModel twoEventModel() {
    ConfigModel model;
    model.reset();
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 1;
    model.actions[0] = {relay};  // 按键1 按下
    model.actions[4] = {relay};  // 按键2 弹起
    return model;
}

TEST(PanelResultTest, TimeOutsNameTheCommandThatWasNotAnswered) {
    const ConfigModel model = twoEventModel();
    const std::vector<WriteStep> plan = buildWritePlan(model);
    const std::vector<std::string> commands = planCommands(plan);
    auto sentThrough = [&](const std::string& command) {
        for (size_t i = 0; i < commands.size(); ++i) {
            if (commands[i] == command) {
                return i + 1;
            }
        }
        ADD_FAILURE() << command << " is not in the plan";
        return size_t{0};
    };
    EXPECT_EQ(timeoutReason(plan, sentThrough(MakeClearKeys())),
              "no answer to the clear command within 15 s");
    EXPECT_EQ(timeoutReason(plan, sentThrough(MakeKeyEdit(1) + MakeAddAct(0))),
              "no answer to the header of " + eventName(0) + " within 10 s");
    EXPECT_EQ(timeoutReason(plan, sentThrough(MakeKeyEdit(2) + MakeAddAct(1))),
              "no answer to the header of " + eventName(4) + " within 10 s");
    EXPECT_EQ(timeoutReason(plan, sentThrough(MakeExitEdit())), "no answer to the exit command within 15 s");
    // A command with no wait after it is not what a wait ran out on.
    EXPECT_EQ(timeoutReason(plan, sentThrough(MakeIntoEdit())), "no answer in time");
    EXPECT_EQ(timeoutReason(plan, 0), "no answer in time");
}

TEST(PanelResultTest, ConnectFailuresReadAsAnInstallerSaysThem) {
    EXPECT_EQ(connectFailureReason("connect: Connection refused"), "connection refused");
    EXPECT_EQ(connectFailureReason("connect: no answer within 4 s"), "no answer within 4 s");
    EXPECT_EQ(connectFailureReason("connect: No route to host"), "no route to host");
    EXPECT_EQ(connectFailureReason("socket: Too many open files"), "socket: Too many open files");
    EXPECT_EQ(connectFailureReason(""), "no connection");
}

}  // namespace
}  // namespace velk
