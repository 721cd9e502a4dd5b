#include "site/PanelScan.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <nlohmann/json.hpp>

#include "device/Commands.h"
#include "device/ReplyFramer.h"

namespace velk {

namespace {

using Clock = std::chrono::steady_clock;

// A peer that sends this much without a network block is no panel.
constexpr size_t kMaxReceived = 64 * 1024;
// How long the loop waits at most before looking at the stop flag again.
constexpr int kStopPollMs = 50;

// One address being asked.
struct Probe {
    int fd = -1;
    uint32_t address = 0;
    bool connected = false;
    Clock::time_point deadline;
    std::string received;
};

class Scanner {
public:
    Scanner(const std::vector<uint32_t>& addresses, const ScanOptions& options, const std::atomic<bool>& stop,
            const ScanObserver& observer)
        : m_addresses(addresses), m_options(options), m_stop(stop), m_observer(observer) {
        m_progress.total = addresses.size();
    }

    ~Scanner() {
        for (Probe& probe : m_probes) {
            ::close(probe.fd);
        }
    }

    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    ScanResult run() {
        while ((m_next < m_addresses.size() || !m_probes.empty()) && !m_stop.load()) {
            startProbes();
            waitAndServe();
        }
        m_result.stopped = m_next < m_addresses.size() || !m_probes.empty();
        std::sort(m_result.panels.begin(), m_result.panels.end(),
                  [](const FoundPanel& a, const FoundPanel& b) { return a.address < b.address; });
        return std::move(m_result);
    }

private:
    void startProbes() {
        const size_t jobs = static_cast<size_t>(std::max(1, m_options.jobs));
        while (m_probes.size() < jobs && m_next < m_addresses.size()) {
            Probe probe;
            probe.address = m_addresses[m_next];
            probe.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
            if (probe.fd < 0) {
                // Out of descriptors: ask this address once others have finished; with none in
                // flight nothing would free one, so it counts as not answered.
                if ((errno == EMFILE || errno == ENFILE) && !m_probes.empty()) {
                    return;
                }
                ++m_next;
                finished(probe);
                continue;
            }
            ++m_next;
            probe.deadline = Clock::now() + std::chrono::milliseconds(m_options.timeoutMs);
            sockaddr_in target{};
            target.sin_family = AF_INET;
            target.sin_port = htons(m_options.port);
            target.sin_addr.s_addr = htonl(probe.address);
            if (::connect(probe.fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
                if (!ask(probe)) {
                    finished(probe);
                    continue;
                }
            } else if (errno != EINPROGRESS) {
                finished(probe);
                continue;
            }
            m_probes.push_back(std::move(probe));
        }
    }

    // The connection stands: send the question. False when it cannot be sent.
    static bool ask(Probe& probe) {
        probe.connected = true;
        const std::string question = MakeGetLan();
        return ::send(probe.fd, question.data(), question.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(question.size());
    }

    void waitAndServe() {
        if (m_probes.empty()) {
            return;
        }
        const Clock::time_point now = Clock::now();
        Clock::time_point earliest = m_probes.front().deadline;
        std::vector<pollfd> polled;
        polled.reserve(m_probes.size());
        for (const Probe& probe : m_probes) {
            earliest = std::min(earliest, probe.deadline);
            polled.push_back({probe.fd, static_cast<short>(probe.connected ? POLLIN : POLLOUT), 0});
        }
        const auto untilEarliest = std::chrono::ceil<std::chrono::milliseconds>(earliest - now).count();
        const int waitMs = static_cast<int>(std::clamp<long long>(untilEarliest, 0, kStopPollMs));
        if (::poll(polled.data(), polled.size(), waitMs) < 0 && errno != EINTR) {
            return;
        }
        const Clock::time_point after = Clock::now();
        std::vector<Probe> still;
        still.reserve(m_probes.size());
        for (size_t i = 0; i < m_probes.size(); ++i) {
            Probe& probe = m_probes[i];
            bool done = false;
            if (polled[i].revents != 0) {
                done = probe.connected ? receive(probe) : connectEnded(probe);
            }
            if (!done && after >= probe.deadline) {
                done = true;
            }
            if (done) {
                finished(probe);
            } else {
                still.push_back(std::move(probe));
            }
        }
        m_probes = std::move(still);
    }

    // The connect has an outcome; true when the address is done with.
    static bool connectEnded(Probe& probe) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(probe.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return true;
        }
        return !ask(probe);
    }

    // Reads what arrived; true when the address is done with (a block whole, a close, too much).
    bool receive(Probe& probe) {
        char buffer[4096];
        bool closed = false;
        for (;;) {
            const ssize_t count = ::recv(probe.fd, buffer, sizeof buffer, 0);
            if (count > 0) {
                probe.received.append(buffer, static_cast<size_t>(count));
                if (probe.received.size() > kMaxReceived) {
                    return true;
                }
                continue;
            }
            if (count < 0 && errno == EINTR) {
                continue;
            }
            closed = count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        if (std::optional<PanelNetworkReply> block = wholeNetworkBlock(probe.received, closed)) {
            FoundPanel panel{probe.address, m_options.port, *block};
            m_result.panels.push_back(panel);
            ++m_progress.found;
            if (m_observer.found) {
                m_observer.found(panel);
            }
            return true;
        }
        return closed;
    }

    void finished(Probe& probe) {
        if (probe.fd >= 0) {
            ::close(probe.fd);
            probe.fd = -1;
        }
        ++m_progress.asked;
        if (m_observer.progress) {
            m_observer.progress(m_progress);
        }
    }

    const std::vector<uint32_t>& m_addresses;
    const ScanOptions& m_options;
    const std::atomic<bool>& m_stop;
    const ScanObserver& m_observer;
    std::vector<Probe> m_probes;
    size_t m_next = 0;
    ScanProgress m_progress;
    ScanResult m_result;
};

}  // namespace

ScanResult scanPanels(const std::vector<uint32_t>& addresses, const ScanOptions& options,
                      const std::atomic<bool>& stop, const ScanObserver& observer) {
    Scanner scanner(addresses, options, stop, observer);
    return scanner.run();
}

std::optional<PanelNetworkReply> wholeNetworkBlock(std::string_view received, bool closed) {
    // The framer decides where the block ends, as it does for the panel network dialog.
    ReplyFramer framer;
    std::vector<FramedReply> replies = framer.feed(received);
    if (closed) {
        std::vector<FramedReply> last = framer.flush();
        replies.insert(replies.end(), last.begin(), last.end());
    }
    for (const FramedReply& framed : replies) {
        if (const auto* block = std::get_if<PanelNetworkReply>(&framed.reply);
            block != nullptr && !framed.dropped()) {
            return *block;
        }
    }
    return std::nullopt;
}

std::string foundPanelLine(const FoundPanel& panel) {
    return dottedAddress(panel.address) + "\t" + std::to_string(panel.port) + "\t" +
           dottedAddress(panel.network.ip) + "\t" + dottedAddress(panel.network.mask) + "\t" +
           dottedAddress(panel.network.gateway) + "\t" + macText(panel.network.mac);
}

std::string foundPanelsJson(const std::vector<FoundPanel>& panels) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const FoundPanel& panel : panels) {
        list.push_back({{"address", dottedAddress(panel.address)},
                        {"port", panel.port},
                        {"ip", dottedAddress(panel.network.ip)},
                        {"mask", dottedAddress(panel.network.mask)},
                        {"gateway", dottedAddress(panel.network.gateway)},
                        {"mac", macText(panel.network.mac)}});
    }
    return list.dump(2) + "\n";
}

}  // namespace velk
