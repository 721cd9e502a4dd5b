#include "site/SiteRun.h"

#include <algorithm>
#include <chrono>

#include "model/StrPrintf.h"

namespace velk {

SiteRun::SiteRun(size_t panels, int jobs, PanelJob job) : m_job(std::move(job)), m_results(panels) {
    const size_t threads = std::min(panels, static_cast<size_t>(std::max(jobs, 1)));
    m_threads.reserve(threads);
    for (size_t i = 0; i < threads; ++i) {
        m_threads.emplace_back([this] { work(); });
    }
}

SiteRun::SiteRun(size_t panels, WholeRun run) : m_results(panels) {
    m_threads.emplace_back([this, run = std::move(run)] { run(m_results, m_done); });
}

SiteRun::~SiteRun() {
    join();
}

void SiteRun::work() {
    for (size_t panel = m_next++; panel < m_results.size(); panel = m_next++) {
        m_results[panel] = m_job(panel);
        ++m_done;
    }
}

std::vector<PanelResult> SiteRun::join() {
    for (std::thread& thread : m_threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    return m_results;
}

int attemptsAllowed(const SiteRunOptions& options) {
    return 1 + std::max(options.retries, 0);
}

std::string retryNote(const PanelResult& result, SiteTask task, int nextAttempt, int attempts) {
    return strprintf("%s: %s; again (attempt %d of %d)", outcomeWord(result.outcome, task),
                     result.reason.c_str(), nextAttempt, attempts);
}

PanelResult runWithRetries(size_t panel, const SiteRunOptions& options, ProgressBoard& board,
                           const StopSwitch& stop, const PanelAttempt& attempt) {
    PanelResult result;
    if (stop.stopped()) {
        result.outcome = PanelOutcome::Stopped;
        result.reason = "not started";
        board.finish(panel, result);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<PacingClock> clock = options.makeClock();
    clock->prepareThread();
    const int attempts = attemptsAllowed(options);
    for (int number = 1;; ++number) {
        if (number == 1) {
            board.setPhase(panel, PanelPhase::Connecting, number);
        }
        result = attempt(number, *clock);
        result.attempts = number;
        if (!isRetried(result.outcome) || number == attempts || stop.stopped()) {
            break;
        }
        board.setPhase(panel, PanelPhase::Retrying, number + 1,
                       retryNote(result, SiteTask::Write, number + 1, attempts));
        // In short slices, so a stop during the delay is seen at once.
        for (int waited = 0; waited < options.retryDelayMs && !stop.stopped(); waited += 50) {
            clock->sleepMs(std::min(50, options.retryDelayMs - waited));
        }
        if (stop.stopped()) {
            result.outcome = PanelOutcome::Stopped;
            result.reason = "interrupted before the next attempt";
            break;
        }
        board.setPhase(panel, PanelPhase::Connecting, number + 1);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    board.finish(panel, result);
    return result;
}

}  // namespace velk
