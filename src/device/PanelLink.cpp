#include "device/PanelLink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include <poll.h>

#include "device/TcpSocket.h"

namespace velk {

int64_t monotonicUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct PanelLink::Connection {
    struct Request {
        LinkThreadMessage message = TM_SEND;
        std::string bytes;
    };

    int64_t generation = 0;
    int replyQuietMs = PanelLink::kReplyQuietMs;
    uint32_t address = 0;
    uint16_t port = 0;

    std::mutex queueMutex;
    std::condition_variable queueReady;
    std::deque<Request> queue;
    uint64_t queuedSends = 0;  // commands queued so far
    uint64_t handedSends = 0;  // of those, handed to the socket (or given up on) in order
    bool sendFailed = false;   // a send failed: the connection is broken
    std::condition_variable sendsDone;
    std::atomic<bool> peerClosed{false};

    std::atomic<bool> closing{false};
    std::mutex socketMutex;  // the send thread publishes the socket, close() shuts it down
    TcpSocket socket;

    std::thread sender;
    std::thread receiver;  // started by the sender; read only after the sender is joined

    // Returns the number the request has among the sends of this connection.
    uint64_t post(Request request) {
        uint64_t number = 0;
        {
            std::lock_guard lock(queueMutex);
            if (request.message == TM_SEND) {
                number = ++queuedSends;
            }
            queue.push_back(std::move(request));
        }
        queueReady.notify_one();
        return number;
    }

    void sendDone(bool sent) {
        {
            std::lock_guard lock(queueMutex);
            ++handedSends;
            if (!sent) {
                sendFailed = true;
            }
        }
        sendsDone.notify_all();
    }

    Request take() {
        std::unique_lock lock(queueMutex);
        queueReady.wait(lock, [&] { return !queue.empty(); });
        Request request = std::move(queue.front());
        queue.pop_front();
        return request;
    }
};

PanelLink::PanelLink(UiPoster& poster, int connectTimeoutMs)
    : m_poster(poster), m_connectTimeoutMs(connectTimeoutMs) {}

PanelLink::~PanelLink() {
    stop();
}

int64_t PanelLink::open(uint32_t address, uint16_t port) {
    close();
    auto connection = std::make_shared<Connection>();
    connection->generation = m_nextGeneration++;
    connection->replyQuietMs = m_replyQuietMs;
    connection->address = address;
    connection->port = port;
    Connection& started = *connection;
    started.sender = std::thread(sendThread, std::ref(started), std::ref(m_poster), m_connectTimeoutMs,
                                 std::cref(m_sendTap));
    std::lock_guard lock(m_mutex);
    m_current = std::move(connection);
    return started.generation;
}

void PanelLink::close() {
    std::shared_ptr<Connection> closed;
    {
        std::lock_guard lock(m_mutex);
        closed = std::move(m_current);
    }
    if (closed) {
        shutDown(*closed);
        m_retired.push_back(std::move(closed));
    }
}

void PanelLink::interrupt() {
    std::lock_guard lock(m_mutex);
    if (m_current) {
        shutDown(*m_current);
    }
}

void PanelLink::finished(int64_t generation) {
    {
        std::lock_guard lock(m_mutex);
        if (m_current && m_current->generation == generation) {
            m_retired.push_back(std::move(m_current));
        }
    }
    for (auto it = m_retired.begin(); it != m_retired.end(); ++it) {
        if ((*it)->generation == generation) {
            std::shared_ptr<Connection> connection = std::move(*it);
            m_retired.erase(it);
            shutDown(*connection);
            join(*connection);
            return;
        }
    }
}

void PanelLink::stop() {
    close();
    for (auto& connection : m_retired) {
        join(*connection);
    }
    m_retired.clear();
}

void PanelLink::Send(std::string_view command) {
    if (command.empty() || command.size() > kMaxCommandLength) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_current && !m_current->closing.load()) {
        m_current->post({TM_SEND, std::string(command)});
    }
}

SendResult PanelLink::sendAndWait(std::string_view command, int timeoutMs) {
    if (command.empty() || command.size() > kMaxCommandLength) {
        return SendResult::Sent;  // nothing the panel could take, as with Send
    }
    std::shared_ptr<Connection> connection;
    uint64_t number = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_current || m_current->closing.load()) {
            return SendResult::Lost;
        }
        connection = m_current;
        number = connection->post({TM_SEND, std::string(command)});
    }
    std::unique_lock lock(connection->queueMutex);
    bool done = connection->sendsDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return connection->handedSends >= number || connection->closing.load();
    });
    if (connection->sendFailed || connection->closing.load()) {
        return SendResult::Lost;
    }
    return done ? SendResult::Sent : SendResult::Stuck;
}

