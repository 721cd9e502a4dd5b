#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "device/PanelAddress.h"
#include "device/TcpSocket.h"
#include "sim/CommandFramer.h"
#include "sim/PanelState.h"

// A panel on a TCP port: one client at a time, every command logged, held and answered like a
// panel, with faults to inject (a missing or late acknowledgement, a dropped connection).
namespace velk::sim {

// What a network between the panel and the tool may do to the replies: TCP keeps the bytes and
// their order, not the boundaries of the panel's sends.
struct ReplyFaults {
    bool bytewise = false;            // every byte its own send, 1 ms apart
    int cutMaxMs = -1;                // cut each reply in two, the second piece up to this late; <0 never
    int join = 0;                     // send this many replies together (2 or more)
    bool noise = false;               // random bytes, one a control byte, glued in front of each reply
    int dropEvery = 0;                // drop every Nth reply of a connection; 0 never
    std::optional<uint32_t> pattern;  // picks the cuts and noise; none: new ones each run

    bool any() const { return bytewise || cutMaxMs >= 0 || join >= 2 || noise || dropEvery > 0; }
};

struct SimulatorOptions {
    uint32_t address = kLoopbackAddress;
    uint16_t port = kDefaultPanelPort;  // 0 picks a free port
    std::string logPath;                // empty: no log file
    std::set<WriteAck> dropAcks;
    std::map<WriteAck, int> delayAcksMs;
    int closeAfter = 0;  // close each connection after this many commands; 0 never
    // Bytes that no command grammar closes yet are taken as they stand once the line has been quiet
    // this long. The tool paces its commands at least 10 ms apart and a command leaves in one send.
    int quietMs = 20;
    PanelNetwork network;
    ReplyFaults replyFaults;
    // Whether start() reports "listening on"; a group of panels announces its ports at once.
    bool announceListening = true;
    // One line per event (connection, command, reply, fault); called from the server thread.
    std::function<void(const std::string&)> onEvent;
    // The panel from the box: called from the server thread once new network settings (setip,
    // setsubm, setgate, setmac) are taken, the panel then drops the connection and its server
    // thread ends, so its owner can restart it elsewhere with resume(). Empty: the settings are
    // held and reported, the panel stays where it listens.
    std::function<void(const PanelNetwork&)> onRestart;
    // The dialog sends its network commands back to back without pauses: they are taken once the
    // client closes the connection or this long after the last one, when none is still on its way.
    int networkSettleMs = 200;
    // Where the panel writes what it holds as a project text after every completed write, and when
    // a connection ends in the middle of one; empty: not.
    std::string stateFolder;
};

class PanelSimulator {
public:
    explicit PanelSimulator(SimulatorOptions options);
    ~PanelSimulator();
    PanelSimulator(const PanelSimulator&) = delete;
    PanelSimulator& operator=(const PanelSimulator&) = delete;

    // Opens the log and the listening socket and starts serving; the bound port, or nothing with
    // the reason in error.
    std::optional<uint16_t> start(std::string& error);
    // The same on a listener already bound (the options' address and port are then not used).
    std::optional<uint16_t> start(TcpListener listener, std::string& error);
    // Ends the connection in progress and the server thread. Safe to call more than once.
    void stop();
    // After stop() (or a restart that ended the server thread): serves again on listener, which
    // listens at address, keeping everything the panel holds.
    bool resume(TcpListener listener, uint32_t address, std::string& error);
    // Where the panel listens now.
    PanelAddress listening() const;
    // The state text's file for the panel at this address: FOLDER/127.0.0.2_4800.toml.
    static std::string stateFilePath(const std::string& folder, const PanelAddress& address);

    // The acknowledgements never sent from now on (a fault mended, or one that begins, mid-run).
    void setDroppedAcks(std::set<WriteAck> acks);

