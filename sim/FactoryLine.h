#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/PanelSimulator.h"
#include "sim/SimulatorArgs.h"

// Panels straight from the box, plugged in one after another: each answers at the factory address
// with the factory settings and a MAC of its own; once given new network settings it restarts
// (which takes a moment) and listens at its new address, keeping what it holds, and the next box
// appears at the factory address.
namespace velk::sim {

class FactoryLine {
public:
    // events gets every box's event lines, each led by the box ("box 2 recv ..."); it is called from
    // the boxes' server threads and the restart thread.
    FactoryLine(SimulatorCommandLine line, std::function<void(const std::string&)> events);
    ~FactoryLine();
    FactoryLine(const FactoryLine&) = delete;
    FactoryLine& operator=(const FactoryLine&) = delete;

    // Binds the factory address and starts the first box; the port, or nothing with the reason.
    std::optional<uint16_t> start(std::string& error);
    void stop();

    size_t size() const { return m_boxes.size(); }
    PanelSimulator& box(size_t index) { return *m_boxes[index]; }
    // Waits until count boxes have left the factory address and listen at their new one.
    bool waitMoved(size_t count, std::chrono::milliseconds timeout) const;
    // Waits until boxes have restarted count times in all (wherever they listen now).
    bool waitRestarts(size_t count, std::chrono::milliseconds timeout) const;

    // The MAC of box index (from 0): its own, and the same in every run.
    static std::array<uint8_t, 6> boxMac(size_t index);

private:
    struct Restart {
        size_t box = 0;
        PanelNetwork network;
    };

    bool startBox(size_t index, std::string& error);
    void restarts();
    void restart(const Restart& request);
    void event(size_t box, const std::string& line) const;

    SimulatorCommandLine m_line;
    std::function<void(const std::string&)> m_events;
    std::vector<std::unique_ptr<PanelSimulator>> m_boxes;
    uint16_t m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<Restart> m_requests;
    bool m_stopping = false;
    size_t m_started = 0;  // boxes that have appeared at the factory address (restart thread)
    size_t m_moved = 0;
    size_t m_restarts = 0;
    std::vector<bool> m_atFactory;  // restart thread only, once started
    std::thread m_thread;
};

}  // namespace velk::sim
