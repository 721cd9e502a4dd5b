#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "device/TcpSocket.h"

// A test client of the simulator on 127.0.0.1 (or another loopback address).
namespace velk::sim::test {

class SimClient {
public:
    explicit SimClient(uint16_t port) : SimClient(kLoopbackAddress, port) {}
    SimClient(uint32_t address, uint16_t port);

    bool connected() const { return m_socket.valid(); }
    bool send(std::string_view bytes) const { return m_socket.sendAll(bytes); }
    // Reads until count bytes arrived (more may come in the same receive); what arrived, shorter
    // when the connection closed or the guard time passed first.
    std::string read(size_t count, std::chrono::milliseconds guard = std::chrono::seconds(5));
    // Reads until what arrived ends with suffix.
    std::string readUntil(std::string_view suffix, std::chrono::milliseconds guard = std::chrono::seconds(5));
    // True once the simulator has closed the connection (bytes still arriving are collected).
    bool waitClosed(std::chrono::milliseconds guard = std::chrono::seconds(5));
    const std::string& extra() const { return m_extra; }
    void close() { m_socket.close(); }

private:
    long receiveSome(std::chrono::steady_clock::time_point deadline);

    TcpSocket m_socket;
    std::string m_extra;  // bytes received after what a read asked for
};

}  // namespace velk::sim::test
