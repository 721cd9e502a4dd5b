#pragma once

#include <string>
#include <vector>

namespace velk {

// What a site run does with each panel.
enum class SiteTask { Write, Read };

// How one panel's write or read ended.
enum class PanelOutcome {
    Done,         // written, or read into its copy
    LeftOut,      // written, but commands too long for the link were left out
    Unreachable,  // no connection could be made
    TimedOut,     // the panel stopped answering (or answered nothing to a read)
    Dropped,      // the connection ended under the write or read
    Failed,       // a file could not be made or written (the read's copy)
    Stopped,      // interrupted, or never started because of the interruption
};

struct PanelResult {
    PanelOutcome outcome = PanelOutcome::Stopped;
    std::string reason;                // why, for every outcome but Done
    std::vector<std::string> leftOut;  // the lists and events left out of a write
    int attempts = 0;                  // connections tried
    int replies = 0;                   // read replies stored
    double seconds = 0;                // from the first attempt to the end
};

// The exit status velkctl ends with for a panel that ended so, the same as the single write or
// read of that panel: 0 done, 4 left out, 2 unreachable, 3 a write that timed out or was dropped,
// 1 a file error; a read the panel answered nothing to is 1 (nothing read), one whose connection
// dropped is 2. 130 when interrupted.
int exitStatusOf(PanelOutcome outcome, SiteTask task);

// The worst single status: 130 before 1, before 3, before 2, before 4, before 0. A site with no
// panel ends with 0.
int siteExitStatus(const std::vector<PanelResult>& results, SiteTask task);

// Whether a write or read that ended so is tried again by --retry.
bool isRetried(PanelOutcome outcome);

// "written" or "read", "left out", "unreachable", "timed out", "dropped", "failed", "stopped".
const char* outcomeWord(PanelOutcome outcome, SiteTask task);

// The word and the reason: "timed out: no answer to the clear command within 15 s", and how many
// attempts it took when more than one.
std::string resultText(const PanelResult& result, SiteTask task);

}  // namespace velk
