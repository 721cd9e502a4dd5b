// Writes a maximal project over 127.0.0.1 into a responder that answers like a panel, and sets the
// measured time beside the pacing the write sequence must spend.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/TcpSocket.h"
#include "device/WritePlan.h"
#include "model/StrPrintf.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/Session.h"

namespace velk {
namespace {

class QuietObserver : public IgnoringObserver {
public:
    void message(MessageTitle, const std::string& text) override { lastMessage = text; }
    std::string lastMessage;
};

// Every record filled and every slot holding the most a slot can: one infrared, IO and relay
// action, a network action with ten blanks of each kind, and key actions.
ConfigModel maximalModel() {
    ConfigModel model;
    model.reset();
    for (int i = 0; i < kEnumCount; ++i) {
        EnumVariable& variable = model.enums[i];
        variable.type = i % 2 ? kHex : kAscii;
        variable.data.clear();
        for (int v = 0; v < 10; ++v) {
            variable.data.push_back(i % 2 ? strprintf("%02x 0a ff", v) : strprintf("value-%d-%d", i, v));
        }
    }
    for (int i = 0; i < kVariableCount; ++i) {
        model.variables[i] = Variable{i + 1, -100, i, 1000, i % 2};
    }
    for (int i = 0; i < kNetTargetCount; ++i) {
        model.netTargets[i] =
            NetTarget{0xC0A80100u + static_cast<uint32_t>(i), static_cast<uint16_t>(5000 + i), i + 1};
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        KeyAction ir;
        ir.irChannels = 15;
        ir.irCode = slot;
        KeyAction io;
        io.function = FunctionCode::Io;
        io.ioChannels = 15;
        io.ioOperation = 2;
        KeyAction relay;
        relay.function = FunctionCode::Relay;
        relay.relayChannels = 15;
        relay.relayOperation = 1;
        KeyAction network;
        network.function = FunctionCode::Network;
        network.network.channel = 2;
        network.network.type = kAscii;
        for (int b = 0; b < 30; ++b) {
            network.network.texts.push_back(strprintf("seg%d$0d$0a", b));
            Placeholder blank;
            blank.kind = b % 3;
            blank.digits = 2;
            network.network.placeholders.push_back(blank);
        }
        network.network.texts.push_back("end");
        network.network.varNum = static_cast<int32_t>(network.network.placeholders.size());
        KeyAction key;
        key.function = FunctionCode::Key;
        model.actions[static_cast<size_t>(slot)] = {ir, io, relay, network, key, key};
        EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        settings.timeEnable = 1;
        settings.time = 500;
        settings.addEnable = 1;
        settings.addString = "append";
    }
    return model;
}

// The system clock, adding up how long the writer really slept and how late each wake-up was.
class CountingClock : public PacingClock {
public:
    int64_t nowUs() override { return m_clock.nowUs(); }
    void sleepUntilUs(int64_t deadlineUs) override {
        const int64_t start = m_clock.nowUs();
        m_clock.sleepUntilUs(deadlineUs);
        const int64_t end = m_clock.nowUs();
        m_sleptUs += end - start;
        if (deadlineUs > start) {
            m_lateUs += end - deadlineUs;
            m_maxLateUs = std::max<int64_t>(m_maxLateUs.load(), end - deadlineUs);
            ++m_sleeps;
        }
    }
    int64_t nowSeconds() override { return m_clock.nowSeconds(); }
    void prepareThread() override { m_clock.prepareThread(); }

    double sleptMs() const { return static_cast<double>(m_sleptUs.load()) / 1000.0; }
    double meanLateUs() const {
        return m_sleeps.load() ? static_cast<double>(m_lateUs.load()) / static_cast<double>(m_sleeps.load())
                               : 0;
    }
    int64_t maxLateUs() const { return m_maxLateUs.load(); }

private:
    SystemClock m_clock;
    std::atomic<int64_t> m_sleptUs{0};
    std::atomic<int64_t> m_lateUs{0};
    std::atomic<int64_t> m_maxLateUs{0};
    std::atomic<int64_t> m_sleeps{0};
};

struct SendTime {
    int64_t startUs = 0;
    int64_t endUs = 0;
};

// For every two neighbouring sends of the plan with no acknowledgement wait between them, the
// pause the plan puts between them and the gap the socket saw (from the end of one send to the
// start of the next); grouped by pause, the shortest and the median gap.
void printGaps(const std::vector<WriteStep>& plan, const std::vector<SendTime>& sends) {
    std::map<int, std::vector<int64_t>> gaps;
    size_t send = 0;
    int pauseMs = 0;
    bool waited = false;
    for (const WriteStep& step : plan) {
        if (step.kind == WriteStep::Send) {
            if (send > 0 && !waited && send < sends.size()) {
                gaps[pauseMs].push_back(sends[send].startUs - sends[send - 1].endUs);
            }
            ++send;
            pauseMs = 0;
            waited = false;
        } else if (step.kind == WriteStep::Sleep) {
            pauseMs += step.milliseconds;
        } else if (step.kind == WriteStep::WaitAck) {
            waited = true;
        }
    }
    for (auto& [pause, list] : gaps) {
        std::sort(list.begin(), list.end());
        std::printf("pause %4d ms       %5zu gaps, shortest %.3f ms, median %.3f ms%s\n", pause, list.size(),
                    static_cast<double>(list.front()) / 1000.0,
                    static_cast<double>(list[list.size() / 2]) / 1000.0,
                    list.front() < pause * 1000 ? "  SHORTER THAN ITS PAUSE" : "");
    }
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + part.size())) {
        ++count;
    }
    return count;
}

