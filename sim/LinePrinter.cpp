#include "sim/LinePrinter.h"

namespace velk::sim {

LinePrinter::LinePrinter(std::FILE* out) : m_out(out), m_thread([this] { run(); }) {}

LinePrinter::~LinePrinter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_gathered.notify_one();
    m_thread.join();
}

void LinePrinter::print(const std::string& line) {
    bool wake = false;
    {
        std::unique_lock lock(m_mutex);
        m_written.wait(lock, [this] { return m_pending.size() <= kMaxPending || m_stopping; });
        // The printer waits only for a first line or for a full batch: other lines wake nobody.
        wake =
            m_pending.empty() || (m_pending.size() < kBatch && m_pending.size() + line.size() + 1 >= kBatch);
        m_pending += line;
        m_pending += '\n';
    }
    if (wake) {
        m_gathered.notify_one();
    }
}

void LinePrinter::run() {
    std::string writing;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_gathered.wait(lock, [this] { return !m_pending.empty() || m_stopping; });
        // Busy panels print a line or more per command: gathering them for a moment makes one write
        // of many, instead of a wake of this thread for each.
        m_gathered.wait_for(lock, kGatherTime, [this] { return m_pending.size() >= kBatch || m_stopping; });
        if (m_pending.empty()) {
            return;  // stopping, and everything is written
        }
        writing.clear();
        writing.swap(m_pending);
        lock.unlock();
        m_written.notify_all();
        std::fwrite(writing.data(), 1, writing.size(), m_out);
        std::fflush(m_out);
        lock.lock();
    }
}

}  // namespace velk::sim
