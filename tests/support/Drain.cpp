#include "support/Drain.h"

#include <atomic>

#include "session/ProjectSession.h"

namespace velk::test {

int64_t nextBarrierToken() {
    static std::atomic<int64_t> token{0x7e570000};
    return ++token;
}

bool drainUntilBarrier(MessageQueue& queue, int64_t token,
                       const std::function<void(const ViewMessage&)>& handler, int timeoutMs) {
    for (;;) {
        std::optional<ViewMessage> message = queue.take(timeoutMs);
        if (!message) {
            return false;
        }
        handler(*message);
        if (message->id == WM_DB_BARRIER && message->wParam == token) {
            return true;
        }
    }
}

bool flush(MessageQueue& queue, ProjectSession& project, int timeoutMs) {
    const int64_t token = nextBarrierToken();
    project.postBarrier(token);
    return drainUntilBarrier(
        queue, token, [&](const ViewMessage& m) { project.handle(m); }, timeoutMs);
}

void drainAvailable(MessageQueue& queue, const std::function<void(const ViewMessage&)>& handler) {
    while (std::optional<ViewMessage> message = queue.tryTake()) {
        handler(*message);
    }
}

}  // namespace velk::test
