#include "session/DeviceSession.h"

#include "device/Commands.h"
#include "device/IrLearning.h"
#include "device/PanelLink.h"
#include "device/ReplyApplier.h"
#include "device/WritePlan.h"
#include "session/LinkNotice.h"

namespace velk {
namespace {

const char kWriteSucceeded[] = "写入成功！";
const char kWriteTimedOut[] = "写入超时，请尝试重新写入！";
const char kWriteLinkLost[] = "与面板的连接已断开，写入未完成，请重新连接后再写入！";
const char kReadLinkLost[] = "与面板的连接已断开，读取未完成！";
const char kLeftOut[] = "以下内容的指令超过面板可接收的长度，未写入：";

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : "、") + name;
    }
    return text;
}

}  // namespace

// Replies applied to the project (model, list rows, file) and to the write acknowledgement.
class DeviceSession::ProjectReplyApplier : public ReplyApplier {
public:
    explicit ProjectReplyApplier(DeviceSession& session) : m_session(session) {}

    void applyEnum(const EnumVariable& variable) override {
        ++m_session.m_recordReplies;
        m_session.m_project.applyEnum(variable);
    }
    void applyVariable(const Variable& variable) override {
        ++m_session.m_recordReplies;
        m_session.m_project.applyVariable(variable);
    }
    void applyNetTarget(const NetTarget& target) override {
        ++m_session.m_recordReplies;
        m_session.m_project.applyNetTarget(target);
    }
    // The writer reports the outcome once it has seen the acknowledgement it was waiting for, so
    // an exit reply out of turn cannot announce a write that did not finish.
    void acknowledged(WriteAck ack) override { m_session.m_writeAck.store(ack); }
    void panelNetworkReceived(const PanelNetworkReply& reply) override {
        m_session.m_observer.panelNetworkReceived(reply);
    }

private:
    DeviceSession& m_session;
};

DeviceSession::DeviceSession(ProjectSession& project, SessionObserver& observer, UiPoster& poster,
                             PacingClock& clock, int connectTimeoutMs)
    : m_project(project),
      m_observer(observer),
      m_poster(poster),
      m_clock(clock),
      m_link(std::make_unique<PanelLink>(poster, connectTimeoutMs)),
      m_replyApplier(std::make_unique<ProjectReplyApplier>(*this)) {}

DeviceSession::~DeviceSession() {
    shutdown();
}

void DeviceSession::connectOrDisconnect(uint32_t panelIp, uint16_t port) {
    if (m_linkState == LinkState::Connected && !m_closing) {
        // The caption changes when the receive thread has seen the end (WM_LINK_CLOSED).
        m_closing = true;
        m_link->close();
        return;
    }
    m_closing = false;
    m_lastLinkError.clear();
    m_lastLinkFailure = ConnectFailure::None;
    setLinkNotice({});
    m_stateGeneration = m_link->open(panelIp, port);
    setLinkState(LinkState::Connecting);
}

bool DeviceSession::write() {
    if (m_linkState != LinkState::Connected) {
        return false;
    }
    // The plan is built now from the model as it is: the writer never reads the live model.
    if (!startSequence(SequenceKind::Write, buildWritePlan(m_project.model()))) {
        return false;
    }
    m_leftOut = leftOutOfWrite(m_project.model());
    m_writeResult = WriteResult::Running;
    m_observer.writeStarted();
    return true;
}

bool DeviceSession::read(ReadMode mode) {
    if (m_linkState != LinkState::Connected) {
        return false;
    }
    m_readLostLink = false;
    m_recordReplies = 0;
    if (!startSequence(SequenceKind::Read, buildReadPlan())) {
        return false;
    }
    m_readAnswers.reset();
    if (mode == ReadMode::AllOrNothing) {
        m_readAnswers.emplace(readRequestRows());
    }
    return true;
}

bool DeviceSession::readAnswered() const {
    return m_readAnswers && m_readAnswers->complete() && !m_framer.holdsReply();
}

ReadResult DeviceSession::finishRead(bool storeComplete) {
    ReadResult result;
    if (!m_readAnswers) {
        return result;
    }
    deliver(m_framer.flush());
    ReadAnswers answers = std::move(*m_readAnswers);
    m_readAnswers.reset();
    result.complete = answers.complete();
    result.answered = answers.answeredCount();
    result.problems = answers.problems();
    if (result.complete || storeComplete) {
        for (const Reply& reply : answers.wholeReplies()) {
            applyReply(reply, *m_replyApplier);
        }
        result.stored = true;
    }
    return result;
}

void DeviceSession::deliver(const std::vector<FramedReply>& replies) {
    for (const FramedReply& reply : replies) {
        if (m_readAnswers && m_readAnswers->take(reply)) {
            continue;
        }
        if (!reply.dropped()) {
            applyReply(reply.reply, *m_replyApplier);
        }
    }
}

bool DeviceSession::startSequence(SequenceKind kind, std::vector<WriteStep> plan) {
    if (m_sequence.running()) {
        return false;
    }
    m_writeAck.store(ACK_NONE);
    PanelLink* link = m_link.get();
    const int64_t generation = m_stateGeneration;
    SequenceLink sequenceLink;
    sequenceLink.send = [link](const std::string& command) {
        return link->sendAndWait(command, WriteSequence::kSendWaitMs);
    };
    sequenceLink.alive = [link, generation] { return link->alive(generation); };
    if (!m_sequence.start(std::move(plan), std::move(sequenceLink), m_writeAck, m_poster, m_clock)) {
        return false;
    }
    m_sequenceKind = kind;
    return true;
}

