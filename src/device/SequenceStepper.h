#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
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
// calls before each look at the acknowledgement and before it resets it. A link that does not wait
// for room in the socket answers Pending and is asked to go on with continueSend.
struct SequenceLink {
    std::function<SendResult(const std::string&)> send;
    std::function<bool()> alive = [] { return true; };
    std::function<void()> takeReplies = [] {};
    std::function<SendResult()> continueSend = [] { return SendResult::Lost; };
    // Such a link's socket: a wait then sleeps until the panel sends something, looking at the
    // time-out and a stop every kSocketLookMs instead of every 10 ms.
    int replyFd = -1;
    static constexpr int kSocketLookMs = 100;
    static constexpr int kPollLookMs = 10;
};

// A write sequence that never sleeps: advance() carries out steps until the plan asks to wait, and
// says until when and for what. One thread can so pace many panels; WriteSequence runs one on
// the calling thread by sleeping where it says.
class SequenceStepper {
public:
    struct Wake {
        enum Kind {
            Finished,       // outcome holds how it ended
            Until,          // call advance() again no earlier than atUs
            UntilReadable,  // again at atUs, or as soon as the link's socket has bytes to read
            UntilWritable,  // again at atUs, or as soon as the link's socket takes bytes again
        };
        Kind kind = Finished;
        int64_t atUs = 0;
        SequenceOutcome outcome{};
    };

    SequenceStepper(const std::vector<WriteStep>& plan, SequenceLink& link, std::atomic<int>& writeAck,
                    UiPoster& poster, PacingClock& clock, const std::atomic<bool>& stopRequested);

    // Goes on from where the last call stopped. A call before the time it named is harmless: a
    // pause goes on, a wait for the acknowledgement looks once more.
    Wake advance();

    // How long a command may take to reach the socket before the panel counts as not answering.
    static constexpr int kSendWaitMs = 15000;

    // How many commands were handed to the socket whole.
    size_t commandsSent() const { return m_sent; }
    // Whether the last send failed because the panel took no bytes for kSendWaitMs.
    bool stuck() const { return m_stuck; }

private:
    enum class State { Next, Pausing, Waiting, Sending };

    Wake beginWait();
    bool lookForAck(const WriteStep& step, Wake& wake);
    bool beginSend(const WriteStep& step, Wake& wake);
    bool continueSend(Wake& wake);
    // Goes on after a send or its continuation: true once the command is all with the socket.
    bool sendFared(SendResult result, Wake& wake);
    Wake lookAgain() const;
    Wake finish(SequenceOutcome outcome);
    Wake timedOut();
    void postProgress();

    const std::vector<WriteStep>& m_plan;
    SequenceLink& m_link;
    std::atomic<int>& m_writeAck;
    UiPoster& m_poster;
    PacingClock& m_clock;
    const std::atomic<bool>& m_stopRequested;

    size_t m_next = 0;  // the step to carry out, or the one under way
    State m_state = State::Next;
    bool m_started = false;
    bool m_finished = false;
    SequenceOutcome m_outcome{};
    double m_progress = 0;
    int64_t m_anchorUs = 0;  // where the next pause is measured from
    int64_t m_waitStartSeconds = 0;
    bool m_ticked = false;
    int64_t m_sendDeadlineUs = 0;
    size_t m_sent = 0;
    bool m_stuck = false;
};

}  // namespace velk
