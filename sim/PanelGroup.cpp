#include "sim/PanelGroup.h"

#include "device/PanelAddress.h"
#include "model/StrPrintf.h"
#include "sim/Folders.h"

namespace velk::sim {

PanelGroup::PanelGroup(SimulatorCommandLine line, std::function<void(const std::string&)> events)
    : m_line(std::move(line)), m_events(std::move(events)) {}

PanelGroup::~PanelGroup() {
    stop();
}

std::optional<std::vector<TcpListener>> PanelGroup::bindPorts(uint16_t base, std::string& error) const {
    std::vector<TcpListener> listeners;
    if (m_line.addressStep) {
        for (int i = 0; i < m_line.panels; ++i) {
            const uint32_t address = m_line.options.address + static_cast<uint32_t>(i);
            std::optional<TcpListener> listener = TcpListener::listenOn(address, base, error);
            if (!listener) {
                error = strprintf("%s: %s", panelAddressText({address, base}).c_str(), error.c_str());
                return std::nullopt;
            }
            listeners.push_back(std::move(*listener));
        }
        return listeners;
    }
    for (int i = 0; i < m_line.panels; ++i) {
        const int port = base + i;
        if (port > 65535) {
            error = strprintf("the ports from %d run past 65535", base);
            return std::nullopt;
        }
        std::optional<TcpListener> listener =
            TcpListener::listenOn(m_line.options.address, static_cast<uint16_t>(port), error);
        if (!listener) {
            error = strprintf("port %d: %s", port, error.c_str());
            return std::nullopt;
        }
        listeners.push_back(std::move(*listener));
    }
    return listeners;
}

std::optional<uint16_t> PanelGroup::start(std::string& error) {
    if (!m_panels.empty()) {
        error = "the simulator is already started";
        return std::nullopt;
    }
    const std::string& logFolder = m_line.options.logPath;
    if (!logFolder.empty() && !makeFolder(logFolder, "log", error)) {
        return std::nullopt;
    }
    std::optional<std::vector<TcpListener>> listeners;
    if (m_line.options.port != 0) {
        listeners = bindPorts(m_line.options.port, error);
    } else {
        // The kernel names one free port; the run after it is usually free too, else try again.
        for (int attempt = 0; attempt < kPortSearchAttempts && !listeners; ++attempt) {
            std::optional<TcpListener> probe = TcpListener::listenOn(m_line.options.address, 0, error);
            if (!probe) {
                return std::nullopt;
            }
            const uint16_t base = probe->port();
            probe.reset();
            listeners = bindPorts(base, error);
        }
        if (!listeners) {
            error =
                m_line.addressStep
                    ? strprintf("found no port free on all %d addresses: %s", m_line.panels, error.c_str())
                    : strprintf("found no %d free ports in a row: %s", m_line.panels, error.c_str());
        }
    }
    if (!listeners) {
        return std::nullopt;
    }
    m_basePort = (*listeners)[0].port();
    // One thread serves them all, unless replies go out a byte at a time: those sleep between
    // their bytes, and would hold up every other panel meanwhile.
    const bool shared = !m_line.options.replyFaults.bytewise;
    for (int i = 0; i < m_line.panels; ++i) {
        SimulatorOptions options = panelOptions(m_line, m_basePort, i);
        options.announceListening = false;
        if (m_events) {
            // Each line names its panel: the port, or the address and port when they share the port.
            std::string name = m_line.addressStep ? panelAddressText({options.address, options.port})
                                                  : std::to_string(options.port);
            options.onEvent = [events = m_events, name = std::move(name)](const std::string& line) {
                events(name + " " + line);
            };
        }
        auto panel = std::make_unique<PanelSimulator>(std::move(options));
        TcpListener& listener = (*listeners)[static_cast<size_t>(i)];
        if (!(shared ? panel->attach(std::move(listener), error)
                     : panel->start(std::move(listener), error))) {
            stop();
            m_panels.clear();
            return std::nullopt;
        }
        m_panels.push_back(std::move(panel));
    }
    if (shared) {
        std::vector<PanelSimulator*> panels;
        for (auto& panel : m_panels) {
            panels.push_back(panel.get());
        }
        m_loop = std::make_unique<PanelLoop>(std::move(panels));
        if (!m_loop->start(error)) {
            stop();
            m_panels.clear();
            return std::nullopt;
        }
    }
    return m_basePort;
}

void PanelGroup::stop() {
    // The loop ends the connections first; then each panel lets go of its listener.
    if (m_loop) {
        m_loop->stop();
    }
    for (auto& panel : m_panels) {
        panel->stop();
    }
}

}  // namespace velk::sim
