#include "sim/PanelLoop.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "model/StrPrintf.h"

namespace velk::sim {
namespace {

// What an event's key names: a panel's listener or its connection, or the wake pipe.
constexpr uint64_t kWakeKey = ~uint64_t{0};
uint64_t listenerKey(size_t index) {
    return uint64_t{index} << 1;
}
uint64_t clientKey(size_t index) {
    return (uint64_t{index} << 1) | 1;
}

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PanelLoop::PanelLoop(std::vector<PanelSimulator*> panels)
    : m_panels(std::move(panels)),
      m_generations(m_panels.size(), 0),
      m_buffer(PanelSimulator::kReceiveSize) {}

PanelLoop::~PanelLoop() {
    stop();
    for (int fd : {m_epoll, m_wakeRead, m_wakeWrite}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool PanelLoop::start(std::string& error) {
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    int ends[2];
    if (m_epoll < 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = strprintf("cannot wait for many panels: %s", std::strerror(errno));
        return false;
    }
    m_wakeRead = ends[0];
    m_wakeWrite = ends[1];
    watch(m_wakeRead, kWakeKey);
    for (size_t i = 0; i < m_panels.size(); ++i) {
        // Taken only when epoll says a client waits; non-blocking in case it gave up meanwhile.
        const int listener = m_panels[i]->m_listener->fd();
        ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL, 0) | O_NONBLOCK);
        watch(listener, listenerKey(i));
    }
    m_thread = std::thread([this] { run(); });
    return true;
}

void PanelLoop::stop() {
    if (!m_thread.joinable()) {
        return;
    }
    char wake = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakeWrite, &wake, 1);
    m_thread.join();
}

void PanelLoop::run() {
    std::vector<epoll_event> events(256);
    for (;;) {
        const int ready = epoll_wait(m_epoll, events.data(), static_cast<int>(events.size()), waitMs());
        if (ready < 0 && errno != EINTR) {
            break;
        }
        bool stopping = false;
        for (int i = 0; i < ready; ++i) {
            const uint64_t key = events[static_cast<size_t>(i)].data.u64;
            if (key == kWakeKey) {
                stopping = true;
                break;
            }
            const size_t index = static_cast<size_t>(key >> 1);
            if ((key & 1) == 0) {
                accept(index);
            } else if (m_panels[index]->m_served) {
                readable(index);
            }
        }
        if (stopping) {
            break;
        }
        const int64_t now = nowMs();
        while (!m_due.empty() && m_due.top().atMs <= now) {
            const Due due = m_due.top();
            m_due.pop();
            if (due.generation == m_generations[due.panel] && m_panels[due.panel]->m_served) {
                stepped(due.panel, m_panels[due.panel]->servedStep());
            }
        }
    }
    for (PanelSimulator* panel : m_panels) {
        panel->m_stopping = true;
        if (panel->m_served) {
            unwatch(panel->m_served->client.fd());
            panel->m_served->endReason = "simulator stopping";
            panel->endServing();
        }
    }
}

void PanelLoop::accept(size_t index) {
    PanelSimulator& panel = *m_panels[index];
    if (panel.m_served || panel.m_restarting) {
        return;
    }
    std::optional<TcpSocket> client = panel.m_listener->accept(0);
    if (!client) {
        return;
    }
    // One client at a time, as a panel serves: the next waits in the listener's queue.
    unwatch(panel.m_listener->fd());
    panel.beginServing(std::move(*client));
    watch(panel.m_served->client.fd(), clientKey(index));
    stepped(index, true);
}

void PanelLoop::readable(size_t index) {
    PanelSimulator& panel = *m_panels[index];
    panel.servedReadable(m_buffer.data(), m_buffer.size());
    stepped(index, panel.servedStep());
}

void PanelLoop::stepped(size_t index, bool goesOn) {
    PanelSimulator& panel = *m_panels[index];
    ++m_generations[index];
    if (goesOn) {
        const int timeoutMs = panel.servedTimeoutMs();
        if (timeoutMs >= 0) {
            m_due.push({nowMs() + timeoutMs, index, m_generations[index]});
        }
        return;
    }
    unwatch(panel.m_served->client.fd());
    panel.endServing();
    if (!panel.m_restarting) {
        watch(panel.m_listener->fd(), listenerKey(index));
    }
}

void PanelLoop::watch(int fd, uint64_t key) {
    epoll_event entry{};
    entry.events = EPOLLIN;
    entry.data.u64 = key;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &entry);
}

void PanelLoop::unwatch(int fd) {
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

int PanelLoop::waitMs() {
    while (!m_due.empty() && (m_due.top().generation != m_generations[m_due.top().panel])) {
        m_due.pop();
    }
    if (m_due.empty()) {
        return -1;
    }
    const int64_t left = m_due.top().atMs - nowMs();
    return left <= 0 ? 0 : static_cast<int>(left);
}

}  // namespace velk::sim
