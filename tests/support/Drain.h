#pragma once

#include <cstdint>
#include <functional>

#include "model/UiPoster.h"

namespace velk {
class ProjectSession;
class Session;
}  // namespace velk

namespace velk::test {

// Hands every message of the queue to handler, in order, until the WM_DB_BARRIER carrying token has
// been handed over. False when no message arrives for timeoutMs (the barrier never came).
bool drainUntilBarrier(MessageQueue& queue, int64_t token,
                       const std::function<void(const ViewMessage&)>& handler, int timeoutMs = 20000);

// Posts a fresh barrier through the project and drains the queue into it (or into the whole
// session) until the barrier is back: every statement queued before has run and every row it
// produced has been handled.
bool flush(MessageQueue& queue, ProjectSession& project, int timeoutMs = 20000);
bool flush(MessageQueue& queue, Session& session, int timeoutMs = 20000);

// A fresh positive barrier token.
int64_t nextBarrierToken();

// Hands over what is in the queue now without waiting.
void drainAvailable(MessageQueue& queue, const std::function<void(const ViewMessage&)>& handler);

}  // namespace velk::test
