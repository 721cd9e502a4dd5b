#include "site/PanelWrite.h"

#include <atomic>
#include <string_view>

#include "device/Commands.h"
#include "device/ReplyApplier.h"
#include "device/ReplyFramer.h"
#include "device/WriteSequence.h"
#include "model/StrPrintf.h"
#include "site/SiteLink.h"

namespace velk {
namespace {

// A write takes nothing from the replies but its acknowledgements.
class AcknowledgementApplier : public ReplyApplier {
public:
    explicit AcknowledgementApplier(std::atomic<int>& writeAck) : m_writeAck(writeAck) {}
    void applyEnum(const EnumVariable&) override {}
    void applyVariable(const Variable&) override {}
    void applyNetTarget(const NetTarget&) override {}
    void acknowledged(WriteAck ack) override { m_writeAck.store(ack); }
    void panelNetworkReceived(const PanelNetworkReply&) override {}

private:
    std::atomic<int>& m_writeAck;
};

// Takes the write sequence's messages on the writing thread: progress goes to the board.
class ProgressPoster : public UiPoster {
public:
    ProgressPoster(ProgressBoard& board, size_t panel) : m_board(board), m_panel(panel) {}

    void post(ViewMessage message) override {
        if (message.id == WM_WRITE_PROGRESS) {
            m_board.setProgress(m_panel, static_cast<int>(message.wParam));
        }
    }

private:
    ProgressBoard& m_board;
    const size_t m_panel;
};

PanelResult outcome(PanelOutcome kind, std::string reason) {
    PanelResult result;
    result.outcome = kind;
    result.reason = std::move(reason);
    return result;
}

std::string headerEventName(const std::string& header) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (header == MakeKeyEdit(inputOf(slot)) + MakeAddAct(eventOf(slot))) {
            return eventName(slot);
        }
    }
    return "an event";
}

PanelResult writeOnce(const SiteTarget& target, const SiteRunOptions& options, ProgressBoard& board,
                      StopSwitch& stop, size_t panel, int attempt, PacingClock& clock) {
    // Its own copy, taken on its own thread: nothing of one write is shared with another.
    const ConfigModel model = *target.model;
    const std::vector<WriteStep> plan = buildWritePlan(model);

    std::atomic<int> writeAck{ACK_NONE};
    AcknowledgementApplier applier(writeAck);
    ReplyFramer replies;  // acknowledgements are taken the moment their text is complete
    SiteLink link(
        stop.flag(),
        [&](std::string_view bytes) {
            for (const FramedReply& reply : replies.feed(bytes)) {
                if (!reply.dropped()) {
                    applyReply(reply.reply, applier);
                }
            }
        },
        options.sendTap ? options.sendTap(panel) : PanelLink::SendTap{});
    std::string error;
    if (!link.connect(target.panel.ip, target.panel.port, options.connectTimeoutMs, error)) {
        if (stop.stopped()) {
            return outcome(PanelOutcome::Stopped, "interrupted while connecting");
        }
        return outcome(PanelOutcome::Unreachable, connectFailureReason(error));
    }
    board.setPhase(panel, PanelPhase::Working, attempt);

    size_t sent = 0;
    bool stuck = false;
    SequenceLink sequenceLink;
    sequenceLink.send = [&](const std::string& command) {
        SendResult result = link.send(command, WriteSequence::kSendWaitMs);
        sent += result == SendResult::Sent ? 1 : 0;
        stuck = result == SendResult::Stuck;
        return result;
    };
    sequenceLink.alive = [&] { return link.alive(); };
    sequenceLink.takeReplies = [&] { link.receive(); };
    sequenceLink.replyFd = link.fd();
    ProgressPoster poster(board, panel);
    WriteSequence sequence(sequenceLink, writeAck, poster, clock, stop.flag());
    const SequenceOutcome ended = sequence.run(plan);

    if (stop.stopped() && ended != kSequenceCompleted) {
        return outcome(PanelOutcome::Stopped, "interrupted during the write");
    }
    switch (ended) {
        case kSequenceCompleted: {
            PanelResult result;
            result.leftOut = leftOutOfWrite(model);
            if (!result.leftOut.empty()) {
                result.outcome = PanelOutcome::LeftOut;
                std::string names;
                for (const std::string& name : result.leftOut) {
                    names += (names.empty() ? "" : ", ") + name;
                }
                result.reason = "commands longer than the panel takes: " + names;
            } else {
                result.outcome = PanelOutcome::Done;
            }
            return result;
        }
        case kSequenceTimedOut:
            return outcome(PanelOutcome::TimedOut, stuck ? strprintf("the panel took no data for %d s",
                                                                     WriteSequence::kSendWaitMs / 1000)
                                                         : timeoutReason(plan, sent));
        case kSequenceLinkLost:
            return outcome(PanelOutcome::Dropped, "connection dropped by the panel");
        case kSequenceStopped:
            break;
    }
    return outcome(PanelOutcome::Stopped, "interrupted during the write");
}

}  // namespace

std::string timeoutReason(const std::vector<WriteStep>& plan, size_t commandsSent) {
    size_t sends = 0;
    const WriteStep* lastSend = nullptr;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            if (sends == commandsSent) {
                break;
            }
            ++sends;
            lastSend = &step;
        } else if (step.kind == WriteStep::WaitAck && lastSend != nullptr && sends == commandsSent) {
            switch (step.ack) {
                case ACK_CLEARED:
                    return strprintf("no answer to the clear command within %d s", step.seconds);
                case ACK_ADDED:
                    return strprintf("no answer to the header of %s within %d s",
                                     headerEventName(lastSend->command).c_str(), step.seconds);
                case ACK_EXITED:
                    return strprintf("no answer to the exit command within %d s", step.seconds);
                case ACK_NONE:
                    break;
            }
        }
    }
    return "no answer in time";
}

std::string connectFailureReason(const std::string& linkError) {
    const std::string prefix = "connect: ";
    std::string reason = linkError.rfind(prefix, 0) == 0 ? linkError.substr(prefix.size()) : linkError;
    if (reason.empty()) {
        return "no connection";
    }
    // strerror's texts begin with a capital letter.
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' &&
        !(reason[1] >= 'A' && reason[1] <= 'Z')) {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

SiteRun::PanelJob siteWriteJob(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                               ProgressBoard& board, StopSwitch& stop) {
    return [&targets, &options, &board, &stop](size_t panel) {
        return runWithRetries(panel, options, board, stop, [&](int attempt, PacingClock& clock) {
            return writeOnce(targets[panel], options, board, stop, panel, attempt, clock);
        });
    };
}

}  // namespace velk
