#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "device/PanelLink.h"
#include "device/TcpSocket.h"

namespace velk {

// The connection of one panel in a site run. A site writes a thousand panels at once from one
// thread, so nothing here waits: a connect is started and finished later, a send hands over what
// the socket takes and keeps the rest for later, and the panel's replies are taken whenever the
// writer looks, without waiting.
class SiteLink {
public:
    // Gets the bytes the panel sent, in order, on the calling thread.
    using Received = std::function<void(std::string_view bytes)>;

    // tap, when given, sees every command once it is all with the socket, with the monotonic times
    // of the first attempt to send it and of its end, as PanelLink's does.
    explicit SiteLink(Received received, PanelLink::SendTap tap = {});

    // Starts connecting: false with the reason ("connect: ...") when it failed at once. Then
    // connecting() tells whether to wait for the socket to become writable and call finishConnect.
    bool startConnect(uint32_t address, uint16_t port, std::string& error);
    bool connecting() const { return m_connecting; }
    bool finishConnect(std::string& error);

    // Hands command to the socket: Sent, Pending when the socket took only part of it (the rest
    // goes with continueSend once the socket is writable) or Lost. A pending command's bytes must
    // stay where they are until it is sent.
    SendResult send(std::string_view command);
    SendResult continueSend();

    // Takes every byte the panel has sent so far, without waiting.
    void receive();

    // Whether the connection stood when it was last used: a send or a receive sees its end. Asking
    // costs no call to the system, as the write asks before every command.
    bool alive() const;

    // The socket, for waiting until the panel sends; -1 before a connection.
    int fd() const { return m_socket.fd(); }

    // How big a piece one receive takes; a panel's replies are far smaller.
    static constexpr size_t kReceiveSize = 16384;

private:
    SendResult sendRest();

    Received m_received;
    PanelLink::SendTap m_tap;
    TcpSocket m_socket;
    bool m_connecting = false;
    bool m_lost = false;
    std::string_view m_command;  // the command being sent
    size_t m_sentBytes = 0;
    int64_t m_sendStartUs = 0;
    std::unique_ptr<char[]> m_buffer;
};

}  // namespace velk
