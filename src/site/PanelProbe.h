#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "device/PanelAddress.h"
#include "device/ReplyReader.h"
#include "device/TcpSocket.h"

// Asking one panel for its network settings on a connection of its own, outside a session: what
// commissioning a panel from the box needs before and after it is given its address.
namespace velk {

// The panel's network block, once the bytes received so far hold it whole; nothing before.
std::optional<PanelNetworkReply> networkBlockOf(std::string_view received);

struct ProbeAnswer {
    TcpSocket connection;  // still open, for the commands that follow
    PanelNetworkReply network;
};

// Connects to the panel and sends "QM-PANEL-getlan"; the open connection and the settings, or why
// there are none ("connection refused", "no network block within 2 s"). The attempt gives up at
// once when stop is set.
std::variant<ProbeAnswer, std::string> probePanel(const PanelAddress& panel, int timeoutMs,
                                                  const std::atomic<bool>& stop);

// Sends each command as its own transmission, back to back as the panel network dialog does;
// false when the connection fails first.
bool sendCommands(const TcpSocket& connection, const std::vector<std::string>& commands);

}  // namespace velk
