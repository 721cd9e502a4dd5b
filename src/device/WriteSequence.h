#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/PacingClock.h"
#include "device/PanelLink.h"
#include "device/WritePlan.h"
#include "model/UiPoster.h"

namespace velk {

// How a sequence ended; WM_WRITE_DONE carries it in wParam.
enum SequenceOutcome : int {
    kSequenceCompleted = 0,  // every step ran and every awaited acknowledgement came
    kSequenceTimedOut = 1,   // an acknowledgement did not come in time; nothing more was sent
    kSequenceStopped = 2,    // the program is closing
    kSequenceLinkLost = 3,   // the connection ended under the sequence; nothing more was sent
};

// Where a sequence sends. send hands one command to the link and returns once it is on its way
// (the pauses are measured from then); alive tells whether the connection still stands. A link
// without a receive thread of its own takes the panel's replies in takeReplies, which the sequence
// calls before each look at the acknowledgement and before it resets it.
struct SequenceLink {
    std::function<SendResult(const std::string&)> send;
    std::function<bool()> alive = [] { return true; };
    std::function<void()> takeReplies = [] {};
    // Such a link's socket: a wait then sleeps until the panel sends something, looking at the
    // time-out and a stop every kSocketLookMs instead of every 10 ms.
    int replyFd = -1;
    static constexpr int kSocketLookMs = 100;
};

// Carries out a plan on the calling thread: sends through the link, paces through the clock,
// polls writeAck every 10 ms while waiting, and posts WM_WRITE_PROGRESS with the integer part of
// the progress and, when a wait runs out, WM_WRITE_TIMEOUT.
//
// Each pause is a lower bound measured from the step before it: from the moment the command
// before it was handed to the socket, from the moment an awaited acknowledgement was seen, or from
// the end of the pause before it. Every sleep goes to an absolute deadline, so lateness is never
// made up by cutting a later pause short.
class WriteSequence {
public:
    WriteSequence(SequenceLink link, std::atomic<int>& writeAck, UiPoster& poster, PacingClock& clock,
                  const std::atomic<bool>& stopRequested);

    SequenceOutcome run(const std::vector<WriteStep>& plan);

    // How long a command may take to reach the socket before the panel counts as not answering.
    static constexpr int kSendWaitMs = 15000;

private:
    SequenceOutcome send(const WriteStep& step);
    SequenceOutcome wait(const WriteStep& step);
    SequenceOutcome timedOut();
    void postProgress();

    SequenceLink m_link;
    std::atomic<int>& m_writeAck;
    UiPoster& m_poster;
    PacingClock& m_clock;
    const std::atomic<bool>& m_stopRequested;
    double m_progress = 0;
    int64_t m_anchorUs = 0;  // where the next pause is measured from
};

// A WriteSequence on its own thread. It posts WM_WRITE_DONE (wParam the outcome) as its last
// message, after which the user-interface thread joins it.
class SequenceThread {
public:
    SequenceThread() = default;
    ~SequenceThread();
    SequenceThread(const SequenceThread&) = delete;
    SequenceThread& operator=(const SequenceThread&) = delete;

    // False when a sequence is still running (started and not yet joined).
    bool start(std::vector<WriteStep> plan, SequenceLink link, std::atomic<int>& writeAck, UiPoster& poster,
               PacingClock& clock);
    bool running() const { return m_thread.joinable(); }
    // Waits for the thread; with stop, it is told to end at its next step or poll first.
    void join(bool stop = false);

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

}  // namespace velk