bool PanelLink::waitSent(int timeoutMs) {
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard lock(m_mutex);
        connection = m_current;
    }
    if (!connection) {
        return true;
    }
    std::unique_lock lock(connection->queueMutex);
    return connection->sendsDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return connection->handedSends == connection->queuedSends || connection->closing.load();
    });
}

bool PanelLink::alive(int64_t generation) const {
    std::lock_guard lock(m_mutex);
    if (!m_current || m_current->generation != generation || m_current->closing.load() ||
        m_current->peerClosed.load()) {
        return false;
    }
    std::lock_guard queueLock(m_current->queueMutex);
    return !m_current->sendFailed;
}

int64_t PanelLink::generation() const {
    std::lock_guard lock(m_mutex);
    return m_current ? m_current->generation : 0;
}

void PanelLink::shutDown(Connection& connection) {
    if (connection.closing.exchange(true)) {
        return;
    }
    {
        std::lock_guard lock(connection.socketMutex);
        connection.socket.shutdownBoth();
    }
    connection.post({TM_QUIT, {}});
    connection.sendsDone.notify_all();
}

void PanelLink::join(Connection& connection) {
    shutDown(connection);
    if (connection.sender.joinable()) {
        connection.sender.join();
    }
    if (connection.receiver.joinable()) {
        connection.receiver.join();
    }
    connection.socket.close();
}

void PanelLink::sendThread(Connection& connection, UiPoster& poster, int connectTimeoutMs,
                           const SendTap& tap) {
    const int64_t generation = connection.generation;
    std::string error;
    ConnectFailure failure = ConnectFailure::None;
    auto socket = TcpSocket::connectTo(
        connection.address, connection.port, connectTimeoutMs, error,
        [&] { return connection.closing.load(); }, &failure);
    int fd = -1;
    if (socket) {
        std::lock_guard lock(connection.socketMutex);
        // A close that came during the attempt wins: the connection is never reported.
        if (!connection.closing.load()) {
            connection.socket = std::move(*socket);
            fd = connection.socket.fd();
        } else {
            error = "connect: cancelled";
            failure = ConnectFailure::Cancelled;
        }
    }
    if (fd < 0) {
        poster.post({WM_LINK_FAILED, generation, {}, error, static_cast<int64_t>(failure)});
        return;
    }
    poster.post({WM_LINK_CONNECTED, generation, {}, {}});
    connection.receiver = std::thread(receiveThread, std::ref(connection), std::ref(poster));

    const TcpSocket& sending = connection.socket;  // stays open until both threads are joined
    for (;;) {
        Connection::Request request = connection.take();
        if (request.message == TM_QUIT) {
            break;
        }
        // Each connection has its own queue, so every command here was queued for this one.
        bool sent = false;
        if (!connection.closing.load()) {
            const int64_t startUs = tap ? monotonicUs() : 0;
            sent = sending.sendAll(request.bytes);
            if (tap) {
                tap(request.bytes, startUs, monotonicUs());
            }
        }
        connection.sendDone(sent);
    }
}

void PanelLink::receiveThread(Connection& connection, UiPoster& poster) {
    const int64_t generation = connection.generation;
    const TcpSocket& socket = connection.socket;  // published before this thread started
    // Not zero-filled: only the pages a receive writes are ever touched, which keeps many idle
    // connections small.
    auto buffer = std::make_unique_for_overwrite<char[]>(kReceiveBufferSize);
    bool quietOwed = false;  // bytes came since the line was last reported quiet
    for (;;) {
        if (quietOwed) {
            // Measured here, where the bytes arrive, so a busy user-interface thread cannot make a
            // pause between two pieces of one reply look like the end of it.
            pollfd watched{socket.fd(), POLLIN, 0};
            int ready = ::poll(&watched, 1, connection.replyQuietMs);
            if (ready == 0) {
                poster.post({WM_LINK_QUIET, generation, {}, {}});
                quietOwed = false;
                continue;
            }
        }
        long n = socket.receive(buffer.get(), kReceiveBufferSize);
        if (n <= 0) {
            break;
        }
        poster.post({WM_LINK_DATA, generation, {}, std::string(buffer.get(), static_cast<size_t>(n))});
        quietOwed = true;
    }
    // The close goes into the queue before the writer may see the link as dead, so the UI always
    // learns of the loss before it learns how the write ended.
    poster.post({WM_LINK_CLOSED, generation, {}, {}});
    connection.peerClosed.store(true);
}

}  // namespace velk