void DeviceSession::requestPanelNetwork() {
    send(MakeGetLan());
}

void DeviceSession::applyPanelNetwork(const PanelNetworkReply& panel, const PanelNetworkSettings& edited) {
    for (const std::string& command : panelNetworkChanges(panel, edited)) {
        send(command);
    }
}

void DeviceSession::learnIr(const std::string& idText) {
    IrLearnRequest request = learnIrCommand(idText);
    if (!request.accepted()) {
        m_observer.message(MessageTitle::Error, request.refusal);
        return;
    }
    send(request.command);
}

void DeviceSession::send(const std::string& command) {
    m_link->Send(command);
}

bool DeviceSession::flushSends(int timeoutMs) {
    return m_link->waitSent(timeoutMs);
}

void DeviceSession::handle(const ViewMessage& message) {
    switch (message.id) {
        case WM_LINK_CONNECTED:
            if (message.wParam == m_stateGeneration && m_linkState == LinkState::Connecting) {
                setLinkState(LinkState::Connected);
            }
            break;
        case WM_LINK_FAILED:
            m_link->finished(message.wParam);
            if (message.wParam == m_stateGeneration) {
                m_lastLinkError = message.text;
                m_lastLinkFailure = static_cast<ConnectFailure>(message.lParam);
                setLinkNotice(connectFailureNotice(m_lastLinkFailure, message.text));
                setLinkState(LinkState::Closed);
            }
            break;
        case WM_LINK_CLOSED:
            m_link->finished(message.wParam);
            if (message.wParam == m_repliesGeneration) {
                deliver(m_framer.flush());  // the connection's last reply ends with it
            }
            if (message.wParam == m_stateGeneration) {
                // Only an end the user did not ask for is worth a word.
                if (!m_closing && m_linkState == LinkState::Connected) {
                    setLinkNotice(kLinkLostNotice);
                }
                m_closing = false;
                setLinkState(LinkState::Closed);
            }
            break;
        case WM_LINK_DATA:
            // Blocks of a connection already closed belong to nobody.
            if (message.wParam != 0 && message.wParam == m_link->generation()) {
                if (message.wParam != m_repliesGeneration) {
                    m_framer.reset();
                    m_repliesGeneration = message.wParam;
                }
                deliver(m_framer.feed(message.text));
            }
            break;
        case WM_LINK_QUIET:
            if (message.wParam != 0 && message.wParam == m_repliesGeneration) {
                deliver(m_framer.flush());
            }
            break;
        case WM_WRITE_PROGRESS:
            if (writing() && message.wParam >= 0 && message.wParam <= 400) {
                m_observer.writeProgress(static_cast<int>(message.wParam));
            }
            break;
        case WM_WRITE_TIMEOUT:
            if (writing()) {
                m_writeResult = WriteResult::TimedOut;
                m_observer.writeEnded();
                m_observer.message(MessageTitle::Notice, kWriteTimedOut);
            }
            break;
        case WM_WRITE_DONE:
            m_sequence.join();
            sequenceEnded(static_cast<SequenceOutcome>(message.wParam));
            break;
        default:
            break;
    }
}

void DeviceSession::sequenceEnded(SequenceOutcome outcome) {
    const SequenceKind kind = m_sequenceKind;
    m_sequenceKind = SequenceKind::None;
    if (kind == SequenceKind::Read) {
        if (outcome == kSequenceLinkLost) {
            m_readLostLink = true;
            m_observer.message(MessageTitle::Notice, kReadLinkLost);
        }
        return;
    }
    if (kind != SequenceKind::Write) {
        return;
    }
    switch (outcome) {
        case kSequenceCompleted:
            m_writeResult = WriteResult::Succeeded;
            m_observer.writeEnded();
            m_observer.message(MessageTitle::Notice, kWriteSucceeded);
            break;
        case kSequenceLinkLost:
            m_writeResult = WriteResult::LinkLost;
            m_observer.writeEnded();
            m_observer.message(MessageTitle::Notice, kWriteLinkLost);
            break;
        case kSequenceTimedOut:  // told when WM_WRITE_TIMEOUT came
        case kSequenceStopped:
            break;
    }
    // Whatever the outcome, what was never sent is said after it.
    if (outcome != kSequenceStopped && !m_leftOut.empty()) {
        m_observer.message(MessageTitle::Notice, kLeftOut + joinedNames(m_leftOut));
    }
}

void DeviceSession::setLinkState(LinkState state) {
    if (state == m_linkState) {
        return;
    }
    m_linkState = state;
    m_observer.linkStateChanged(state);
}

void DeviceSession::setLinkNotice(std::string notice) {
    if (notice == m_linkNotice) {
        return;
    }
    m_linkNotice = std::move(notice);
    m_observer.linkNoticeChanged(m_linkNotice);
}

void DeviceSession::shutdown() {
    // Closing first wakes a writer waiting for a send, so the join below does not wait it out.
    m_link->close();
    m_sequence.join(true);
    m_sequenceKind = SequenceKind::None;
    m_link->stop();
    m_linkState = LinkState::Closed;
    m_closing = false;
}

}  // namespace velk
