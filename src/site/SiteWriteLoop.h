#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <queue>
#include <vector>

#include "device/PacingClock.h"
#include "device/WritePlan.h"
#include "site/PanelResult.h"
#include "site/ProgressBoard.h"
#include "site/SiteRun.h"
#include "site/StopSwitch.h"

namespace velk {

// Writes many panels from one thread. A thread per panel spends more on switching between a
// thousand threads than on the writes, and its wake-ups come late when they all want the cores
// at once; here one thread keeps every panel's next moment in a queue, sleeps until the earliest
// or until a socket has something, and carries each write on with a SequenceStepper. Each panel
// keeps the single write's plan, pauses and acknowledgement waits; at most options.jobs are under
// way at once, and a panel that timed out or dropped the connection is tried again while retries
// last.
class SiteWriteLoop {
public:
    SiteWriteLoop(const std::vector<SiteTarget>& targets, const SiteRunOptions& options, ProgressBoard& board,
                  const StopSwitch& stop);
    ~SiteWriteLoop();
    SiteWriteLoop(const SiteWriteLoop&) = delete;
    SiteWriteLoop& operator=(const SiteWriteLoop&) = delete;

    // Writes the panels named (indexes into targets) and puts each one's result into
    // results[index] as it finishes, counting it in done.
    void run(const std::vector<size_t>& panels, std::vector<PanelResult>& results, std::atomic<size_t>& done);

private:
    struct Attempt;
    struct Panel;
    struct Due {
        int64_t atUs;
        size_t panel;
        uint64_t generation;
        bool operator>(const Due& other) const { return atUs > other.atUs; }
    };

    void start(Panel& panel);
    void connect(Panel& panel);
    void connected(Panel& panel);
    void onEvents(Panel& panel, uint32_t events);
    void onTime(Panel& panel);
    void advance(Panel& panel);
    void endAttempt(Panel& panel, PanelResult result);
    void finish(Panel& panel, PanelResult result);
    void stopAll();
    void schedule(Panel& panel, int64_t atUs);
    void watch(Panel& panel, uint32_t events);
    void unwatch(Panel& panel);
    std::shared_ptr<const std::vector<WriteStep>> planFor(const ConfigModel& model);

    const std::vector<SiteTarget>& m_targets;
    const SiteRunOptions& m_options;
    ProgressBoard& m_board;
    const StopSwitch& m_stop;
    std::unique_ptr<PacingClock> m_clock;
    int m_epoll = -1;
    int m_epollError = 0;
    std::vector<std::unique_ptr<Panel>> m_panels;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> m_due;
    std::map<const ConfigModel*, std::shared_ptr<const std::vector<WriteStep>>> m_plans;
    std::vector<PanelResult>* m_results = nullptr;
    std::atomic<size_t>* m_done = nullptr;
    size_t m_active = 0;
    size_t m_finished = 0;
    uint32_t m_nextSerial = 1;
};

// Writes every panel of targets on one thread as a SiteRun's whole run.
SiteRun::WholeRun siteWriteAll(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                               ProgressBoard& board, const StopSwitch& stop);

}  // namespace velk
