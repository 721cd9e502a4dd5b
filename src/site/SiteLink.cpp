#include "site/SiteLink.h"

#include <sys/socket.h>

#include <cerrno>

namespace velk {

SiteLink::SiteLink(Received received, PanelLink::SendTap tap)
    : m_received(std::move(received)), m_tap(std::move(tap)) {}

bool SiteLink::startConnect(uint32_t address, uint16_t port, std::string& error) {
    bool inProgress = false;
    auto socket = TcpSocket::startConnect(address, port, inProgress, error);
    if (!socket) {
        return false;
    }
    m_socket = std::move(*socket);
    m_connecting = inProgress;
    m_lost = false;
    return true;
}

bool SiteLink::finishConnect(std::string& error) {
    m_connecting = false;
    if (!m_socket.finishConnect(error)) {
        m_socket.close();
        return false;
    }
    return true;
}

SendResult SiteLink::send(std::string_view command) {
    if (command.empty() || command.size() > kMaxCommandLength) {
        return SendResult::Sent;  // nothing the panel could take, as PanelLink does
    }
    m_command = command;
    m_sentBytes = 0;
    m_sendStartUs = monotonicUs();
    return sendRest();
}

SendResult SiteLink::continueSend() {
    return sendRest();
}

SendResult SiteLink::sendRest() {
    if (m_lost || !m_socket.valid() || m_connecting) {
        return SendResult::Lost;
    }
    while (m_sentBytes < m_command.size()) {
        const ssize_t n = ::send(m_socket.fd(), m_command.data() + m_sentBytes,
                                 m_command.size() - m_sentBytes, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            m_sentBytes += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return SendResult::Pending;  // the panel is not reading
        }
        m_lost = true;
        return SendResult::Lost;
    }
    if (m_tap) {
        m_tap(m_command, m_sendStartUs, monotonicUs());
    }
    return SendResult::Sent;
}

void SiteLink::receive() {
    if (m_lost || !m_socket.valid() || m_connecting) {
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

bool SiteLink::alive() const {
    return !m_lost && m_socket.valid() && !m_connecting;
}

}  // namespace velk
