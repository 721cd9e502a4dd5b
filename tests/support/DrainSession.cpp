#include "session/Session.h"
#include "support/Drain.h"

// Apart from Drain.cpp so that tests of the project side alone do not pull in the device side.
namespace velk::test {

bool flush(MessageQueue& queue, Session& session, int timeoutMs) {
    const int64_t token = nextBarrierToken();
    session.project().postBarrier(token);
    return drainUntilBarrier(
        queue, token, [&](const ViewMessage& m) { session.handle(m); }, timeoutMs);
}

}  // namespace velk::test
