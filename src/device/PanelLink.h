#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/UiPoster.h"

namespace velk {

// The monotonic clock (CLOCK_MONOTONIC) in microseconds, as send taps see it.
int64_t monotonicUs();

// Longest command one transmission to the panel carries; a longer one is never sent.
constexpr size_t kMaxCommandLength = 65530;

// Thread messages of a connection's send thread.
enum LinkThreadMessage : unsigned { TM_SEND = 100, TM_QUIT = 101 };

// How a command handed to sendAndWait fared.
enum class SendResult {
    Sent,   // handed to the socket
    Lost,   // the connection is gone (closed, reset, or never there)
    Stuck,  // still not handed to the socket when the wait ran out
    // Part of it is with the socket, the rest waits for room (a link that never waits hands it on
    // later, when asked to go on)
    Pending,
};

// The panel link (slot 0). Each connection has a generation, its own send thread (connects, then
// transmits the commands queued to it in order) and a receive thread (one block per receive).
// They report to the user-interface thread with WM_LINK_CONNECTED, WM_LINK_FAILED, WM_LINK_DATA
// and WM_LINK_CLOSED, each carrying the generation in wParam. A command is queued for the
// connection current when it is queued, so it never reaches a later connection.
class PanelLink {
public:
    static constexpr int kDefaultConnectTimeoutMs = 4000;
    static constexpr size_t kReceiveBufferSize = 1048576;
    // Replies carry no terminator, so the last one the panel sent ends when no byte has followed
    // for this long (WM_LINK_QUIET). The panel answers each request in one send, but a network
    // may hold back part of it: a reply cut in two with up to 300 ms between the pieces is still
    // read whole. 500 ms is well clear of that and still shows an unasked reply within half a
    // second; the read requests go out 50 ms apart, so a read never waits on it between replies.
    static constexpr int kReplyQuietMs = 500;

    explicit PanelLink(UiPoster& poster, int connectTimeoutMs = kDefaultConnectTimeoutMs);
    ~PanelLink();
    PanelLink(const PanelLink&) = delete;
    PanelLink& operator=(const PanelLink&) = delete;

    // User-interface thread. Starts connecting to address (host order) and port; a connection
    // still current is closed first. Returns the new generation.
    int64_t open(uint32_t address, uint16_t port);
    // User-interface thread. Shuts the current connection down: its receive thread then reports
    // WM_LINK_CLOSED (or its send thread WM_LINK_FAILED while still connecting).
    void close();
    // Any thread: shuts the current connection down as close() does but leaves it to the
    // user-interface thread to retire: a connect in progress gives up, a sendAndWait returns Lost
    // and alive() turns false. For stopping a writer from outside.
    void interrupt();
    // User-interface thread, on WM_LINK_CLOSED or WM_LINK_FAILED: joins that connection's threads.
    void finished(int64_t generation);
    // User-interface thread: closes every connection and joins every thread.
    void stop();

    // Any thread; never blocks on the network. Queues one command for the current connection. An
    // empty command, one longer than a transmission can carry, or one queued while no connection
    // is current is dropped, as the panel could not take it.
    void Send(std::string_view command);

    // Any thread: queues one command for the current connection like Send and waits until the
    // send thread has handed it to the socket. The writer paces from that moment, so a send thread
    // that runs late can never put two commands on the wire closer than their pause.
    SendResult sendAndWait(std::string_view command, int timeoutMs);

    // User-interface thread: waits until every command queued so far for the current connection
    // has been handed to the socket (or the connection is closing). False on time-out.
    bool waitSent(int timeoutMs);

    // Any thread: whether connection generation is still current and neither side has closed it.
    bool alive(int64_t generation) const;

    // Sees every command on the send thread with the monotonic times (microseconds, the
    // CLOCK_MONOTONIC clock) just before and just after it was handed to the socket. Set it before
    // open(); for tests and measurements.
    using SendTap = std::function<void(std::string_view command, int64_t startUs, int64_t endUs)>;
    void setSendTap(SendTap tap) { m_sendTap = std::move(tap); }
    // The quiet time of connections opened after the call; tests shorten it.
    void setReplyQuietMs(int milliseconds) { m_replyQuietMs = milliseconds; }

    // Generation of the current connection, 0 when none.
    int64_t generation() const;

private:
    struct Connection;
    static void sendThread(Connection& connection, UiPoster& poster, int connectTimeoutMs,
                           const SendTap& tap);
    static void receiveThread(Connection& connection, UiPoster& poster);
    static void shutDown(Connection& connection);
    static void join(Connection& connection);

    UiPoster& m_poster;
    const int m_connectTimeoutMs;
    SendTap m_sendTap;
    int m_replyQuietMs = kReplyQuietMs;
    mutable std::mutex m_mutex;  // guards m_current (Send comes from the writer thread too)
    // Shared so a writer waiting on a send keeps the connection alive while the user-interface
    // thread retires it; its threads are always joined by the user-interface thread.
    std::shared_ptr<Connection> m_current;
    std::vector<std::shared_ptr<Connection>> m_retired;  // shut down, threads not yet joined
    int64_t m_nextGeneration = 1;
};

}  // namespace velk
