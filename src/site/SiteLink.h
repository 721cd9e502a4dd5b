#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "device/PanelLink.h"
#include "device/TcpSocket.h"

namespace velk {

// The connection of one panel in a site run, worked from its run's thread alone. A site writes a
// thousand panels at once, and a thread to send and another to receive for each of them cost more
// in switches between threads than the writes themselves: here the writer sends, and takes the
// panel's replies whenever it looks at the connection, without waiting.
class SiteLink {
public:
    // Gets the bytes the panel sent, in order, on the calling thread.
    using Received = std::function<void(std::string_view bytes)>;

    // stop is looked at while connecting and while a send waits for room; tap, when given, sees
    // every send with the monotonic times just before and after it, as PanelLink's does.
    SiteLink(const std::atomic<bool>& stop, Received received, PanelLink::SendTap tap = {});

    // Connects within timeoutMs; false with the reason ("connect: ...") in error.
    bool connect(uint32_t address, uint16_t port, int timeoutMs, std::string& error);

    // Hands command to the socket, waiting at most timeoutMs for room: Lost when the connection
    // failed or the run was stopped, Stuck when the panel took nothing for that long.
    SendResult send(const std::string& command, int timeoutMs);

    // Takes every byte the panel has sent so far, without waiting.
    void receive();

    // Takes what the panel sent, then whether the connection still stands.
    bool alive();

    // The socket, for waiting until the panel sends; -1 before a connection.
    int fd() const { return m_socket.fd(); }

    // How big a piece one receive takes; a panel's replies are far smaller.
    static constexpr size_t kReceiveSize = 16384;

private:
    const std::atomic<bool>& m_stop;
    Received m_received;
    PanelLink::SendTap m_tap;
    TcpSocket m_socket;
    bool m_lost = false;
    std::unique_ptr<char[]> m_buffer;
};

}  // namespace velk
