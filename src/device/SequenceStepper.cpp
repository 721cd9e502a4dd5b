#include "device/SequenceStepper.h"

namespace velk {

SequenceStepper::SequenceStepper(const std::vector<WriteStep>& plan, SequenceLink& link,
                                 std::atomic<int>& writeAck, UiPoster& poster, PacingClock& clock,
                                 const std::atomic<bool>& stopRequested)
    : m_plan(plan),
      m_link(link),
      m_writeAck(writeAck),
      m_poster(poster),
      m_clock(clock),
      m_stopRequested(stopRequested) {}

SequenceStepper::Wake SequenceStepper::advance() {
    if (m_finished) {
        return {Wake::Finished, 0, m_outcome};
    }
    if (!m_started) {
        m_started = true;
        m_anchorUs = m_clock.nowUs();
    }
    Wake wake;
    // Each branch either finishes the step under way (and falls through to the next) or says what
    // to wait for.
    switch (m_state) {
        case State::Next:
            break;
        case State::Pausing:
            if (m_clock.nowUs() < m_anchorUs) {
                return {Wake::Until, m_anchorUs, {}};
            }
            break;
        case State::Waiting:
            if (!lookForAck(m_plan[m_next], wake)) {
                return wake;
            }
            break;
        case State::Sending:
            if (!continueSend(wake)) {
                return wake;
            }
            break;
    }
    if (m_state != State::Next) {
        m_state = State::Next;
        ++m_next;
    }
    for (; m_next < m_plan.size(); ++m_next) {
        if (m_stopRequested.load()) {
            return finish(kSequenceStopped);
        }
        const WriteStep& step = m_plan[m_next];
        switch (step.kind) {
            case WriteStep::Send:
                if (!beginSend(step, wake)) {
                    return wake;
                }
                break;
            case WriteStep::Sleep:
                m_anchorUs += int64_t{step.milliseconds} * 1000;
                if (m_clock.nowUs() < m_anchorUs) {
                    m_state = State::Pausing;
                    return {Wake::Until, m_anchorUs, {}};
                }
                break;
            case WriteStep::ResetAck:
                // Whatever came before is taken first, so an old acknowledgement cannot pass for
                // the awaited one.
                m_link.takeReplies();
                m_writeAck.store(ACK_NONE);
                break;
            case WriteStep::WaitAck:
                return beginWait();
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
    return finish(kSequenceCompleted);
}

bool SequenceStepper::beginSend(const WriteStep& step, Wake& wake) {
    if (!m_link.alive()) {
        wake = finish(kSequenceLinkLost);
        return false;
    }
    m_sendDeadlineUs = m_clock.nowUs() + int64_t{kSendWaitMs} * 1000;
    return sendFared(m_link.send(step.command), wake);
}

bool SequenceStepper::continueSend(Wake& wake) {
    if (m_stopRequested.load()) {
        wake = finish(kSequenceStopped);
        return false;
    }
    return sendFared(m_link.continueSend(), wake);
}

bool SequenceStepper::sendFared(SendResult result, Wake& wake) {
    switch (result) {
        case SendResult::Sent:
            ++m_sent;
            // The pause after a command counts from the moment it left, however late the send ran.
            m_anchorUs = m_clock.nowUs();
            return true;
        case SendResult::Lost:
            wake = finish(kSequenceLinkLost);
            return false;
        case SendResult::Stuck:
            m_stuck = true;
            wake = timedOut();
            return false;
        case SendResult::Pending:
            if (m_clock.nowUs() >= m_sendDeadlineUs) {
                m_stuck = true;
                wake = timedOut();
            } else {
                m_state = State::Sending;
                wake = {Wake::UntilWritable, m_sendDeadlineUs, {}};
            }
            return false;
    }
    return false;
}

SequenceStepper::Wake SequenceStepper::beginWait() {
    m_state = State::Waiting;
    m_waitStartSeconds = m_clock.nowSeconds();
    m_ticked = false;
    // The first look comes after the first sleep, as every later one.
    return lookAgain();
}

bool SequenceStepper::lookForAck(const WriteStep& step, Wake& wake) {
    m_link.takeReplies();
    if (m_writeAck.load() == step.ack) {
        m_anchorUs = m_clock.nowUs();
        return true;
    }
    if (m_stopRequested.load()) {
        wake = finish(kSequenceStopped);
        return false;
    }
    if (!m_link.alive()) {
        wake = finish(kSequenceLinkLost);
        return false;
    }
    const int64_t elapsed = m_clock.nowSeconds() - m_waitStartSeconds;
    // The clear wait shows 10 on every look of its third second; the exit wait adds its 20 once.
    if (step.tickAt >= 0 && elapsed == step.tickAt && !(step.tickAdds && m_ticked)) {
        m_progress = step.tickAdds ? m_progress + step.tickValue : step.tickValue;
        m_ticked = true;
        postProgress();
    }
    if (elapsed >= step.seconds) {
        wake = timedOut();
        return false;
    }
    wake = lookAgain();
    return false;
}

SequenceStepper::Wake SequenceStepper::lookAgain() const {
    if (m_link.replyFd >= 0) {
        return {Wake::UntilReadable, m_clock.nowUs() + int64_t{SequenceLink::kSocketLookMs} * 1000, {}};
    }
    return {Wake::Until, m_clock.nowUs() + int64_t{SequenceLink::kPollLookMs} * 1000, {}};
}

SequenceStepper::Wake SequenceStepper::finish(SequenceOutcome outcome) {
    m_finished = true;
    m_outcome = outcome;
    return {Wake::Finished, 0, outcome};
}

SequenceStepper::Wake SequenceStepper::timedOut() {
    m_poster.post({WM_WRITE_TIMEOUT, 0, {}, {}});
    return finish(kSequenceTimedOut);
}

void SequenceStepper::postProgress() {
    m_poster.post({WM_WRITE_PROGRESS, static_cast<int64_t>(m_progress), {}, {}});
}

}  // namespace velk
