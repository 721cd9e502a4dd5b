#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/PacingClock.h"
#include "device/PanelAddress.h"
#include "device/PanelLink.h"
#include "model/ConfigModel.h"
#include "site/PanelResult.h"
#include "site/ProgressBoard.h"
#include "site/StopSwitch.h"

namespace velk {

// One panel of a run.
struct SiteTarget {
    std::string name;
    PanelAddress panel;
    std::string project;  // its project file
    // The project as loaded once for every panel that has it; each write copies it.
    std::shared_ptr<const ConfigModel> model;
};

// How many panels run at once unless told.
constexpr int kDefaultSiteJobs = 64;

struct SiteRunOptions {
    int jobs = kDefaultSiteJobs;
    int retries = 0;          // further attempts for a panel that timed out or dropped the connection
    int retryDelayMs = 1000;  // a panel that just dropped the connection may be restarting
    int connectTimeoutMs = PanelLink::kDefaultConnectTimeoutMs;
    // One clock per panel, made on its thread; the product's is SystemClock.
    std::function<std::unique_ptr<PacingClock>()> makeClock = [] { return std::make_unique<SystemClock>(); };
    // Sees the sends of every connection to a panel (for measurements); may be empty.
    std::function<PanelLink::SendTap(size_t panel)> sendTap;
};

// Runs a job for every panel, at most jobs at once, each on a thread of its own; or a whole run of
// every panel on one thread. results[i] is written only by the thread that ran panel i and read
// only after it is joined.
class SiteRun {
public:
    using PanelJob = std::function<PanelResult(size_t panel)>;
    // Puts each panel's result into results[panel] and counts it in done.
    using WholeRun = std::function<void(std::vector<PanelResult>& results, std::atomic<size_t>& done)>;

    SiteRun(size_t panels, int jobs, PanelJob job);
    SiteRun(size_t panels, WholeRun run);
    ~SiteRun();
    SiteRun(const SiteRun&) = delete;
    SiteRun& operator=(const SiteRun&) = delete;

    bool finished() const { return m_done.load() == m_results.size(); }
    // Waits for every panel; the results in panel order.
    std::vector<PanelResult> join();

private:
    void work();

    PanelJob m_job;
    std::vector<PanelResult> m_results;
    std::atomic<size_t> m_next{0};
    std::atomic<size_t> m_done{0};
    std::vector<std::thread> m_threads;
};

// How many attempts a panel gets in all.
int attemptsAllowed(const SiteRunOptions& options);

// What the board shows while a panel waits to be tried again: "timed out: ...; again (attempt 2 of
// 3)".
std::string retryNote(const PanelResult& result, SiteTask task, int nextAttempt, int attempts);

// One attempt at a panel with the clock of its run; the attempt number counts from 1.
using PanelAttempt = std::function<PanelResult(int attempt, PacingClock& clock)>;

// Runs attempt for a panel, again from the start after a time-out or a dropped connection while
// retries last, and puts the phases and the result on the board. A stopped site starts nothing.
PanelResult runWithRetries(size_t panel, const SiteRunOptions& options, ProgressBoard& board,
                           const StopSwitch& stop, const PanelAttempt& attempt);

}  // namespace velk
