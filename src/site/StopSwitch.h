#pragma once

#include <atomic>
#include <mutex>
#include <set>

namespace velk {

class PanelLink;

// Ends every run of a site at once (Ctrl+C): sets the flag the write sequences look at on every
// step and poll, and interrupts every watched link so a connect in progress or a send the panel
// does not take returns at once too.
class StopSwitch {
public:
    // Any thread; safe to call more than once.
    void stop();
    bool stopped() const { return m_stopped.load(); }
    const std::atomic<bool>& flag() const { return m_stopped; }

    // Watches a link while it lives: a stop interrupts it, and one that came before interrupts it
    // at once.
    class Watch {
    public:
        Watch(StopSwitch& stopSwitch, PanelLink& link);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        StopSwitch& m_switch;
        PanelLink& m_link;
    };

private:
    std::atomic<bool> m_stopped{false};
    std::mutex m_mutex;  // guards m_links; stop() sets the flag under it so no new link is missed
    std::set<PanelLink*> m_links;
};

}  // namespace velk
