#include "site/PanelResult.h"

#include "model/StrPrintf.h"

namespace velk {
namespace {

// Larger is worse.
int severity(int status) {
    switch (status) {
        case 0:
            return 0;
        case 4:
            return 1;
        case 2:
            return 2;
        case 3:
            return 3;
        case 1:
            return 4;
        default:
            return 5;
    }
}

}  // namespace

int exitStatusOf(PanelOutcome outcome, SiteTask task) {
    const bool read = task == SiteTask::Read;
    switch (outcome) {
        case PanelOutcome::Done:
            return 0;
        case PanelOutcome::LeftOut:
            return 4;
        case PanelOutcome::Unreachable:
            return 2;
        case PanelOutcome::TimedOut:
            return read ? 1 : 3;
        case PanelOutcome::Dropped:
            return read ? 2 : 3;
        case PanelOutcome::Failed:
            return 1;
        case PanelOutcome::Stopped:
            return 130;
    }
    return 1;
}

int siteExitStatus(const std::vector<PanelResult>& results, SiteTask task) {
    int worst = 0;
    for (const PanelResult& result : results) {
        const int status = exitStatusOf(result.outcome, task);
        if (severity(status) > severity(worst)) {
            worst = status;
        }
    }
    return worst;
}

bool isRetried(PanelOutcome outcome) {
    return outcome == PanelOutcome::TimedOut || outcome == PanelOutcome::Dropped;
}

const char* outcomeWord(PanelOutcome outcome, SiteTask task) {
    switch (outcome) {
        case PanelOutcome::Done:
            return task == SiteTask::Write ? "written" : "read";
        case PanelOutcome::LeftOut:
            return "left out";
        case PanelOutcome::Unreachable:
            return "unreachable";
        case PanelOutcome::TimedOut:
            return "timed out";
        case PanelOutcome::Dropped:
            return "dropped";
        case PanelOutcome::Failed:
            return "failed";
        case PanelOutcome::Stopped:
            return "stopped";
    }
    return "failed";
}

std::string resultText(const PanelResult& result, SiteTask task) {
    std::string text = outcomeWord(result.outcome, task);
    if (!result.reason.empty()) {
        text += ": " + result.reason;
    }
    if (result.attempts > 1) {
        text += strprintf(" (%d attempts)", result.attempts);
    }
    return text;
}

}  // namespace velk