// Answers the three awaited commands as soon as they arrive; counts the bytes it took.
void respond(TcpListener& listener, std::atomic<size_t>& received) {
    auto client = listener.accept(10000);
    if (!client) {
        return;
    }
    const std::pair<std::string, std::string> rules[] = {
        {"QM-PANEL-clrkey-FF", "QM-PANEL-rtnstate-clr ok 16"},
        {"->addact-", "QM-PANEL-rtnstate-add ok"},
        {"QM-PANEL-exitedit", "QM-PANEL-rtnstate-edit exit"},
    };
    size_t answered[3] = {};
    std::string stream;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        long n = client->receive(buffer.data(), buffer.size());
        if (n <= 0) {
            return;
        }
        // Only the tail can hold a new trigger; keep enough of the stream to find it whole.
        stream.append(buffer.data(), static_cast<size_t>(n));
        received += static_cast<size_t>(n);
        for (size_t r = 0; r < 3; ++r) {
            for (size_t seen = countOf(stream, rules[r].first); answered[r] < seen; ++answered[r]) {
                client->sendAll(rules[r].second);
            }
        }
        if (stream.size() > 4096) {
            std::string tail = stream.substr(stream.size() - 64);
            for (size_t r = 0; r < 3; ++r) {
                answered[r] -= countOf(stream, rules[r].first) - countOf(tail, rules[r].first);
            }
            stream = tail;
        }
    }
}

int run() {
    std::string error;
    auto listener = TcpListener::listenLoopback(0, error);
    if (!listener) {
        std::fprintf(stderr, "write_bench: %s\n", error.c_str());
        return 1;
    }
    std::atomic<size_t> received{0};
    std::thread responder([&] { respond(*listener, received); });

    QuietObserver observer;
    MessageQueue queue;
    CountingClock clock;
    Session session(observer, queue, clock);
    std::mutex sendsMutex;
    std::vector<SendTime> sends;
    session.device().setSendTap([&](std::string_view, int64_t startUs, int64_t endUs) {
        std::lock_guard lock(sendsMutex);
        sends.push_back({startUs, endUs});
    });
    ConfigModel& model = session.project().model();
    model = maximalModel();
    const auto plan = buildWritePlan(model);
    long long pacingMs = planPacingMs(plan);
    size_t waits = 0;
    size_t bytes = 0;
    for (const auto& step : plan) {
        waits += step.kind == WriteStep::WaitAck ? 1 : 0;
        bytes += step.command.size();
    }

    // A maximal write paces for minutes; every wait in it ends by itself.
    MessagePump messages(queue, session);
    auto pump = [&](const std::function<bool()>& done) { messages.runUntil(done, 2 * 60 * 60 * 1000); };
    DeviceSession& device = session.device();
    device.connectOrDisconnect(kLoopbackAddress, listener->port());
    pump([&] { return device.linkState() != LinkState::Connecting; });
    if (device.linkState() != LinkState::Connected) {
        std::fprintf(stderr, "write_bench: no connection: %s\n", device.lastLinkError().c_str());
        return 1;
    }
    auto start = std::chrono::steady_clock::now();
    device.write();
    pump([&] { return !device.writing(); });
    auto measuredMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    device.flushSends();
    device.connectOrDisconnect(0, 0);
    pump([&] { return device.linkState() == LinkState::Closed; });
    responder.join();

    std::printf("commands            %zu (%zu bytes, responder took %zu)\n", planCommands(plan).size(), bytes,
                received.load());
    std::printf("outcome             %s\n", observer.lastMessage.c_str());
    std::printf("pacing of the plan  %lld ms\n", pacingMs);
    // Each acknowledgement wait sleeps 10 ms before its first look, however fast the reply.
    std::printf("ack waits           %zu (at least %zu ms of polling)\n", waits, waits * 10);
    std::printf("sleeps took         %.1f ms, wake-ups late by %.1f us on average, %lld us at most\n",
                clock.sleptMs(), clock.meanLateUs(), static_cast<long long>(clock.maxLateUs()));
    std::printf("measured write      %.1f ms\n", measuredMs);
    std::printf("ratio               %.4f (measured / pacing)\n", measuredMs / static_cast<double>(pacingMs));
    {
        std::lock_guard lock(sendsMutex);
        printGaps(plan, sends);
    }
    session.shutdown();
    return device.lastWriteResult() == WriteResult::Succeeded ? 0 : 1;
}

}  // namespace
}  // namespace velk

int main() {
    return velk::run();
}
