#include "FakePanel.h"

#include <sys/socket.h>

#include <chrono>

namespace velk::test {
namespace {

size_t countOccurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace

FakePanel::FakePanel() {
    std::string error;
    auto listener = TcpListener::listenLoopback(0, error);
    if (listener) {
        m_listener = std::move(*listener);
        m_port = m_listener.port();
    }
    m_thread = std::thread([this] { serve(); });
}

FakePanel::~FakePanel() {
    m_stop.store(true);
    m_thread.join();
}

void FakePanel::answer(const std::string& trigger, const std::string& reply) {
    std::lock_guard lock(m_mutex);
    m_rules[trigger].reply = reply;
}

void FakePanel::answerWrites() {
    answer(kClearTrigger, kClearReply);
    answer(kHeaderTrigger, kAddedReply);
    answer(kExitTrigger, kExitReply);
}

void FakePanel::answerReads() {
    // Each trigger takes the start of the next request, so "getenum-1" is not "getenum-10".
    for (int n = 1; n <= 10; ++n) {
        answer("QM-PANEL-getenum-" + std::to_string(n) + "QM",
               "QM-PANEL-rtnenum-" + std::to_string(n) + "-ascii-");
        answer("QM-PANEL-getvar-" + std::to_string(n) + "QM",
               "QM-PANEL-rtnvar-" + std::to_string(n) + "-0-0-0-save");
    }
    for (const char* target : {"TCP-1QM", "TCP-2QM", "TCP-3QM", "TCP-4QM", "UDP-1QM", "UDP-2"}) {
        const std::string name = std::string(target).substr(0, 5);
        answer(std::string("QM-PANEL-getser-") + target, "QM-PANEL-rtnser-" + name + "-0.0.0.0-0");
    }
}

void FakePanel::hold(const std::string& trigger) {
    std::lock_guard lock(m_mutex);
    m_rules[trigger].held = true;
}

void FakePanel::release(const std::string& trigger) {
    std::lock_guard lock(m_mutex);
    m_rules[trigger].held = false;
}

void FakePanel::setReading(bool reading) {
    std::lock_guard lock(m_mutex);
    m_reading = reading;
}

bool FakePanel::waitFor(size_t index, const std::function<bool(const std::string&)>& test, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return index < m_streams.size() && test(m_streams[index]); });
}

bool FakePanel::waitForText(size_t index, const std::string& text, int timeoutMs) {
    return waitFor(
        index, [&](const std::string& stream) { return stream.find(text) != std::string::npos; }, timeoutMs);
}

bool FakePanel::waitClosed(size_t index, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return index < m_closed.size() && m_closed[index]; });
}

std::string FakePanel::received(size_t index) const {
    std::lock_guard lock(m_mutex);
    return index < m_streams.size() ? m_streams[index] : std::string();
}

size_t FakePanel::connectionCount() const {
    std::lock_guard lock(m_mutex);
    return m_streams.size();
}

bool FakePanel::sendRaw(const std::string& bytes) {
    // Under the lock, so the connection cannot be closed (and its handle reused) meanwhile. The
    // client's connect can complete before the accept, so give the accept a moment.
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_clientFd >= 0; });
    int fd = m_clientFd;
    if (fd < 0) {
        return false;
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void FakePanel::closeClient() {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_clientFd >= 0; });
    if (m_clientFd >= 0) {
        ::shutdown(m_clientFd, SHUT_RDWR);
    }
}

void FakePanel::answerNew(const std::string& stream, TcpSocket& client) {
    std::vector<std::string> replies;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [trigger, rule] : m_rules) {
            if (rule.held || rule.reply.empty()) {
                continue;
            }
            for (size_t seen = countOccurrences(stream, trigger); rule.answered < seen; ++rule.answered) {
                replies.push_back(rule.reply);
            }
        }
    }
    for (const auto& reply : replies) {
        client.sendAll(reply);
    }
}

void FakePanel::serve() {
    std::vector<char> buffer(1 << 16);
    while (!m_stop.load()) {
        auto client = m_listener.accept(20);
        if (!client) {
            continue;
        }
        size_t index = 0;
        {
            std::lock_guard lock(m_mutex);
            index = m_streams.size();
            m_streams.emplace_back();
            m_closed.push_back(false);
            m_clientFd = client->fd();
            for (auto& entry : m_rules) {
                entry.second.answered = 0;
            }
        }
        m_changed.notify_all();
        std::string stream;
        while (!m_stop.load()) {
            bool reading = false;
            {
                std::lock_guard lock(m_mutex);
                reading = m_reading;
            }
            // Held answers are looked at again on every turn, so a release takes effect at once.
            answerNew(stream, *client);
            if (!reading || !client->waitReadable(10)) {
                if (!reading) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                continue;
            }
            long n = client->receive(buffer.data(), buffer.size());
            if (n <= 0) {
                break;
            }
            stream.append(buffer.data(), static_cast<size_t>(n));
            {
                std::lock_guard lock(m_mutex);
                m_streams[index] = stream;
            }
            m_changed.notify_all();
        }
        {
            std::lock_guard lock(m_mutex);
            m_closed[index] = true;
            m_clientFd = -1;
            client->close();
        }
        m_changed.notify_all();
    }
}

void FastClock::sleepUntilUs(int64_t deadlineUs) {
    const int64_t now = m_virtualUs.load();
    if (deadlineUs <= now) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds((deadlineUs - now) / m_speedup));
    m_virtualUs.store(deadlineUs);
}

}  // namespace velk::test
