#include "session/DeviceSession.h"

#include "device/Commands.h"
#include "device/IrLearning.h"
#include "device/PanelLink.h"
#include "device/ReplyApplier.h"
#include "device/WritePlan.h"

namespace velk {
namespace {

const char kWriteSucceeded[] = "写入成功！";
const char kWriteTimedOut[] = "写入超时，请尝试重新写入！";

}  // namespace

// Replies applied to the project (model, list rows, file) and to the write acknowledgement.
class DeviceSession::ProjectReplyApplier : public ReplyApplier {
public:
    explicit ProjectReplyApplier(DeviceSession& session) : m_session(session) {}

    void applyEnum(const EnumVariable& variable) override { m_session.m_project.applyEnum(variable); }
    void applyVariable(const Variable& variable) override { m_session.m_project.applyVariable(variable); }
    void applyNetTarget(const NetTarget& target) override { m_session.m_project.applyNetTarget(target); }
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
    m_writeResult = WriteResult::Running;
    m_observer.writeStarted();
    return true;
}

bool DeviceSession::read() {
    if (m_linkState != LinkState::Connected) {
        return false;
    }
    return startSequence(SequenceKind::Read, buildReadPlan());
}

bool DeviceSession::startSequence(SequenceKind kind, std::vector<WriteStep> plan) {
    if (m_sequence.running()) {
        return false;
    }
    m_writeAck.store(ACK_NONE);
    PanelLink* link = m_link.get();
    if (!m_sequence.start(
            std::move(plan), [link](const std::string& command) { link->Send(command); }, m_writeAck,
            m_poster, m_clock)) {
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
                setLinkState(LinkState::Closed);
            }
            break;
        case WM_LINK_CLOSED:
            m_link->finished(message.wParam);
            if (message.wParam == m_stateGeneration) {
                m_closing = false;
                setLinkState(LinkState::Closed);
            }
            break;
        case WM_LINK_DATA:
            // Blocks of a connection already closed belong to nobody.
            if (message.wParam != 0 && message.wParam == m_link->generation()) {
                ParseResponse(message.text, *m_replyApplier);
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
        case WM_WRITE_DONE: {
            m_sequence.join();
            const bool wasWriting = writing();
            m_sequenceKind = SequenceKind::None;
            if (wasWriting && message.wParam == kSequenceCompleted) {
                m_writeResult = WriteResult::Succeeded;
                m_observer.writeEnded();
                m_observer.message(MessageTitle::Notice, kWriteSucceeded);
            }
            break;
        }
        default:
            break;
    }
}

void DeviceSession::setLinkState(LinkState state) {
    if (state == m_linkState) {
        return;
    }
    m_linkState = state;
    m_observer.linkStateChanged(state);
}

void DeviceSession::shutdown() {
    m_sequence.join(true);
    m_sequenceKind = SequenceKind::None;
    m_link->stop();
    m_linkState = LinkState::Closed;
    m_closing = false;
}

}  // namespace velk
