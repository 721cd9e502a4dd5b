#include "device/WriteSequence.h"

namespace velk {

WriteSequence::WriteSequence(SequenceLink link, std::atomic<int>& writeAck, UiPoster& poster,
                             PacingClock& clock, const std::atomic<bool>& stopRequested)
    : m_link(std::move(link)),
      m_writeAck(writeAck),
      m_poster(poster),
      m_clock(clock),
      m_stopRequested(stopRequested) {}

SequenceOutcome WriteSequence::run(const std::vector<WriteStep>& plan) {
    m_progress = 0;
    m_anchorUs = m_clock.nowUs();
    for (const WriteStep& step : plan) {
        if (m_stopRequested.load()) {
            return kSequenceStopped;
        }
        switch (step.kind) {
            case WriteStep::Send:
                if (SequenceOutcome outcome = send(step); outcome != kSequenceCompleted) {
                    return outcome;
                }
                break;
            case WriteStep::Sleep:
                m_anchorUs += int64_t{step.milliseconds} * 1000;
                m_clock.sleepUntilUs(m_anchorUs);
                break;
            case WriteStep::ResetAck:
                // Whatever came before is taken first, so an old acknowledgement cannot pass for
                // the awaited one.
                m_link.takeReplies();
                m_writeAck.store(ACK_NONE);
                break;
            case WriteStep::WaitAck:
                if (SequenceOutcome outcome = wait(step); outcome != kSequenceCompleted) {
                    return outcome;
                }
                break;
            case WriteStep::SetProgress:
                m_progress = step.value;
                postProgress();
                break;
            case WriteStep::AddProgress:
                m_progress += step.value;
                postProgress();
                break;
        }
    }
    return kSequenceCompleted;
}

SequenceOutcome WriteSequence::send(const WriteStep& step) {
    if (!m_link.alive()) {
        return kSequenceLinkLost;
    }
    switch (m_link.send(step.command)) {
        case SendResult::Sent:
            break;
        case SendResult::Lost:
            return kSequenceLinkLost;
        case SendResult::Stuck:
            return timedOut();
    }
    // The pause after a command counts from the moment it left, however late the send thread ran.
    m_anchorUs = m_clock.nowUs();
    return kSequenceCompleted;
}

SequenceOutcome WriteSequence::wait(const WriteStep& step) {
    const int64_t start = m_clock.nowSeconds();
    bool ticked = false;
    for (;;) {
        if (m_link.replyFd >= 0) {
            const int64_t lookUs = m_clock.nowUs() + int64_t{SequenceLink::kSocketLookMs} * 1000;
            m_clock.sleepUntilUsOrReadable(lookUs, m_link.replyFd);
        } else {
            m_clock.sleepMs(10);
        }
        m_link.takeReplies();
        if (m_writeAck.load() == step.ack) {
            m_anchorUs = m_clock.nowUs();
            return kSequenceCompleted;
        }
        if (m_stopRequested.load()) {
            return kSequenceStopped;
        }
        if (!m_link.alive()) {
            return kSequenceLinkLost;
        }
        const int64_t elapsed = m_clock.nowSeconds() - start;
        // The clear wait shows 10 on every poll of its third second; the exit wait adds its 20 once.
        if (step.tickAt >= 0 && elapsed == step.tickAt && !(step.tickAdds && ticked)) {
            m_progress = step.tickAdds ? m_progress + step.tickValue : step.tickValue;
            ticked = true;
            postProgress();
        }
        if (elapsed >= step.seconds) {
            return timedOut();
        }
    }
}

SequenceOutcome WriteSequence::timedOut() {
    m_poster.post({WM_WRITE_TIMEOUT, 0, {}, {}});
    return kSequenceTimedOut;
}

void WriteSequence::postProgress() {
    m_poster.post({WM_WRITE_PROGRESS, static_cast<int64_t>(m_progress), {}, {}});
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
