#include "cli/CliRuntime.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace velk {

CliRuntime::CliRuntime() : session(observer, queue, clock) {}

CliRuntime::~CliRuntime() {
    session.shutdown();
}

bool CliRuntime::runUntil(const std::function<bool()>& done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        auto message = queue.take(static_cast<int>(left.count()));
        if (!message) {
            continue;
        }
        // Negative tokens are the session's own project gates, never one of ours.
        if (message->id == WM_DB_BARRIER && message->wParam > m_lastBarrier) {
            m_lastBarrier = message->wParam;
        }
        session.handle(*message);
    }
    return true;
}

bool CliRuntime::flushDatabase(int timeoutMs) {
    int64_t token = m_nextBarrier++;
    session.project().postBarrier(token);
    return runUntil([&] { return m_lastBarrier >= token; }, timeoutMs);
}

bool CliRuntime::openAndLoad(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "velkctl: %s: no such project file\n", path.c_str());
        return false;
    }
    if (!session.project().openProject(path)) {
        return false;
    }
    if (!flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project did not load in time\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace velk
