#include "SimClient.h"

#include <algorithm>

namespace velk::sim::test {

SimClient::SimClient(uint32_t address, uint16_t port) {
    std::string error;
    auto socket = TcpSocket::connectTo(address, port, 5000, error);
    if (socket) {
        m_socket = std::move(*socket);
    }
}

long SimClient::receiveSome(std::chrono::steady_clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !m_socket.waitReadable(static_cast<int>(left.count()))) {
        return -2;
    }
    char buffer[65536];
    long n = m_socket.receive(buffer, sizeof buffer);
    if (n > 0) {
        m_extra.append(buffer, static_cast<size_t>(n));
    }
    return n;
}

std::string SimClient::read(size_t count, std::chrono::milliseconds guard) {
    auto deadline = std::chrono::steady_clock::now() + guard;
    while (m_extra.size() < count && receiveSome(deadline) > 0) {
    }
    size_t taken = std::min(count, m_extra.size());
    std::string result = m_extra.substr(0, taken);
    m_extra.erase(0, taken);
    return result;
}

std::string SimClient::readUntil(std::string_view suffix, std::chrono::milliseconds guard) {
    auto deadline = std::chrono::steady_clock::now() + guard;
    for (;;) {
        size_t at = m_extra.find(suffix);
        if (at != std::string::npos) {
            std::string result = m_extra.substr(0, at + suffix.size());
            m_extra.erase(0, at + suffix.size());
            return result;
        }
        if (receiveSome(deadline) <= 0) {
            std::string result;
            result.swap(m_extra);
            return result;
        }
    }
}

bool SimClient::waitClosed(std::chrono::milliseconds guard) {
    auto deadline = std::chrono::steady_clock::now() + guard;
    for (;;) {
        long n = receiveSome(deadline);
        if (n == 0 || n == -1) {
            return true;
        }
        if (n == -2) {
            return false;
        }
    }
}

}  // namespace velk::sim::test
