#include "sim/FactoryLine.h"

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"
#include "sim/Folders.h"

namespace velk::sim {

FactoryLine::FactoryLine(SimulatorCommandLine line, std::function<void(const std::string&)> events)
    : m_line(std::move(line)), m_events(std::move(events)) {}

FactoryLine::~FactoryLine() {
    stop();
}

std::array<uint8_t, 6> FactoryLine::boxMac(size_t index) {
    const size_t number = index + 1;
    return {0x00, 0x1A, 0x2B, 0x3C, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number & 0xFF)};
}

void FactoryLine::event(size_t box, const std::string& line) const {
    if (m_events) {
        m_events(strprintf("box %zu %s", box + 1, line.c_str()));
    }
}

std::optional<uint16_t> FactoryLine::start(std::string& error) {
    if (!m_boxes.empty()) {
        error = "the simulator is already started";
        return std::nullopt;
    }
    const std::string& logFolder = m_line.options.logPath;
    if (!logFolder.empty() && !makeFolder(logFolder, "log", error)) {
        return std::nullopt;
    }
    std::optional<TcpListener> listener =
        TcpListener::listenOn(m_line.options.address, m_line.options.port, error);
    if (!listener) {
        return std::nullopt;
    }
    m_port = listener->port();
    for (int i = 0; i < m_line.factory; ++i) {
        const auto index = static_cast<size_t>(i);
        SimulatorOptions options = panelOptions(m_line, m_port, i);
        options.port = m_port;
        options.network.mac = boxMac(index);
        options.announceListening = false;
        if (!logFolder.empty()) {
            options.logPath = strprintf("%s/box%d.log", logFolder.c_str(), i + 1);
        }
        options.onEvent = [this, index](const std::string& line) { event(index, line); };
        options.onRestart = [this, index](const PanelNetwork& network) {
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back({index, network});
            }
            m_changed.notify_all();
        };
        m_boxes.push_back(std::make_unique<PanelSimulator>(std::move(options)));
    }
    m_atFactory.assign(m_boxes.size(), false);
    if (!m_boxes.front()->start(std::move(*listener), error)) {
        return std::nullopt;
    }
    m_atFactory[0] = true;
    m_started = 1;
    m_thread = std::thread([this] { restarts(); });
    return m_port;
}

bool FactoryLine::startBox(size_t index, std::string& error) {
    std::optional<TcpListener> listener = TcpListener::listenOn(m_line.options.address, m_port, error);
    if (!listener || !m_boxes[index]->start(std::move(*listener), error)) {
        return false;
    }
    m_atFactory[index] = true;
    event(index, "plugged in: listening on " + panelAddressText({m_line.options.address, m_port}));
    return true;
}

void FactoryLine::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    for (auto& box : m_boxes) {
        box->stop();
    }
}

bool FactoryLine::waitRestarts(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_restarts >= count; });
}

bool FactoryLine::waitMoved(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_moved >= count; });
}

void FactoryLine::restarts() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || !m_requests.empty(); });
        if (m_stopping) {
            return;
        }
        const Restart request = m_requests.front();
        m_requests.pop_front();
        lock.unlock();
        restart(request);
        lock.lock();
    }
}

void FactoryLine::restart(const Restart& request) {
    PanelSimulator& box = *m_boxes[request.box];
    box.stop();
    const PanelAddress before = box.listening();
    // A panel listens at the address it is given; the factory one is where the simulator listens.
    const uint32_t address =
        request.network.ip == kDefaultPanelIp ? m_line.options.address : request.network.ip;
    event(request.box, strprintf("restarting, then listening on %s in %d ms",
                                 panelAddressText({address, m_port}).c_str(), m_line.restartMs));
    {
        std::unique_lock lock(m_mutex);
        if (m_changed.wait_for(lock, std::chrono::milliseconds(m_line.restartMs),
                               [&] { return m_stopping; })) {
            return;
        }
    }
    std::string error;
    std::optional<TcpListener> listener = TcpListener::listenOn(address, m_port, error);
    const bool listening = listener && box.resume(std::move(*listener), address, error);
    if (!listening) {
        // As a panel given an address it cannot be reached at: gone from the network.
        event(request.box, strprintf("cannot listen on %s: %s", panelAddressText({address, m_port}).c_str(),
                                     error.c_str()));
    }
    const bool left = m_atFactory[request.box] && address != m_line.options.address;
    m_atFactory[request.box] = listening && address == m_line.options.address;
    if (left) {
        // The next box is plugged in before anyone hears that this one has moved.
        if (m_started == m_boxes.size()) {
            event(request.box, strprintf("was the last box: nothing answers at %s any more",
                                         panelAddressText(before).c_str()));
        } else if (const size_t next = m_started++; !startBox(next, error)) {
            event(next, "cannot take the factory address: " + error);
        }
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_restarts;
        m_moved += left ? 1 : 0;
    }
    m_changed.notify_all();
}

}  // namespace velk::sim