    PanelSnapshot snapshot() const;
    // The commands received so far, in order, as received (the latest kMaxHistory of them, and no
    // more than kMaxHistoryBytes).
    std::vector<std::string> receivedCommands() const;
    size_t commandCount() const;
    size_t connectionCount() const;
    // Waits until at least count commands were handled; false when timeout passed first.
    bool waitForCommands(size_t count, std::chrono::milliseconds timeout) const;
    // Waits until at least count connections have ended.
    bool waitForClosedConnections(size_t count, std::chrono::milliseconds timeout) const;

    static constexpr size_t kMaxHistory = 100000;
    // How long a reply waits for others to join it (--reply-join).
    static constexpr int kJoinWaitMs = 250;
    static constexpr size_t kMaxHistoryBytes = 16 << 20;
    // The most one receive takes.
    static constexpr size_t kReceiveSize = 64 * 1024;

    // Binds the panel to its listener without a thread of its own: a PanelLoop serves it, with
    // others. stop() then only closes the listener, once the loop has ended.
    std::optional<uint16_t> attach(TcpListener listener, std::string& error);

private:
    friend class PanelLoop;

    struct PendingReply {
        std::chrono::steady_clock::time_point due;
        std::string bytes;
    };
    // The connection being served and what it holds (the serving thread only).
    struct Served {
        TcpSocket client;
        CommandFramer framer;
        std::vector<PendingReply> replies;
        std::chrono::steady_clock::time_point lastData;
        bool peerClosed = false;
        bool closing = false;
        const char* endReason = "client disconnected";
    };

    bool openLog(std::string& error);
    // Takes the listener and sets the panel up to serve on it; launch also starts its thread.
    std::optional<uint16_t> prepare(TcpListener listener, std::string& error);
    std::optional<uint16_t> launch(TcpListener listener, std::string& error);
    void run();
    // Serving one connection, in steps a thread or a PanelLoop takes: begin, then after each wake
    // (bytes to read, or the time-out come) a step, until a step says the connection ends.
    void beginServing(TcpSocket client);
    void serve(std::vector<char>& buffer);
    // How long until the connection has something to do without a byte coming; -1 never.
    int servedTimeoutMs() const;
    void servedReadable(char* buffer, size_t size);
    bool servedStep();
    void endServing();
    // Handles one command; false when the connection is to be closed after it.
    bool handle(const ParsedCommand& command, std::vector<PendingReply>& replies);
    bool sendDue(const TcpSocket& client, std::vector<PendingReply>& replies);
    // Queues a reply as the reply faults have it reach the client.
    void queueReply(std::string reply, std::chrono::steady_clock::time_point due,
                    std::vector<PendingReply>& replies);
    bool sendReply(const TcpSocket& client, const std::string& bytes);
    // When the first reply queued is to leave: its due time, later while it waits for others to
    // join it.
    std::chrono::steady_clock::time_point nextSend(const std::vector<PendingReply>& replies) const;
    void event(const std::string& line);
    void writeLog(std::string_view command);
    void writeState();
    bool restartDue() const;

    SimulatorOptions m_options;
    std::optional<TcpListener> m_listener;
    std::thread m_thread;
    bool m_attached = false;
    std::unique_ptr<Served> m_served;
    std::atomic<bool> m_stopping{false};
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::FILE* m_log = nullptr;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PanelState m_state;
    std::deque<std::string> m_history;
    size_t m_historyBytes = 0;
    size_t m_commandCount = 0;
    size_t m_connections = 0;
    size_t m_closedConnections = 0;
    size_t m_connectionCommands = 0;  // server thread only
    size_t m_connectionReplies = 0;   // server thread only
    std::mt19937 m_faultRandom;       // server thread only
    // Network settings taken but not yet applied, and when the last came (server thread only).
    bool m_networkPending = false;
    std::chrono::steady_clock::time_point m_networkChangedAt;
    bool m_restarting = false;  // server thread, then read after it is joined
};

}  // namespace velk::sim
