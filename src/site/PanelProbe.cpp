#include "site/PanelProbe.h"

#include <chrono>

#include "device/Commands.h"
#include "device/ReplyFramer.h"
#include "model/StrPrintf.h"
#include "site/PanelWrite.h"

namespace velk {

std::optional<PanelNetworkReply> networkBlockOf(std::string_view received) {
    // The block's end is not marked: the framer takes it once it is whole by its own format, and
    // never a block cut short.
    ReplyFramer framer;
    for (const FramedReply& framed : framer.feed(received)) {
        if (const auto* network = std::get_if<PanelNetworkReply>(&framed.reply);
            network && !framed.dropped()) {
            return *network;
        }
    }
    return std::nullopt;
}

std::variant<ProbeAnswer, std::string> probePanel(const PanelAddress& panel, int timeoutMs,
                                                  const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string error;
    std::optional<TcpSocket> connection =
        TcpSocket::connectTo(panel.ip, panel.port, timeoutMs, error, [&] { return stop.load(); });
    if (!connection) {
        return connectFailureReason(error);
    }
    if (!connection->sendAll(MakeGetLan())) {
        return std::string("connection dropped by the panel");
    }
    std::string received;
    char buffer[4096];
    while (!stop.load()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        // In short slices, so a stop is seen at once.
        if (!connection->waitReadable(static_cast<int>(std::min<long long>(left, 100)))) {
            continue;
        }
        const long count = connection->receive(buffer, sizeof buffer);
        if (count <= 0) {
            return std::string("connection dropped by the panel");
        }
        received.append(buffer, static_cast<size_t>(count));
        if (std::optional<PanelNetworkReply> network = networkBlockOf(received)) {
            return ProbeAnswer{std::move(*connection), *network};
        }
    }
    if (stop.load()) {
        return std::string("interrupted");
    }
    return strprintf("no network block within %.1f s", timeoutMs / 1000.0);
}

bool sendCommands(const TcpSocket& connection, const std::vector<std::string>& commands) {
    for (const std::string& command : commands) {
        if (!connection.sendAll(command)) {
            return false;
        }
    }
    return true;
}

}  // namespace velk
