#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "device/PacingClock.h"
#include "device/SequenceStepper.h"
#include "device/WritePlan.h"
#include "model/UiPoster.h"

namespace velk {

// Carries out a plan on the calling thread (a SequenceStepper that sleeps where it says): sends
// through the link, paces through the clock,
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
    static constexpr int kSendWaitMs = SequenceStepper::kSendWaitMs;

private:
    SequenceLink m_link;
    std::atomic<int>& m_writeAck;
    UiPoster& m_poster;
    PacingClock& m_clock;
    const std::atomic<bool>& m_stopRequested;
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
