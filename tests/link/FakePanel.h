#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/PacingClock.h"
#include "device/TcpSocket.h"

namespace velk::test {

// The commands a write waits on and the panel's acknowledgements of them.
inline constexpr char kClearTrigger[] = "QM-PANEL-clrkey-FF";
inline constexpr char kHeaderTrigger[] = "->addact-";
inline constexpr char kExitTrigger[] = "QM-PANEL-exitedit";
inline constexpr char kClearReply[] = "QM-PANEL-rtnstate-clr ok 16";
inline constexpr char kAddedReply[] = "QM-PANEL-rtnstate-add ok";
inline constexpr char kExitReply[] = "QM-PANEL-rtnstate-edit exit";

// A panel stand-in on 127.0.0.1 for the link tests: accepts clients one after another, keeps every
// byte each connection sent, and answers triggers (texts seen in the stream) with replies.
class FakePanel {
public:
    FakePanel();
    ~FakePanel();

    uint16_t port() const { return m_port; }

    // Each further occurrence of trigger in a connection's stream is answered with reply. A held
    // trigger's answers wait until release().
    void answer(const std::string& trigger, const std::string& reply);
    // Acknowledges the clear, each action header and the exit, as a panel does during a write.
    void answerWrites();
    // Answers every read request as a panel holding nothing does, so a read is complete; an
    // answer() given after it changes that row's reply.
    void answerReads();
    void hold(const std::string& trigger);
    void release(const std::string& trigger);

    // While paused the current connection is not read, so the client's sends pile up and block.
    void setReading(bool reading);

    // Waits until connection number index (0-based) exists and its stream satisfies test.
    bool waitFor(size_t index, const std::function<bool(const std::string&)>& test, int timeoutMs = 10000);
    bool waitForText(size_t index, const std::string& text, int timeoutMs = 10000);
    // Waits until the client closed connection index; its stream is then final.
    bool waitClosed(size_t index, int timeoutMs = 10000);

    std::string received(size_t index) const;
    size_t connectionCount() const;

    // Sends raw bytes on the current connection; false when there is none.
    bool sendRaw(const std::string& bytes);
    // Closes the current connection from the panel's side.
    void closeClient();

private:
    struct Rule {
        std::string reply;
        size_t answered = 0;
        bool held = false;
    };
    void serve();
    void answerNew(const std::string& stream, TcpSocket& client);

    TcpListener m_listener;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_streams;
    std::vector<bool> m_closed;
    std::map<std::string, Rule> m_rules;
    bool m_reading = true;
    int m_clientFd = -1;
    std::thread m_thread;
};

// Virtual time that runs faster than the real one: a sleep to a deadline advances the clock to it
// but really sleeps only the distance / speedup, so a 15 s acknowledgement wait takes 15 / speedup s.
class FastClock : public PacingClock {
public:
    explicit FastClock(int speedup) : m_speedup(speedup) {}
    int64_t nowUs() override { return m_virtualUs.load(); }
    void sleepUntilUs(int64_t deadlineUs) override;
    int64_t nowSeconds() override { return m_virtualUs.load() / 1000000; }
    int64_t virtualMs() const { return m_virtualUs.load() / 1000; }

private:
    const int m_speedup;
    std::atomic<int64_t> m_virtualUs{0};
};

}  // namespace velk::test
