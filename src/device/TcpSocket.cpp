#include "device/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "model/StrPrintf.h"

namespace velk {
namespace {

sockaddr_in socketAddress(uint32_t address, uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    return target;
}

bool setBlocking(int fd, bool blocking) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

// poll() that resumes after signals; the result of the last call.
int pollFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    return result;
}

std::string errorText(const char* what, int error) {
    return strprintf("%s: %s", what, std::strerror(error));
}

}  // namespace

ConnectFailure connectFailureOf(int error) {
    switch (error) {
        case 0:
            return ConnectFailure::None;
        case ECONNREFUSED:
            return ConnectFailure::Refused;
        case ETIMEDOUT:
            return ConnectFailure::TimedOut;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
        case EHOSTDOWN:
            return ConnectFailure::Unreachable;
        case EADDRNOTAVAIL:
        case EACCES:
        case EPERM:
        case EINVAL:
        case EAFNOSUPPORT:
            return ConnectFailure::BadAddress;
        default:
            return ConnectFailure::Other;
    }
}

TcpSocket::~TcpSocket() {
    close();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

namespace {

bool fail(std::string& error, ConnectFailure* failure, ConnectFailure kind, std::string text) {
    error = std::move(text);
    if (failure != nullptr) {
        *failure = kind;
    }
    return false;
}

// Commands are small and paced; each should leave at once rather than wait for the next.
void sendAtOnce(int fd) {
    int noDelay = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
}

}  // namespace

std::optional<TcpSocket> TcpSocket::startConnect(uint32_t address, uint16_t port, bool& inProgress,
                                                 std::string& error, ConnectFailure* failure) {
    inProgress = false;
    TcpSocket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP));
    if (!socket.valid()) {
        fail(error, failure, ConnectFailure::Other, errorText("socket", errno));
        return std::nullopt;
    }
    sockaddr_in target = socketAddress(address, port);
    if (::connect(socket.m_fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        if (errno != EINPROGRESS) {
            const int code = errno;
            fail(error, failure, connectFailureOf(code), errorText("connect", code));
            return std::nullopt;
        }
        inProgress = true;
        return socket;
    }
    sendAtOnce(socket.m_fd);
    return socket;
}

bool TcpSocket::finishConnect(std::string& error, ConnectFailure* failure) const {
    int result = 0;
    socklen_t length = sizeof result;
    if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) {
        return fail(error, failure, ConnectFailure::Other, errorText("getsockopt", errno));
    }
    if (result != 0) {
        return fail(error, failure, connectFailureOf(result), errorText("connect", result));
    }
    sendAtOnce(m_fd);
    return true;
}

std::optional<TcpSocket> TcpSocket::connectTo(uint32_t address, uint16_t port, int timeoutMs,
                                              std::string& error, const std::function<bool()>& cancelled,
                                              ConnectFailure* failure) {
    bool inProgress = false;
    std::optional<TcpSocket> socket = startConnect(address, port, inProgress, error, failure);
    if (!socket) {
        return std::nullopt;
    }
    if (inProgress) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (cancelled && cancelled()) {
                fail(error, failure, ConnectFailure::Cancelled, "connect: cancelled");
                return std::nullopt;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                fail(error, failure, ConnectFailure::TimedOut, connectTimeoutText(timeoutMs));
                return std::nullopt;
            }
            int slice = static_cast<int>(std::min<long long>(left.count(), 50));
            int ready = pollFor(socket->m_fd, POLLOUT, slice);
            if (ready < 0) {
                fail(error, failure, ConnectFailure::Other, errorText("poll", errno));
                return std::nullopt;
            }
            if (ready > 0) {
                break;
            }
        }
        if (!socket->finishConnect(error, failure)) {
            return std::nullopt;
        }
    }
    // The callers of a finished connection block in their sends and receives.
    if (!setBlocking(socket->m_fd, true)) {
        fail(error, failure, ConnectFailure::Other, errorText("fcntl", errno));
        return std::nullopt;
    }
    return socket;
}

std::string connectTimeoutText(int timeoutMs) {
    return strprintf("connect: no answer within %d s", (timeoutMs + 999) / 1000);
}

bool TcpSocket::sendAll(std::string_view bytes) const {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

long TcpSocket::receive(char* buffer, size_t size) const {
    for (;;) {
        ssize_t n = ::recv(m_fd, buffer, size, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return static_cast<long>(n);
    }
}

bool TcpSocket::waitReadable(int timeoutMs) const {
    return pollFor(m_fd, POLLIN, timeoutMs) > 0;
}

void TcpSocket::shutdownBoth() const {
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_RDWR);
    }
}

void TcpSocket::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

TcpListener::~TcpListener() {
    close();
}

TcpListener::TcpListener(TcpListener&& other) noexcept : m_fd(other.m_fd), m_port(other.m_port) {
    other.m_fd = -1;
}

TcpListener& TcpListener::operator=(TcpListener&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_port = other.m_port;
        other.m_fd = -1;
    }
    return *this;
}

std::optional<TcpListener> TcpListener::listenOn(uint32_t address, uint16_t port, std::string& error) {
    TcpListener listener;
    listener.m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (listener.m_fd < 0) {
        error = errorText("socket", errno);
        return std::nullopt;
    }
    int reuse = 1;
    setsockopt(listener.m_fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in local = socketAddress(address, port);
    if (::bind(listener.m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error = errorText("bind", errno);
        return std::nullopt;
    }
    if (::listen(listener.m_fd, 8) != 0) {
        error = errorText("listen", errno);
        return std::nullopt;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(listener.m_fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = errorText("getsockname", errno);
        return std::nullopt;
    }
    listener.m_port = ntohs(bound.sin_port);
    return listener;
}

std::optional<TcpListener> TcpListener::listenLoopback(uint16_t port, std::string& error) {
    return listenOn(kLoopbackAddress, port, error);
}

std::optional<TcpSocket> TcpListener::accept(int timeoutMs, int wakeFd) const {
    pollfd watched[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(watched, wakeFd >= 0 ? 2 : 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || watched[0].revents == 0) {
        return std::nullopt;
    }
    int fd = -1;
    do {
        fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::nullopt;
    }
    return TcpSocket(fd);
}

void TcpListener::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void raiseOpenFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace velk
