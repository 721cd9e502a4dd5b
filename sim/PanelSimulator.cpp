#include "sim/PanelSimulator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "device/CommandLog.h"
#include "device/PanelAddress.h"
#include "model/StrPrintf.h"
#include "sim/StateText.h"

namespace velk::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Commands are shown on the console shortened; the log file keeps them whole.
std::string shown(std::string_view bytes) {
    constexpr size_t kShown = 160;
    std::string line = escapeCommand(bytes.substr(0, kShown));
    if (bytes.size() > kShown) {
        line += strprintf("... (%zu bytes)", bytes.size());
    }
    return line;
}

int millisecondsUntil(Clock::time_point when) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
    // Round up so a wake-up never comes just before the moment it waits for.
    return static_cast<int>(std::clamp<long long>(left + 1, 0, 60000));
}

std::string peerName(int fd) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return "?";
    }
    return panelAddressText({ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)});
}

}  // namespace

PanelSimulator::PanelSimulator(SimulatorOptions options)
    : m_options(std::move(options)),
      m_faultRandom(m_options.replyFaults.pattern.value_or(std::random_device{}())) {}

PanelSimulator::~PanelSimulator() {
    stop();
    if (m_wakeRead >= 0) {
        ::close(m_wakeRead);
    }
    if (m_wakeWrite >= 0) {
        ::close(m_wakeWrite);
    }
    if (m_log != nullptr) {
        std::fclose(m_log);
    }
}

std::optional<uint16_t> PanelSimulator::start(std::string& error) {
    if (!openLog(error)) {
        return std::nullopt;
    }
    std::optional<TcpListener> listener = TcpListener::listenOn(m_options.address, m_options.port, error);
    if (!listener) {
        return std::nullopt;
    }
    return launch(std::move(*listener), error);
}

std::optional<uint16_t> PanelSimulator::start(TcpListener listener, std::string& error) {
    if (!openLog(error)) {
        return std::nullopt;
    }
    return launch(std::move(listener), error);
}

std::optional<uint16_t> PanelSimulator::launch(TcpListener listener, std::string& error) {
    std::optional<uint16_t> port = prepare(std::move(listener), error);
    if (port) {
        m_thread = std::thread([this] { run(); });
    }
    return port;
}

std::optional<uint16_t> PanelSimulator::attach(TcpListener listener, std::string& error) {
    if (!openLog(error)) {
        return std::nullopt;
    }
    std::optional<uint16_t> port = prepare(std::move(listener), error);
    m_attached = port.has_value();
    return port;
}

bool PanelSimulator::openLog(std::string& error) {
    if (m_thread.joinable() || m_attached || m_listener || m_log != nullptr) {
        error = "the simulator is already started";
        return false;
    }
    if (!m_options.logPath.empty()) {
        m_log = std::fopen(m_options.logPath.c_str(), "wb");
        if (m_log == nullptr) {
            error = strprintf("cannot open log file %s: %s", m_options.logPath.c_str(), std::strerror(errno));
            return false;
        }
    }
    return true;
}

std::optional<uint16_t> PanelSimulator::prepare(TcpListener listener, std::string& error) {
    m_listener = std::move(listener);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = strprintf("pipe: %s", std::strerror(errno));
        m_listener.reset();
        return std::nullopt;
    }
    m_wakeRead = ends[0];
    m_wakeWrite = ends[1];
    uint16_t port = m_listener->port();
    // The panel reports the port it listens on.
    PanelNetwork network = m_options.network;
    network.tcpPort = port;
    {
        std::lock_guard lock(m_mutex);
        m_state = PanelState(network);
        m_options.port = port;
    }
    if (m_options.announceListening) {
        event("listening on " + panelAddressText({m_options.address, port}));
    }
    return port;
}

void PanelSimulator::stop() {
    if (m_attached) {
        m_attached = false;
        m_listener.reset();
        event("stopped");
        return;
    }
    if (!m_thread.joinable()) {
        return;
    }
    m_stopping = true;
    char wake = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakeWrite, &wake, 1);
    m_thread.join();
    m_listener.reset();
    event("stopped");
}

