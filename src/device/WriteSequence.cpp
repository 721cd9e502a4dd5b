#include "device/WriteSequence.h"

#include <algorithm>

namespace velk {
namespace {

// How soon a send that found no room in the socket is tried again.
constexpr int64_t kPendingLookUs = 10000;

}  // namespace

WriteSequence::WriteSequence(SequenceLink link, std::atomic<int>& writeAck, UiPoster& poster,
                             PacingClock& clock, const std::atomic<bool>& stopRequested)
    : m_link(std::move(link)),
      m_writeAck(writeAck),
      m_poster(poster),
      m_clock(clock),
      m_stopRequested(stopRequested) {}

SequenceOutcome WriteSequence::run(const std::vector<WriteStep>& plan) {
    SequenceStepper stepper(plan, m_link, m_writeAck, m_poster, m_clock, m_stopRequested);
    for (;;) {
        const SequenceStepper::Wake wake = stepper.advance();
        switch (wake.kind) {
            case SequenceStepper::Wake::Finished:
                return wake.outcome;
            case SequenceStepper::Wake::Until:
                m_clock.sleepUntilUs(wake.atUs);
                break;
            case SequenceStepper::Wake::UntilReadable:
                m_clock.sleepUntilUsOrReadable(wake.atUs, m_link.replyFd);
                break;
            case SequenceStepper::Wake::UntilWritable:
                // Only a link that does not wait for room says Pending; it is asked again shortly.
                m_clock.sleepUntilUs(std::min(wake.atUs, m_clock.nowUs() + kPendingLookUs));
                break;
        }
    }
}

SequenceThread::~SequenceThread() {
    join(true);
}

bool SequenceThread::start(std::vector<WriteStep> plan, SequenceLink link, std::atomic<int>& writeAck,
                           UiPoster& poster, PacingClock& clock) {
    if (running()) {
        return false;
    }
    m_stop.store(false);
    m_thread =
        std::thread([this, plan = std::move(plan), link = std::move(link), &writeAck, &poster, &clock] {
            clock.prepareThread();
            WriteSequence sequence(link, writeAck, poster, clock, m_stop);
            SequenceOutcome outcome = sequence.run(plan);
            poster.post({WM_WRITE_DONE, outcome, {}, {}});
        });
    return true;
}

void SequenceThread::join(bool stop) {
    if (!m_thread.joinable()) {
        return;
    }
    if (stop) {
        m_stop.store(true);
    }
    m_thread.join();
}

}  // namespace velk
