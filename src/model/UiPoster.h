#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "model/ViewMessages.h"

namespace velk {

// Hands a message from any thread to the user-interface thread. The GUI posts into Qt's event
// loop; the CLI and the tests use MessageQueue and drain it on their main thread.
class UiPoster {
public:
    virtual ~UiPoster() = default;
    virtual void post(ViewMessage message) = 0;
};

class MessageQueue : public UiPoster {
public:
    void post(ViewMessage message) override;

    std::optional<ViewMessage> tryTake();
    // Waits at most timeoutMs for a message.
    std::optional<ViewMessage> take(int timeoutMs);
    size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<ViewMessage> m_messages;
};

}  // namespace velk
