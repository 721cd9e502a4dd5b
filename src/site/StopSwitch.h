#pragma once

#include <atomic>

namespace velk {

// Ends every run of a site at once (Ctrl+C): sets the flag the write sequences look at on every
// step and wait, and that a connect in progress or a send the panel does not take looks at while it
// waits.
class StopSwitch {
public:
    // Any thread; safe to call more than once.
    void stop() { m_stopped.store(true); }
    bool stopped() const { return m_stopped.load(); }
    const std::atomic<bool>& flag() const { return m_stopped; }

private:
    std::atomic<bool> m_stopped{false};
};

}  // namespace velk