bool PanelSimulator::resume(TcpListener listener, uint32_t address, std::string& error) {
    if (m_thread.joinable() || m_wakeRead < 0) {
        error = "the simulator is not stopped";
        return false;
    }
    char drained[16];
    while (::read(m_wakeRead, drained, sizeof drained) > 0) {
    }
    m_stopping = false;
    m_restarting = false;
    m_listener = std::move(listener);
    {
        std::lock_guard lock(m_mutex);
        m_options.address = address;
        m_options.port = m_listener->port();
    }
    event("listening on " + panelAddressText({address, m_listener->port()}));
    m_thread = std::thread([this] { run(); });
    return true;
}

PanelAddress PanelSimulator::listening() const {
    std::lock_guard lock(m_mutex);
    return {m_options.address, m_options.port};
}

std::string PanelSimulator::stateFilePath(const std::string& folder, const PanelAddress& address) {
    return strprintf("%s/%s_%u.toml", folder.c_str(), dottedAddress(address.ip).c_str(),
                     static_cast<unsigned>(address.port));
}

void PanelSimulator::run() {
    std::vector<char> buffer(kReceiveSize);
    while (!m_stopping && !m_restarting) {
        // Waits for a client without a time-out: a thousand idle panels must not each wake twenty
        // times a second. A stop wakes it through the pipe.
        std::optional<TcpSocket> client = m_listener->accept(-1, m_wakeRead);
        if (!client || m_stopping) {
            continue;
        }
        beginServing(std::move(*client));
        serve(buffer);
        endServing();
    }
}

bool PanelSimulator::restartDue() const {
    return m_networkPending &&
           Clock::now() - m_networkChangedAt >= std::chrono::milliseconds(m_options.networkSettleMs);
}

