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
    {
        std::unique_lock lock(m_mutex);
        m_written.wait(lock, [this] { return m_pending.size() <= kMaxPending || m_stopping; });
        m_pending += line;
        m_pending += '\n';
    }
    m_gathered.notify_one();
}

void LinePrinter::run() {
    std::string writing;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_gathered.wait(lock, [this] { return !m_pending.empty() || m_stopping; });
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
