#include "site/SiteLink.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace velk {
namespace {

// How often a send that waits for room looks at the stop flag.
constexpr int kStopSliceMs = 50;

}  // namespace

SiteLink::SiteLink(const std::atomic<bool>& stop, Received received, PanelLink::SendTap tap)
    : m_stop(stop), m_received(std::move(received)), m_tap(std::move(tap)) {}

bool SiteLink::connect(uint32_t address, uint16_t port, int timeoutMs, std::string& error) {
    auto socket = TcpSocket::connectTo(address, port, timeoutMs, error, [this] { return m_stop.load(); });
    if (!socket) {
        return false;
    }
    m_socket = std::move(*socket);
    m_lost = false;
    return true;
}

SendResult SiteLink::send(const std::string& command, int timeoutMs) {
    if (command.empty() || command.size() > kMaxCommandLength) {
        return SendResult::Sent;  // nothing the panel could take, as PanelLink does
    }
    if (m_lost || !m_socket.valid()) {
        return SendResult::Lost;
    }
    const int64_t startUs = monotonicUs();
    const int64_t deadlineUs = startUs + int64_t{timeoutMs} * 1000;
    size_t sent = 0;
    while (sent < command.size()) {
        const ssize_t n =
            ::send(m_socket.fd(), command.data() + sent, command.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_lost = true;
            return SendResult::Lost;
        }
        // The panel is not reading: wait for room in short slices, so a stop is seen at once.
        for (;;) {
            if (m_stop.load()) {
                return SendResult::Lost;
            }
            const int64_t leftUs = deadlineUs - monotonicUs();
            if (leftUs <= 0) {
                return SendResult::Stuck;
            }
            pollfd watched{m_socket.fd(), POLLOUT, 0};
            const int slice = static_cast<int>(std::min<int64_t>(kStopSliceMs, (leftUs + 999) / 1000));
            if (::poll(&watched, 1, slice) > 0) {
                break;
            }
        }
    }
    if (m_tap) {
        m_tap(command, startUs, monotonicUs());
    }
    return SendResult::Sent;
}

void SiteLink::receive() {
    if (m_lost || !m_socket.valid()) {
        return;
    }
    if (!m_buffer) {
        m_buffer = std::make_unique_for_overwrite<char[]>(kReceiveSize);
    }
    for (;;) {
        const ssize_t n = ::recv(m_socket.fd(), m_buffer.get(), kReceiveSize, MSG_DONTWAIT);
        if (n > 0) {
            m_received(std::string_view(m_buffer.get(), static_cast<size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            m_lost = true;  // closed by the panel, or reset
        }
        return;
    }
}

bool SiteLink::alive() {
    receive();
    return !m_lost && m_socket.valid();
}

}  // namespace velk
