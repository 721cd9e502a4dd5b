#include "model/UiPoster.h"

#include <chrono>

namespace velk {

void MessageQueue::post(ViewMessage message) {
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(std::move(message));
    }
    m_ready.notify_all();
}

std::optional<ViewMessage> MessageQueue::tryTake() {
    std::lock_guard lock(m_mutex);
    if (m_messages.empty()) {
        return std::nullopt;
    }
    ViewMessage message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

std::optional<ViewMessage> MessageQueue::take(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !m_messages.empty(); })) {
        return std::nullopt;
    }
    ViewMessage message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

size_t MessageQueue::size() const {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
}

}  // namespace velk
