#pragma once

#include <cstdint>
#include <functional>

#include "model/UiPoster.h"

namespace velk {

class ProjectSession;
class Session;

// The user-interface thread's loop where there is no Qt event loop (velkctl, tests, benchmarks):
// takes the messages the worker threads post to a MessageQueue and hands each, in order, to the
// session (or to any handler).
class MessagePump {
public:
    using Handler = std::function<void(const ViewMessage&)>;

    // Messages go to session.handle(); barriers are posted through its project.
    MessagePump(MessageQueue& queue, Session& session);
    // Messages go to project.handle(), for sessions without the device side.
    MessagePump(MessageQueue& queue, ProjectSession& project);
    // Messages go to handler; flush() is not available, untilBarrier() is.
    MessagePump(MessageQueue& queue, Handler handler);

    // Handles messages until done() holds or timeoutMs pass; false on time-out. done() is also
    // looked at while no message comes, so conditions outside the queue count too.
    bool runUntil(const std::function<bool()>& done, int timeoutMs);
    // Handles whatever arrives for timeoutMs.
    void runFor(int timeoutMs);
    // Handles messages until the WM_DB_BARRIER carrying token has been handled; false when no
    // message comes for timeoutMs (a large project may take longer in all, but never stalls).
    bool untilBarrier(int64_t token, int timeoutMs = kFlushTimeoutMs);
    // Posts a fresh barrier through the project and handles messages until it is back: every
    // statement queued before has run and every row it produced has been handled.
    bool flush(int timeoutMs = kFlushTimeoutMs);
    // Handles what is queued now without waiting.
    void drainAvailable();

    static constexpr int kFlushTimeoutMs = 20000;

private:
    // Waits at most waitMs for one message and handles it; false when none came. barrierSeen is set
    // when it was the barrier carrying awaitedBarrier.
    bool handleNext(int waitMs, int64_t awaitedBarrier, bool& barrierSeen);

    MessageQueue& m_queue;
    Handler m_handler;
    std::function<void(int64_t)> m_postBarrier;
};

// A fresh barrier token, positive and unique in the process (negative tokens mark where a
// project's rows begin).
int64_t nextBarrierToken();

}  // namespace velk
