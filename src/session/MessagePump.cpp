#include "session/MessagePump.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "session/ProjectSession.h"
#include "session/Session.h"

namespace velk {
namespace {

// Longest single wait for a message, so done() is looked at often enough while nothing arrives.
constexpr int kPollMs = 10;

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(left, 0));
}

}  // namespace

int64_t nextBarrierToken() {
    static std::atomic<int64_t> token{0};
    return ++token;
}

MessagePump::MessagePump(MessageQueue& queue, Session& session)
    : m_queue(queue),
      m_handler([&session](const ViewMessage& message) { session.handle(message); }),
      m_postBarrier([&session](int64_t token) { session.project().postBarrier(token); }) {}

MessagePump::MessagePump(MessageQueue& queue, ProjectSession& project)
    : m_queue(queue),
      m_handler([&project](const ViewMessage& message) { project.handle(message); }),
      m_postBarrier([&project](int64_t token) { project.postBarrier(token); }) {}

MessagePump::MessagePump(MessageQueue& queue, Handler handler)
    : m_queue(queue), m_handler(std::move(handler)) {}

bool MessagePump::handleNext(int waitMs, int64_t awaitedBarrier, bool& barrierSeen) {
    std::optional<ViewMessage> message = m_queue.take(waitMs);
    if (!message) {
        return false;
    }
    m_handler(*message);
    if (message->id == WM_DB_BARRIER && message->wParam == awaitedBarrier) {
        barrierSeen = true;
    }
    return true;
}

bool MessagePump::runUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool unused = false;
    while (!done()) {
        const int left = msLeft(deadline);
        if (left <= 0) {
            return false;
        }
        handleNext(std::min(left, kPollMs), 0, unused);
    }
    return true;
}

void MessagePump::runFor(int timeoutMs) {
    runUntil([] { return false; }, timeoutMs);
}

bool MessagePump::untilBarrier(int64_t token, int timeoutMs) {
    bool seen = false;
    while (!seen) {
        if (!handleNext(timeoutMs, token, seen)) {
            return false;
        }
    }
    return true;
}

bool MessagePump::flush(int timeoutMs) {
    if (!m_postBarrier) {
        return false;
    }
    const int64_t token = nextBarrierToken();
    m_postBarrier(token);
    return untilBarrier(token, timeoutMs);
}

void MessagePump::drainAvailable() {
    while (std::optional<ViewMessage> message = m_queue.tryTake()) {
        m_handler(*message);
    }
}

}  // namespace velk
