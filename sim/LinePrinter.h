#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace velk::sim {

// Prints the lines of many panels' server threads through one thread of its own. A thousand
// panels print hundreds of thousands of lines a second; had each thread written and flushed its
// line itself, they would queue on the stream's lock, and a panel waiting there answers nothing.
// Here a line is only appended under a short lock; the printer writes what has gathered at once.
class LinePrinter {
public:
    explicit LinePrinter(std::FILE* out);
    // Writes every line printed so far, then ends.
    ~LinePrinter();
    LinePrinter(const LinePrinter&) = delete;
    LinePrinter& operator=(const LinePrinter&) = delete;

    // Any thread: the line, whole, after every line printed before it. Waits only while more than
    // kMaxPending bytes are not yet written (a reader that stopped reading holds the panels, as
    // the stream itself would).
    void print(const std::string& line);

    static constexpr size_t kMaxPending = 4 << 20;
    // Lines are written at the latest this long after they were printed, or once this many bytes
    // have gathered.
    static constexpr std::chrono::milliseconds kGatherTime{10};
    static constexpr size_t kBatch = 64 << 10;

private:
    void run();

    std::FILE* m_out;
    std::mutex m_mutex;
    std::condition_variable m_gathered;  // lines wait, or the printer is to end
    std::condition_variable m_written;   // the printer took what was pending
    std::string m_pending;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace velk::sim
