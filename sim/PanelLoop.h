#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "sim/PanelSimulator.h"

// Serves many attached panels from one thread. A thousand panels on a thread each spend more on
// being woken, and on waking the tool, than on answering it: here one thread waits on every
// panel's listener and connection at once and serves whichever has something, each as its own
// thread would.
namespace velk::sim {

class PanelLoop {
public:
    explicit PanelLoop(std::vector<PanelSimulator*> panels);
    // Ends the connections and the thread.
    ~PanelLoop();
    PanelLoop(const PanelLoop&) = delete;
    PanelLoop& operator=(const PanelLoop&) = delete;

    bool start(std::string& error);
    // Ends every connection in progress ("simulator stopping") and the thread. Safe to call more
    // than once.
    void stop();

private:
    struct Due {
        int64_t atMs;
        size_t panel;
        uint64_t generation;
        bool operator>(const Due& other) const { return atMs > other.atMs; }
    };

    void run();
    void accept(size_t index);
    void readable(size_t index);
    void stepped(size_t index, bool goesOn);
    void watch(int fd, uint64_t key);
    void unwatch(int fd);
    int waitMs();

    std::vector<PanelSimulator*> m_panels;
    std::vector<uint64_t> m_generations;  // of each panel's latest entry in m_due
    std::priority_queue<Due, std::vector<Due>, std::greater<>> m_due;
    std::vector<char> m_buffer;
    int m_epoll = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::thread m_thread;
};

}  // namespace velk::sim
