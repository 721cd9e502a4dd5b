#include "site/SiteWriteLoop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "device/ReplyApplier.h"
#include "device/ReplyFramer.h"
#include "device/SequenceStepper.h"
#include "device/TcpSocket.h"
#include "model/StrPrintf.h"
#include "site/PanelWrite.h"
#include "site/SiteLink.h"

namespace velk {
namespace {

// How often the loop looks at a stop when nothing else wakes it.
constexpr int64_t kStopLookUs = 50000;
constexpr int kEventsAtOnce = 256;

// A write takes nothing from the replies but its acknowledgements.
class AcknowledgementApplier : public ReplyApplier {
public:
    explicit AcknowledgementApplier(std::atomic<int>& writeAck) : m_writeAck(writeAck) {}
    void applyEnum(const EnumVariable&) override {}
    void applyVariable(const Variable&) override {}
    void applyNetTarget(const NetTarget&) override {}
    void acknowledged(WriteAck ack) override { m_writeAck.store(ack); }
    void panelNetworkReceived(const PanelNetworkReply&) override {}

private:
    std::atomic<int>& m_writeAck;
};

// Takes the write sequence's messages: progress goes to the board.
class ProgressPoster : public UiPoster {
public:
    ProgressPoster(ProgressBoard& board, size_t panel) : m_board(board), m_panel(panel) {}

    void post(ViewMessage message) override {
        if (message.id == WM_WRITE_PROGRESS) {
            m_board.setProgress(m_panel, static_cast<int>(message.wParam));
        }
    }

private:
    ProgressBoard& m_board;
    const size_t m_panel;
};

PanelResult outcome(PanelOutcome kind, std::string reason) {
    PanelResult result;
    result.outcome = kind;
    result.reason = std::move(reason);
    return result;
}

PanelResult completed(const ConfigModel& model) {
    PanelResult result;
    result.leftOut = leftOutOfWrite(model);
    if (result.leftOut.empty()) {
        result.outcome = PanelOutcome::Done;
        return result;
    }
    result.outcome = PanelOutcome::LeftOut;
    std::string names;
    for (const std::string& name : result.leftOut) {
        names += (names.empty() ? "" : ", ") + name;
    }
    result.reason = "commands longer than the panel takes: " + names;
    return result;
}

uint64_t eventKey(size_t panel, uint32_t serial) {
    return (uint64_t{serial} << 32) | static_cast<uint32_t>(panel);
}

}  // namespace

// One connection to a panel and the write on it; made again for every attempt.
struct SiteWriteLoop::Attempt {
    Attempt(const std::vector<WriteStep>& plan, ProgressBoard& board, size_t panel, PacingClock& clock,
            const std::atomic<bool>& stop, PanelLink::SendTap tap)
        : applier(writeAck),
          link(
              [this](std::string_view bytes) {
                  // Acknowledgements are taken the moment their text is complete.
                  for (const FramedReply& reply : replies.feed(bytes)) {
                      if (!reply.dropped()) {
                          applyReply(reply.reply, applier);
                      }
                  }
              },
              std::move(tap)),
          poster(board, panel),
          stepper(plan, sequenceLink, writeAck, poster, clock, stop) {
        sequenceLink.send = [this](const std::string& command) { return link.send(command); };
        sequenceLink.continueSend = [this] { return link.continueSend(); };
        sequenceLink.alive = [this] { return link.alive(); };
        sequenceLink.takeReplies = [this] { link.receive(); };
    }

    std::atomic<int> writeAck{ACK_NONE};
    AcknowledgementApplier applier;
    ReplyFramer replies;
    SiteLink link;
    SequenceLink sequenceLink;
    ProgressPoster poster;
    SequenceStepper stepper;
    SequenceStepper::Wake::Kind waitingFor = SequenceStepper::Wake::Until;
    uint32_t serial = 0;
    uint32_t watched = 0;  // the epoll events asked for; 0 while not watched
};

struct SiteWriteLoop::Panel {
    enum class Phase { Queued, Connecting, Writing, Resting, Done };