void PanelSimulator::serve(std::vector<char>& buffer) {
    while (!m_stopping) {
        pollfd watched[2] = {{m_served->client.fd(), POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        int ready = ::poll(watched, 2, servedTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            m_served->endReason = "poll failed";
            return;
        }
        if (ready > 0 && watched[1].revents != 0) {
            m_served->endReason = "simulator stopping";
            return;
        }
        if (ready > 0 && watched[0].revents != 0) {
            servedReadable(buffer.data(), buffer.size());
        }
        if (!servedStep()) {
            return;
        }
    }
}

void PanelSimulator::beginServing(TcpSocket client) {
    {
        std::lock_guard lock(m_mutex);
        ++m_connections;
    }
    event("client connected from " + peerName(client.fd()));
    // A client that stops reading must not hold the simulator in a send for ever.
    timeval sendTimeout{2, 0};
    setsockopt(client.fd(), SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    if (m_options.replyFaults.any()) {
        // Small sends leave as they are made, so a reply cut into bytes reaches the tool in pieces.
        int on = 1;
        setsockopt(client.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    m_served = std::make_unique<Served>();
    m_served->client = std::move(client);
    m_served->lastData = Clock::now();
    m_connectionCommands = 0;
    m_connectionReplies = 0;
    m_networkPending = false;
}

int PanelSimulator::servedTimeoutMs() const {
    const Served& served = *m_served;
    int timeout = -1;
    if (!served.framer.empty()) {
        timeout = millisecondsUntil(served.lastData + std::chrono::milliseconds(m_options.quietMs));
    }
    if (!served.replies.empty()) {
        int untilReply = millisecondsUntil(nextSend(served.replies));
        timeout = timeout < 0 ? untilReply : std::min(timeout, untilReply);
    }
    if (m_networkPending) {
        int untilRestart =
            millisecondsUntil(m_networkChangedAt + std::chrono::milliseconds(m_options.networkSettleMs));
        timeout = timeout < 0 ? untilRestart : std::min(timeout, untilRestart);
    }
    return timeout;
}

void PanelSimulator::servedReadable(char* buffer, size_t size) {
    Served& served = *m_served;
    long received = served.client.receive(buffer, size);
    if (received > 0) {
        served.framer.feed(std::string_view(buffer, static_cast<size_t>(received)));
        served.lastData = Clock::now();
    } else {
        served.peerClosed = true;
    }
}

bool PanelSimulator::servedStep() {
    Served& served = *m_served;
    bool quiet =
        served.peerClosed || (!served.framer.empty() &&
                              Clock::now() - served.lastData >= std::chrono::milliseconds(m_options.quietMs));
    while (!served.closing) {
        std::optional<ParsedCommand> command = served.framer.next(quiet);
        if (!command) {
            break;
        }
        served.closing = !handle(*command, served.replies);
    }
    if (!sendDue(served.client, served.replies)) {
        served.endReason = "client gone while answering";
        return false;
    }
    if (served.closing) {
        served.endReason = "closing the connection as asked";
        event(strprintf("closing the connection after %zu commands", m_connectionCommands));
    }
    if (restartDue()) {
        served.endReason = "restarting with the new network settings";
        return false;
    }
    return !served.peerClosed && !served.closing;
}

void PanelSimulator::endServing() {
    std::unique_ptr<Served> served = std::move(m_served);
    if (!served->replies.empty()) {
        event(strprintf("%zu delayed replies not sent", served->replies.size()));
    }
    if (!served->framer.empty()) {
        event(strprintf("%zu received bytes left unread", served->framer.pending()));
    }
    event(served->endReason);
    if (!m_options.stateFolder.empty() && snapshot().editing) {
        // A write broken off: the text shows how far it came.
        writeState();
    }
    if (m_networkPending && !m_stopping) {
        // Taken whole: a panel restarts with its new settings, so the connection is gone.
        m_networkPending = false;
        m_restarting = true;
        m_options.onRestart(snapshot().network);
    }
    served.reset();  // the connection closes before it counts as ended
    {
        std::lock_guard lock(m_mutex);
        ++m_closedConnections;
    }
    m_changed.notify_all();
}

bool PanelSimulator::handle(const ParsedCommand& command, std::vector<PendingReply>& replies) {
    writeLog(command.bytes);
    Outcome outcome;
    bool dropped = false;
    {
        std::lock_guard lock(m_mutex);
        outcome = m_state.apply(command);
        dropped = outcome.ack != ACK_NONE && m_options.dropAcks.count(outcome.ack) != 0;
        m_history.push_back(command.bytes);
        m_historyBytes += command.bytes.size();
        while (m_history.size() > kMaxHistory ||
               (m_historyBytes > kMaxHistoryBytes && m_history.size() > 1)) {
            m_historyBytes -= m_history.front().size();
            m_history.pop_front();
        }
        ++m_commandCount;
    }
    event("recv " + shown(command.bytes));
    event("     " + outcome.note);
    if (!outcome.reply.empty()) {
        if (dropped) {
            event(strprintf("drop %s acknowledgement", ackName(outcome.ack)));
        } else {
            Clock::time_point due = Clock::now();
            auto delay = m_options.delayAcksMs.find(outcome.ack);
            if (outcome.ack != ACK_NONE && delay != m_options.delayAcksMs.end()) {
                due += std::chrono::milliseconds(delay->second);
                event(strprintf("delay %s acknowledgement by %d ms", ackName(outcome.ack), delay->second));
            }
            queueReply(std::move(outcome.reply), due, replies);
        }
    }
    m_changed.notify_all();
    if (command.kind == CommandKind::ExitEdit && !m_options.stateFolder.empty()) {
        writeState();
    }
    if (m_options.onRestart &&
        (command.kind == CommandKind::SetIp || command.kind == CommandKind::SetSubm ||
         command.kind == CommandKind::SetGate || command.kind == CommandKind::SetMac)) {
        m_networkPending = true;
        m_networkChangedAt = Clock::now();
    }
    ++m_connectionCommands;
    return m_options.closeAfter <= 0 || m_connectionCommands < static_cast<size_t>(m_options.closeAfter);
}

void PanelSimulator::queueReply(std::string reply, Clock::time_point due,
                                std::vector<PendingReply>& replies) {
    const ReplyFaults& faults = m_options.replyFaults;
    ++m_connectionReplies;
    if (faults.dropEvery > 0 && m_connectionReplies % static_cast<size_t>(faults.dropEvery) == 0) {
        event("drop reply " + shown(reply));
        return;
    }
    if (faults.noise) {
        // Bytes a line picks up: at least one control byte, so the reply they touch is no text.
        std::string noise(1, static_cast<char>(std::uniform_int_distribution<int>(1, 31)(m_faultRandom)));
        const int more = std::uniform_int_distribution<int>(0, 3)(m_faultRandom);
        for (int i = 0; i < more; ++i) {
            noise += static_cast<char>(std::uniform_int_distribution<int>(0x80, 0xff)(m_faultRandom));
        }
        event("noise " + shown(noise) + " before the reply");
        reply = noise + reply;
    }
    if (faults.cutMaxMs >= 0 && reply.size() >= 2) {
        const size_t cut = std::uniform_int_distribution<size_t>(1, reply.size() - 1)(m_faultRandom);
        const int delay = std::uniform_int_distribution<int>(0, faults.cutMaxMs)(m_faultRandom);
        event(strprintf("cut the reply after %zu bytes, the rest %d ms later", cut, delay));
        replies.push_back({due, reply.substr(0, cut)});
        replies.push_back({due + std::chrono::milliseconds(delay), reply.substr(cut)});
        return;
    }
    replies.push_back({due, std::move(reply)});
}

Clock::time_point PanelSimulator::nextSend(const std::vector<PendingReply>& replies) const {
    const auto join = static_cast<size_t>(std::max(m_options.replyFaults.join, 1));
    if (join == 1) {
        return replies.front().due;
    }
    const Clock::time_point waited = replies.front().due + std::chrono::milliseconds(kJoinWaitMs);
    return replies.size() >= join ? std::min(waited, std::max(replies.front().due, replies[join - 1].due))
                                  : waited;
}

bool PanelSimulator::sendReply(const TcpSocket& client, const std::string& bytes) {
    if (!m_options.replyFaults.bytewise) {
        return client.sendAll(bytes);
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!client.sendAll(std::string_view(bytes).substr(i, 1))) {
            return false;
        }
    }
    return true;
}

bool PanelSimulator::sendDue(const TcpSocket& client, std::vector<PendingReply>& replies) {
    // Replies leave in the order of their commands; a delayed one holds back those behind it.
    const size_t together =
        m_options.replyFaults.join >= 2 ? static_cast<size_t>(m_options.replyFaults.join) : 1;
    size_t sent = 0;
    while (sent < replies.size() && replies[sent].due <= Clock::now()) {
        size_t due = 1;
        while (due < together && sent + due < replies.size() && replies[sent + due].due <= Clock::now()) {
            ++due;
        }
        if (due < together && Clock::now() < replies[sent].due + std::chrono::milliseconds(kJoinWaitMs)) {
            break;  // waits for the others to join it
        }
        std::string bytes;
        for (size_t k = 0; k < due; ++k) {
            bytes += replies[sent + k].bytes;
        }
        if (!sendReply(client, bytes)) {
            replies.erase(replies.begin(), replies.begin() + static_cast<std::ptrdiff_t>(sent));
            return false;
        }
        event("send " + shown(bytes));
        sent += due;
    }
    replies.erase(replies.begin(), replies.begin() + static_cast<std::ptrdiff_t>(sent));
    return true;
}

void PanelSimulator::event(const std::string& line) {
    if (m_options.onEvent) {
        m_options.onEvent(line);
    }
}

void PanelSimulator::writeLog(std::string_view command) {
    if (m_log == nullptr) {
        return;
    }
    std::string line = escapeCommand(command);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), m_log);
    std::fflush(m_log);
}

void PanelSimulator::writeState() {
    const PanelAddress address = listening();
    const std::string text = panelStateText(snapshot(), address);
    const std::string path = stateFilePath(m_options.stateFolder, address);
    // Renamed into place, so a reader never sees half a text.
    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = file != nullptr && std::fclose(file) == 0 && written;
    if (!written || std::rename(part.c_str(), path.c_str()) != 0) {
        event(strprintf("cannot write the state text %s: %s", path.c_str(), std::strerror(errno)));
        std::remove(part.c_str());
        return;
    }
    event("state written to " + path);
}

void PanelSimulator::setDroppedAcks(std::set<WriteAck> acks) {
    std::lock_guard lock(m_mutex);
    m_options.dropAcks = std::move(acks);
}

PanelSnapshot PanelSimulator::snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_state.snapshot();
}

std::vector<std::string> PanelSimulator::receivedCommands() const {
    std::lock_guard lock(m_mutex);
    return {m_history.begin(), m_history.end()};
}

size_t PanelSimulator::commandCount() const {
    std::lock_guard lock(m_mutex);
    return m_commandCount;
}

size_t PanelSimulator::connectionCount() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool PanelSimulator::waitForCommands(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_commandCount >= count; });
}

bool PanelSimulator::waitForClosedConnections(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_closedConnections >= count; });
}

}  // namespace velk::sim
