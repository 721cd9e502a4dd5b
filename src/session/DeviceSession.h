#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/PacingClock.h"
#include "device/PanelLink.h"
#include "device/PanelNetwork.h"
#include "device/ReadAnswers.h"
#include "device/ReplyFramer.h"
#include "device/ReplyReader.h"
#include "device/TcpSocket.h"
#include "device/WriteSequence.h"
#include "model/UiPoster.h"
#include "session/ProjectSession.h"
#include "session/SessionObserver.h"

namespace velk {

// How the last write ended, for callers that wait on it (velkctl, tests).
enum class WriteResult { None, Running, Succeeded, TimedOut, LinkLost };

// How a read stores what the panel answers: the form applies every reply as it comes; velkctl and
// the site read hold them until the read ends and store them only when every row was answered
// whole (or, when asked, the rows that were).
enum class ReadMode { ApplyAtOnce, AllOrNothing };

// How a held read ended.
struct ReadResult {
    bool complete = false;              // every row asked for answered whole
    bool stored = false;                // the whole replies went to the model and the file
    int answered = 0;                   // rows answered whole
    std::vector<std::string> problems;  // "E4: no answer", "V7: reply dropped: ..."
};

// The form's device side without widgets: the panel link, writing, reading, the panel's network
// settings and infrared learning. User-interface thread only, apart from the threads it owns.
class DeviceSession {
public:
    DeviceSession(ProjectSession& project, SessionObserver& observer, UiPoster& poster, PacingClock& clock,
                  int connectTimeoutMs = PanelLink::kDefaultConnectTimeoutMs);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // 连接 / 断开 with the panel's address and port (host order); disconnecting ignores them.
    void connectOrDisconnect(uint32_t panelIp, uint16_t port);
    LinkState linkState() const { return m_linkState; }
    // Why the last connection attempt failed (empty when it did not), as the socket layer says it.
    const std::string& lastLinkError() const { return m_lastLinkError; }
    ConnectFailure lastLinkFailure() const { return m_lastLinkFailure; }
    // What the form shows next to the address fields (see SessionObserver::linkNoticeChanged).
    const std::string& linkNotice() const { return m_linkNotice; }

    // 写入: false when not connected or while a write or read still runs.
    bool write();
    // 读取: the read requests, paced on the sequence thread; false as for write.
    bool read(ReadMode mode = ReadMode::ApplyAtOnce);
    // A held read: every row asked for has its whole reply and no reply is still arriving, so
    // waiting longer brings nothing.
    bool readAnswered() const;
    // Ends a held read (its grace period is over): the reply still arriving ends here; the replies
    // are stored when every row was answered whole, or when storeComplete, those that were.
    ReadResult finishRead(bool storeComplete);
    // How many rows of the held read are answered whole so far.
    int readAnsweredCount() const { return m_readAnswers ? m_readAnswers->answeredCount() : 0; }
    void requestPanelNetwork();  // 网络设置
    // After the dialog's OK: sends only what changed, in the fixed order.
    void applyPanelNetwork(const PanelNetworkReply& panel, const PanelNetworkSettings& edited);
    void learnIr(const std::string& idText);  // 红外学习

    // Waits until the commands queued so far have been handed to the socket: a caller that ends
    // right after sending (velkctl) calls it before closing. False on time-out.
    bool flushSends(int timeoutMs = 5000);

    // WM_LINK_*, WM_WRITE_* from the link and writer threads.
    void handle(const ViewMessage& message);

    int writeAck() const { return m_writeAck.load(); }
    bool writing() const { return m_sequenceKind == SequenceKind::Write; }
    bool reading() const { return m_sequenceKind == SequenceKind::Read; }
    WriteResult lastWriteResult() const { return m_writeResult; }
    // The lists and events the last write left out because a command was too long for the link.
    const std::vector<std::string>& leftOutOfLastWrite() const { return m_leftOut; }
    // Bytes the panel sent that are not yet a reply: the start of one that goes on in the next block.
    const std::string& unreadReplyBytes() const { return m_framer.pendingBytes(); }
    // Records (enumerated variables, variables, targets) the panel has reported since the last read
    // began; replies keep coming in for a moment after the requests are out.
    int recordRepliesSinceRead() const { return m_recordReplies; }
    // Whether the last read ended because the connection was lost.
    bool lastReadLostLink() const { return m_readLostLink; }

    // Sees every command as the link hands it to the socket (see PanelLink::setSendTap); set it
    // before connecting. For tests and measurements.
    void setSendTap(PanelLink::SendTap tap) { m_link->setSendTap(std::move(tap)); }

    // Closes the link and joins every thread this session started.
    void shutdown();

private:
    enum class SequenceKind { None, Write, Read };
    class ProjectReplyApplier;

    void setLinkState(LinkState state);
    void setLinkNotice(std::string notice);
    void sequenceEnded(SequenceOutcome outcome);
    bool startSequence(SequenceKind kind, std::vector<WriteStep> plan);
    void send(const std::string& command);
    void deliver(const std::vector<FramedReply>& replies);

    ProjectSession& m_project;
    SessionObserver& m_observer;
    UiPoster& m_poster;
    PacingClock& m_clock;
    std::unique_ptr<PanelLink> m_link;
    std::unique_ptr<ProjectReplyApplier> m_replyApplier;
    LinkState m_linkState = LinkState::Closed;
    int64_t m_stateGeneration = 0;  // the connection the link state describes
    bool m_closing = false;         // 断开 clicked, WM_LINK_CLOSED not yet seen
    std::string m_lastLinkError;
    ConnectFailure m_lastLinkFailure = ConnectFailure::None;
    std::string m_linkNotice;
    std::atomic<int> m_writeAck{0};
    SequenceThread m_sequence;
    SequenceKind m_sequenceKind = SequenceKind::None;
    WriteResult m_writeResult = WriteResult::None;
    std::vector<std::string> m_leftOut;
    ReplyFramer m_framer;
    int64_t m_repliesGeneration = 0;           // the connection m_framer holds bytes of
    std::optional<ReadAnswers> m_readAnswers;  // a held read's replies
    bool m_readLostLink = false;
    int m_recordReplies = 0;
};

}  // namespace velk
