#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A small layer over POSIX TCP sockets: the panel link, the simulator and the tests use nothing else.
namespace velk {

// Why a connection attempt failed, so a form can say it in the user's words.
enum class ConnectFailure : int {
    None = 0,
    Refused,      // nobody listens on that port
    TimedOut,     // no answer within the time-out
    Unreachable,  // no route to the network or host
    BadAddress,   // an address or port nothing can be reached at (0.0.0.0, broadcast)
    Cancelled,    // given up by the caller
    Other,
};

// The failure an errno value of connect() stands for.
ConnectFailure connectFailureOf(int error);

// "connect: no answer within N s", the reason of a connect that timed out.
std::string connectTimeoutText(int timeoutMs);

class TcpSocket {
public:
    TcpSocket() = default;
    explicit TcpSocket(int fd) : m_fd(fd) {}
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Connects to an IPv4 address (host order) within timeoutMs. cancelled, when given, is looked
    // at while waiting so another thread can abandon the attempt. On failure error holds the reason
    // and failure, when given, its kind.
    static std::optional<TcpSocket> connectTo(uint32_t address, uint16_t port, int timeoutMs,
                                              std::string& error, const std::function<bool()>& cancelled = {},
                                              ConnectFailure* failure = nullptr);

    // Starts connecting without waiting. The socket stays non-blocking; once it is writable,
    // finishConnect tells how the attempt ended. inProgress is false when it connected at once.
    static std::optional<TcpSocket> startConnect(uint32_t address, uint16_t port, bool& inProgress,
                                                 std::string& error, ConnectFailure* failure = nullptr);
    // How a connect under way ended, once the socket is writable: false with the reason.
    bool finishConnect(std::string& error, ConnectFailure* failure = nullptr) const;

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Sends every byte, continuing partial sends; false when the connection fails first.
    bool sendAll(std::string_view bytes) const;
    // One blocking receive: the count, 0 when the peer closed, -1 on error.
    long receive(char* buffer, size_t size) const;
    // Waits at most timeoutMs for data or a close; false on time-out.
    bool waitReadable(int timeoutMs) const;
    // Ends both directions: a receive blocked in another thread returns 0, sends fail. The handle
    // stays open until close(), so it cannot be reused while another thread still uses it.
    void shutdownBoth() const;
    void close();

private:
    int m_fd = -1;
};

// A listening socket on 127.0.0.1 (or another address when asked); port 0 picks a free port.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(TcpListener&& other) noexcept;
    TcpListener& operator=(TcpListener&& other) noexcept;
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    static std::optional<TcpListener> listenOn(uint32_t address, uint16_t port, std::string& error);
    static std::optional<TcpListener> listenLoopback(uint16_t port, std::string& error);

    uint16_t port() const { return m_port; }
    int fd() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Waits at most timeoutMs (negative: for ever) for a client; gives up at once when wakeFd, if
    // given, turns readable, so an owner that stops can end a wait without a time-out.
    std::optional<TcpSocket> accept(int timeoutMs, int wakeFd = -1) const;
    void close();

private:
    int m_fd = -1;
    uint16_t m_port = 0;
};

constexpr uint32_t kLoopbackAddress = 0x7F000001;

// Raises the soft limit of open descriptors to the hard one: a site of a thousand panels holds a
// socket each, past the 1024 many systems start a program with.
void raiseOpenFileLimit();

}  // namespace velk
