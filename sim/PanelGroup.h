#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/PanelLoop.h"
#include "sim/PanelSimulator.h"
#include "sim/SimulatorArgs.h"

// Several simulated panels side by side on neighbouring ports (or neighbouring addresses with one
// port), each with its own state, log and faults, for trying a whole site at once.
namespace velk::sim {

class PanelGroup {
public:
    // events gets every panel's event lines, each led by the panel's port ("4805 recv ...", or
    // "127.0.0.3:4800 recv ..." with the address step); it is called from the thread that serves
    // the panels.
    PanelGroup(SimulatorCommandLine line, std::function<void(const std::string&)> events);
    ~PanelGroup();
    PanelGroup(const PanelGroup&) = delete;
    PanelGroup& operator=(const PanelGroup&) = delete;

    // Binds every port (a free run of them when the base port is 0), then starts the panels. The
    // first port, or nothing with the reason in error.
    std::optional<uint16_t> start(std::string& error);
    void stop();

    size_t size() const { return m_panels.size(); }
    PanelSimulator& panel(size_t index) { return *m_panels[index]; }
    uint16_t basePort() const { return m_basePort; }

    // How often a free run of ports is looked for before giving up.
    static constexpr int kPortSearchAttempts = 64;

private:
    std::optional<std::vector<TcpListener>> bindPorts(uint16_t base, std::string& error) const;

    SimulatorCommandLine m_line;
    std::function<void(const std::string&)> m_events;
    std::vector<std::unique_ptr<PanelSimulator>> m_panels;
    std::unique_ptr<PanelLoop> m_loop;
    uint16_t m_basePort = 0;
};

}  // namespace velk::sim