    size_t index = 0;  // in the targets
    size_t slot = 0;   // in the loop's panels
    Phase phase = Phase::Queued;
    int attempt = 0;
    uint64_t generation = 0;  // of its latest entry in the queue of moments; older ones are stale
    std::chrono::steady_clock::time_point started;
    std::shared_ptr<const std::vector<WriteStep>> plan;
    std::unique_ptr<Attempt> work;
};

SiteWriteLoop::SiteWriteLoop(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                             ProgressBoard& board, const StopSwitch& stop)
    : m_targets(targets), m_options(options), m_board(board), m_stop(stop), m_clock(options.makeClock()) {
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_epollError = m_epoll < 0 ? errno : 0;
}

SiteWriteLoop::~SiteWriteLoop() {
    if (m_epoll >= 0) {
        ::close(m_epoll);
    }
}

void SiteWriteLoop::run(const std::vector<size_t>& panels, std::vector<PanelResult>& results,
                        std::atomic<size_t>& done) {
    m_results = &results;
    m_done = &done;
    m_clock->prepareThread();
    m_panels.clear();
    for (size_t index : panels) {
        auto panel = std::make_unique<Panel>();
        panel->index = index;
        panel->slot = m_panels.size();
        m_panels.push_back(std::move(panel));
    }
    const size_t jobs = static_cast<size_t>(std::max(m_options.jobs, 1));
    size_t next = 0;
    std::vector<epoll_event> events(kEventsAtOnce);
    if (m_epoll < 0) {
        const std::string reason = strprintf("epoll: %s", std::strerror(m_epollError));
        for (const std::unique_ptr<Panel>& panel : m_panels) {
            finish(*panel, outcome(PanelOutcome::Failed, reason));
        }
        return;
    }
    while (m_finished < m_panels.size()) {
        if (m_stop.stopped()) {
            stopAll();
            break;
        }
        while (next < m_panels.size() && m_active < jobs) {
            start(*m_panels[next++]);
        }
        while (!m_due.empty() && m_due.top().generation != m_panels[m_due.top().panel]->generation) {
            m_due.pop();  // moved or no longer waited for
        }
        const int64_t now = m_clock->nowUs();
        int64_t until = now + kStopLookUs;
        if (!m_due.empty()) {
            until = std::min(until, m_due.top().atUs);
        }
        const int ready =
            m_clock->waitForEvents(until, m_epoll, events.data(), static_cast<int>(events.size()));
        for (int i = 0; i < ready; ++i) {
            const uint64_t key = events[static_cast<size_t>(i)].data.u64;
            Panel& panel = *m_panels[static_cast<size_t>(key & 0xffffffffu)];
            if (panel.work && panel.work->serial == static_cast<uint32_t>(key >> 32)) {
                onEvents(panel, events[static_cast<size_t>(i)].events);
            }
        }
        // Every moment that has come, the earliest first; a panel's own next moment is never before
        // the one it is handled at.
        const int64_t after = m_clock->nowUs();
        while (!m_due.empty() && m_due.top().atUs <= after) {
            const Due due = m_due.top();
            m_due.pop();
            Panel& panel = *m_panels[due.panel];
            if (due.generation == panel.generation) {
                onTime(panel);
            }
        }
    }
}

void SiteWriteLoop::start(Panel& panel) {
    ++m_active;
    panel.started = std::chrono::steady_clock::now();
    panel.plan = planFor(*m_targets[panel.index].model);
    panel.attempt = 1;
    m_board.setPhase(panel.index, PanelPhase::Connecting, panel.attempt);
    connect(panel);
}

void SiteWriteLoop::connect(Panel& panel) {
    const SiteTarget& target = m_targets[panel.index];
    panel.work =
        std::make_unique<Attempt>(*panel.plan, m_board, panel.index, *m_clock, m_stop.flag(),
                                  m_options.sendTap ? m_options.sendTap(panel.index) : PanelLink::SendTap{});
    panel.work->serial = m_nextSerial++;
    panel.phase = Panel::Phase::Connecting;
    std::string error;
    if (!panel.work->link.startConnect(target.panel.ip, target.panel.port, error)) {
        endAttempt(panel, outcome(PanelOutcome::Unreachable, connectFailureReason(error)));
        return;
    }
    if (!panel.work->link.connecting()) {
        connected(panel);
        return;
    }
    watch(panel, EPOLLOUT);
    schedule(panel, m_clock->nowUs() + int64_t{m_options.connectTimeoutMs} * 1000);
}

void SiteWriteLoop::connected(Panel& panel) {
    panel.phase = Panel::Phase::Writing;
    m_board.setPhase(panel.index, PanelPhase::Working, panel.attempt);
    watch(panel, EPOLLIN | EPOLLRDHUP);
    advance(panel);
}

void SiteWriteLoop::onEvents(Panel& panel, uint32_t events) {
    Attempt& work = *panel.work;
    if (panel.phase == Panel::Phase::Connecting) {
        std::string error;
        if (!work.link.finishConnect(error)) {
            endAttempt(panel, outcome(PanelOutcome::Unreachable, connectFailureReason(error)));
            return;
        }
        connected(panel);
        return;
    }
    if (panel.phase != Panel::Phase::Writing) {
        return;
    }
    if ((events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0) {
        // Taken whatever the write is doing: a closed socket would otherwise wake the loop again
        // and again. A panel that closed is no longer watched; its next send finds it gone.
        work.link.receive();
        if (!work.link.alive()) {
            unwatch(panel);
        }
        if (work.waitingFor == SequenceStepper::Wake::UntilReadable) {
            advance(panel);
            return;
        }
    }
    if ((events & EPOLLOUT) != 0 && work.waitingFor == SequenceStepper::Wake::UntilWritable) {
        advance(panel);
    }
}

void SiteWriteLoop::onTime(Panel& panel) {
    switch (panel.phase) {
        case Panel::Phase::Connecting:
            endAttempt(panel, outcome(PanelOutcome::Unreachable,
                                      connectFailureReason(connectTimeoutText(m_options.connectTimeoutMs))));
            break;
        case Panel::Phase::Writing:
            advance(panel);
            break;
        case Panel::Phase::Resting:
            ++panel.attempt;
            m_board.setPhase(panel.index, PanelPhase::Connecting, panel.attempt);
            connect(panel);
            break;
        case Panel::Phase::Queued:
        case Panel::Phase::Done:
            break;
    }
}

void SiteWriteLoop::advance(Panel& panel) {
    Attempt& work = *panel.work;
    const SequenceStepper::Wake wake = work.stepper.advance();
    work.waitingFor = wake.kind;
    switch (wake.kind) {
        case SequenceStepper::Wake::Finished:
            break;
        case SequenceStepper::Wake::Until:
        case SequenceStepper::Wake::UntilReadable:
            if (work.watched != 0) {
                watch(panel, EPOLLIN | EPOLLRDHUP);
            }
            schedule(panel, wake.atUs);
            return;
        case SequenceStepper::Wake::UntilWritable:
            watch(panel, EPOLLIN | EPOLLRDHUP | EPOLLOUT);
            schedule(panel, wake.atUs);
            return;
    }
    const ConfigModel& model = *m_targets[panel.index].model;
    switch (wake.outcome) {
        case kSequenceCompleted:
            endAttempt(panel, completed(model));
            return;
        case kSequenceTimedOut:
            endAttempt(panel, outcome(PanelOutcome::TimedOut,
                                      work.stepper.stuck()
                                          ? strprintf("the panel took no data for %d s",
                                                      SequenceStepper::kSendWaitMs / 1000)
                                          : timeoutReason(*panel.plan, work.stepper.commandsSent())));
            return;
        case kSequenceLinkLost:
            endAttempt(panel, outcome(PanelOutcome::Dropped, "connection dropped by the panel"));
            return;
        case kSequenceStopped:
            endAttempt(panel, outcome(PanelOutcome::Stopped, "interrupted during the write"));
            return;
    }
}

void SiteWriteLoop::endAttempt(Panel& panel, PanelResult result) {
    unwatch(panel);
    panel.work.reset();  // closes the connection
    const int attempts = attemptsAllowed(m_options);
    if (!isRetried(result.outcome) || panel.attempt >= attempts || m_stop.stopped()) {
        finish(panel, std::move(result));
        return;
    }
    m_board.setPhase(panel.index, PanelPhase::Retrying, panel.attempt + 1,
                     retryNote(result, SiteTask::Write, panel.attempt + 1, attempts));
    panel.phase = Panel::Phase::Resting;
    // A panel that just dropped the connection may be restarting.
    schedule(panel, m_clock->nowUs() + int64_t{m_options.retryDelayMs} * 1000);
}

void SiteWriteLoop::finish(Panel& panel, PanelResult result) {
    result.attempts = panel.attempt;  // connections tried: none for a panel never started
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - panel.started).count();
    if (panel.phase == Panel::Phase::Queued) {
        result.seconds = 0;
    } else {
        --m_active;
    }
    panel.phase = Panel::Phase::Done;
    ++panel.generation;
    m_board.finish(panel.index, result);
    (*m_results)[panel.index] = std::move(result);
    ++m_finished;
    ++*m_done;
}

void SiteWriteLoop::stopAll() {
    for (const std::unique_ptr<Panel>& entry : m_panels) {
        Panel& panel = *entry;
        switch (panel.phase) {
            case Panel::Phase::Done:
                break;
            case Panel::Phase::Queued:
                finish(panel, outcome(PanelOutcome::Stopped, "not started"));
                break;
            case Panel::Phase::Connecting:
                unwatch(panel);
                panel.work.reset();
                finish(panel, outcome(PanelOutcome::Stopped, "interrupted while connecting"));
                break;
            case Panel::Phase::Writing:
                unwatch(panel);
                panel.work.reset();
                finish(panel, outcome(PanelOutcome::Stopped, "interrupted during the write"));
                break;
            case Panel::Phase::Resting:
                finish(panel, outcome(PanelOutcome::Stopped, "interrupted before the next attempt"));
                break;
        }
    }
}

void SiteWriteLoop::schedule(Panel& panel, int64_t atUs) {
    ++panel.generation;
    m_due.push({atUs, panel.slot, panel.generation});
}

void SiteWriteLoop::watch(Panel& panel, uint32_t events) {
    Attempt& work = *panel.work;
    if (work.watched == events || work.link.fd() < 0) {
        return;
    }
    epoll_event entry{};
    entry.events = events;
    entry.data.u64 = eventKey(panel.slot, work.serial);
    epoll_ctl(m_epoll, work.watched == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, work.link.fd(), &entry);
    work.watched = events;
}

void SiteWriteLoop::unwatch(Panel& panel) {
    if (!panel.work || panel.work->watched == 0) {
        return;
    }
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, panel.work->link.fd(), nullptr);
    panel.work->watched = 0;
}

std::shared_ptr<const std::vector<WriteStep>> SiteWriteLoop::planFor(const ConfigModel& model) {
    // Panels that share a project share its plan: a thousand copies of one would only cost memory.
    std::shared_ptr<const std::vector<WriteStep>>& plan = m_plans[&model];
    if (!plan) {
        plan = std::make_shared<const std::vector<WriteStep>>(buildWritePlan(model));
    }
    return plan;
}

SiteRun::WholeRun siteWriteAll(const std::vector<SiteTarget>& targets, const SiteRunOptions& options,
                               ProgressBoard& board, const StopSwitch& stop) {
    return [&targets, &options, &board, &stop](std::vector<PanelResult>& results, std::atomic<size_t>& done) {
        std::vector<size_t> panels(targets.size());
        for (size_t i = 0; i < panels.size(); ++i) {
            panels[i] = i;
        }
        SiteWriteLoop loop(targets, options, board, stop);
        loop.run(panels, results, done);
    };
}

}  // namespace velk
