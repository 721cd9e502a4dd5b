#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/PacingClock.h"
#include "device/WritePlan.h"
#include "model/UiPoster.h"

namespace velk {

// How a sequence ended; WM_WRITE_DONE carries it in wParam.
enum SequenceOutcome : int {
    kSequenceCompleted = 0,  // every step ran and every awaited acknowledgement came
    kSequenceTimedOut = 1,   // an acknowledgement did not come in time; nothing more was sent
    kSequenceStopped = 2,    // the program is closing
};

// Carries out a plan on the calling thread: sends through send, paces through the clock, polls
// writeAck every 10 ms while waiting, and posts WM_WRITE_PROGRESS with the integer part of the
// progress and, when a wait runs out, WM_WRITE_TIMEOUT.
class WriteSequence {
public:
    using Sender = std::function<void(const std::string&)>;

    WriteSequence(Sender send, std::atomic<int>& writeAck, UiPoster& poster, PacingClock& clock,
                  const std::atomic<bool>& stopRequested);

    SequenceOutcome run(const std::vector<WriteStep>& plan);

private:
    SequenceOutcome wait(const WriteStep& step);
    void postProgress();

    Sender m_send;
    std::atomic<int>& m_writeAck;
    UiPoster& m_poster;
    PacingClock& m_clock;
    const std::atomic<bool>& m_stopRequested;
    double m_progress = 0;
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
    bool start(std::vector<WriteStep> plan, WriteSequence::Sender send, std::atomic<int>& writeAck,
               UiPoster& poster, PacingClock& clock);
    bool running() const { return m_thread.joinable(); }
    // Waits for the thread; with stop, it is told to end at its next step or poll first.
    void join(bool stop = false);

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

}  // namespace velk
