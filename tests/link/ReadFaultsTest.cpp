// Reads through a network that re-chunks, delays, joins, soils and loses the panel's replies: the
// simulator makes each fault, a session reads it into a real project file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakePanel.h"
#include "device/TcpSocket.h"
#include "model/StrPrintf.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/Session.h"
#include "sim/PanelSimulator.h"
#include "support/TempDir.h"

namespace velk::test {
namespace {

// What the panel holds: every row a read asks for has a value of its own.
std::vector<std::string> panelDefinitions() {
    std::vector<std::string> commands;
    for (int n = 1; n <= 10; ++n) {
        commands.push_back(n % 3 == 0
                               ? strprintf("QM-PANEL-setenum-%d-hex-0a %02x#ff", n, n)
                               : strprintf("QM-PANEL-setenum-%d-ascii-v%d#\xb5\xda\xb6\xfe#%d", n, n, n * 7));
        commands.push_back(strprintf("QM-PANEL-setvar-%d-%d-%d-%d-%s", n, n * 11, -n, 1000 + n,
                                     n % 2 == 0 ? "save" : "unsave"));
    }
    for (int target = 1; target <= 6; ++target) {
        commands.push_back(strprintf("QM-PANEL-setser-%s-%d-192.168.%d.%d-%d", target <= 4 ? "TCP" : "UDP",
                                     target <= 4 ? target : target - 4, target, target * 10, 5000 + target));
    }
    return commands;
}

// The read rows of a model, to compare reads by.
struct ReadRows {
    std::vector<EnumVariable> enums;
    std::vector<Variable> variables;
    std::vector<NetTarget> targets;

    explicit ReadRows(const ConfigModel& model) {
        for (int key = 0; key < kEnumCount; ++key) {
            enums.push_back(model.enumAt(key));
        }
        for (int key = 0; key < kVariableCount; ++key) {
            variables.push_back(model.variableAt(key));
        }
        for (int key = 0; key < kNetTargetCount; ++key) {
            targets.push_back(model.netTargetAt(key));
        }
    }
    bool operator==(const ReadRows&) const = default;
};

struct ReadRun {
    ReadResult result;
    bool lost = false;
    std::unique_ptr<ReadRows> memory;  // the model after the read
    std::unique_ptr<ReadRows> file;    // the project file after the read, opened afresh
};

// A simulated panel holding panelDefinitions(), whose replies reach the tool through faults.
class FaultyPanel {
public:
    explicit FaultyPanel(sim::ReplyFaults faults, int closeAfter = 0) {
        sim::SimulatorOptions options;
        options.port = 0;
        options.announceListening = false;
        options.replyFaults = faults;
        options.closeAfter = closeAfter;
        m_simulator = std::make_unique<sim::PanelSimulator>(options);
        std::string error;
        auto port = m_simulator->start(error);
        EXPECT_TRUE(port) << error;
        m_port = port.value_or(0);
        // The definitions go in on connections of their own; a panel that closes after N commands
        // takes them N at a time.
        std::optional<TcpSocket> client;
        size_t count = 0;
        size_t closed = 0;
        for (const std::string& command : panelDefinitions()) {
            if (!client) {
                client = TcpSocket::connectTo(kLoopbackAddress, m_port, 5000, error);
                EXPECT_TRUE(client) << error;
            }
            EXPECT_TRUE(client->sendAll(command));
            EXPECT_TRUE(m_simulator->waitForCommands(++count, std::chrono::seconds(10)));
            if (closeAfter > 0 && count % static_cast<size_t>(closeAfter) == 0) {
                EXPECT_TRUE(m_simulator->waitForClosedConnections(++closed, std::chrono::seconds(10)));
                client.reset();
            }
        }
        if (client) {
            client->close();
            EXPECT_TRUE(m_simulator->waitForClosedConnections(++closed, std::chrono::seconds(10)));
        }
    }

    uint16_t port() const { return m_port; }

private:
    std::unique_ptr<sim::PanelSimulator> m_simulator;
    uint16_t m_port = 0;
};

// A new project, made once: each read gets a copy of it.
const std::string& newProjectFile() {
    static TempDir dir;
    static const std::string path = [] {
        const std::string file = dir.file("new.db");
        FormMirror mirror;
        MessageQueue queue;
        FastClock clock(50);
        Session session(mirror, queue, clock);
        EXPECT_TRUE(session.project().newProject(file));
        EXPECT_TRUE(MessagePump(queue, session).flush());
        session.shutdown();
        return file;
    }();
    return path;
}

// Reads the panel into a copy of a new project file, as velkctl read does; storeComplete as
// --partial.
ReadRun readPanel(uint16_t port, bool storeComplete = false) {
    TempDir dir;
    const std::string path = dir.file("p.db");
    std::filesystem::copy_file(newProjectFile(), path);
    FormMirror mirror;
    MessageQueue queue;
    FastClock clock(50);
    ReadRun run;
    {
        Session session(mirror, queue, clock);
        MessagePump pump(queue, session);
        EXPECT_TRUE(session.project().openProject(path));
        EXPECT_TRUE(pump.flush());
        DeviceSession& device = session.device();
        device.connectOrDisconnect(kLoopbackAddress, port);
        EXPECT_TRUE(pump.runUntil([&] { return device.linkState() == LinkState::Connected; }, 10000));
        EXPECT_TRUE(device.read(ReadMode::AllOrNothing));
        pump.runUntil([&] { return !device.reading(); }, 30000);
        // The grace period velkctl gives the replies after the last request.
        pump.runUntil([&] { return device.readAnswered() || device.linkState() != LinkState::Connected; },
                      1500);
        run.lost = device.lastReadLostLink() || device.linkState() != LinkState::Connected;
        run.result = device.finishRead(storeComplete);
        EXPECT_TRUE(pump.flush());
        run.memory = std::make_unique<ReadRows>(session.project().model());
        session.shutdown();
    }
    Session reopened(mirror, queue, clock);
    EXPECT_TRUE(reopened.project().openProject(path));
    EXPECT_TRUE(MessagePump(queue, reopened).flush());
    run.file = std::make_unique<ReadRows>(reopened.project().model());
    reopened.shutdown();
    return run;
}

// A new project's rows: what a read that stores nothing leaves.
ReadRows untouchedRows() {
    FormMirror mirror;
    MessageQueue queue;
    FastClock clock(50);
    Session session(mirror, queue, clock);
    EXPECT_TRUE(session.project().openProject(newProjectFile()));
    EXPECT_TRUE(MessagePump(queue, session).flush());
    ReadRows rows(session.project().model());
    session.shutdown();
    return rows;
}

const ReadRows& directRead() {
    static const ReadRows rows = [] {
        FaultyPanel panel({});
        ReadRun run = readPanel(panel.port());
        EXPECT_TRUE(run.result.complete);
        return *run.file;
    }();
    return rows;
}

sim::ReplyFaults faults(void (*set)(sim::ReplyFaults&)) {
    sim::ReplyFaults chosen;
    chosen.pattern = 21;
    set(chosen);
    return chosen;
}

// Re-chunking keeps every byte: every row is read exactly as directly, and the read succeeds.
TEST(ReadFaults, ReChunkedRepliesAreReadExactlyAsDirectly) {
    ASSERT_NE(directRead(), untouchedRows()) << "the panel's values must differ from a new project's";
    struct Case {
        const char* name;
        sim::ReplyFaults faults;
    };
    const Case cases[] = {
        {"one byte per send", faults([](sim::ReplyFaults& f) { f.bytewise = true; })},
        {"cut at random, no delay", faults([](sim::ReplyFaults& f) { f.cutMaxMs = 0; })},
        {"cut at random, up to 300 ms between the pieces",
         faults([](sim::ReplyFaults& f) { f.cutMaxMs = 300; })},
        {"two joined", faults([](sim::ReplyFaults& f) { f.join = 2; })},
        {"three joined", faults([](sim::ReplyFaults& f) { f.join = 3; })},
        {"three joined and cut", faults([](sim::ReplyFaults& f) {
             f.join = 3;
             f.cutMaxMs = 0;
         })},
    };
    for (const Case& c : cases) {
        FaultyPanel panel(c.faults);
        ReadRun run = readPanel(panel.port());
        EXPECT_TRUE(run.result.complete) << c.name << ": " << ::testing::PrintToString(run.result.problems);
        EXPECT_TRUE(run.result.problems.empty()) << c.name;
        EXPECT_TRUE(*run.memory == directRead()) << c.name;
        EXPECT_TRUE(*run.file == directRead()) << c.name;
    }
}

// Noise holding control bytes, lost replies, a dropped connection: nothing is stored, the rows
// are named; with storeComplete every row stored is the panel's own value.
TEST(ReadFaults, SoiledOrLostRepliesStoreNothingTheMachineDidNotSend) {
    struct Case {
        const char* name;
        sim::ReplyFaults faults;
        int closeAfter;
        std::vector<std::string> someProblems;
    };
    const Case cases[] = {
        {"noise glued in front of every reply",
         faults([](sim::ReplyFaults& f) { f.noise = true; }),
         0,
         {"E1: reply dropped: holds a control byte", "TCP4: reply dropped: holds a control byte"}},
        {"noise and cuts",
         faults([](sim::ReplyFaults& f) {
             f.noise = true;
             f.cutMaxMs = 0;
         }),
         0,
         {"V1: reply dropped: holds a control byte"}},
        {"every third reply lost",
         faults([](sim::ReplyFaults& f) { f.dropEvery = 3; }),
         0,
         {"E3: no answer", "V2: no answer", "TCP4: no answer"}},
        {"connection dropped after five requests", {}, 5, {"E6: no answer", "UDP2: no answer"}},
    };
    const ReadRows untouched = untouchedRows();
    for (const Case& c : cases) {
        for (bool storeComplete : {false, true}) {
            FaultyPanel panel(c.faults, c.closeAfter);
            ReadRun run = readPanel(panel.port(), storeComplete);
            EXPECT_FALSE(run.result.complete) << c.name;
            for (const std::string& problem : c.someProblems) {
                EXPECT_NE(std::find(run.result.problems.begin(), run.result.problems.end(), problem),
                          run.result.problems.end())
                    << c.name << ": " << problem << " in " << ::testing::PrintToString(run.result.problems);
            }
            EXPECT_EQ(run.result.problems.size() + static_cast<size_t>(run.result.answered), 26u) << c.name;
            EXPECT_EQ(run.lost, c.closeAfter > 0) << c.name;
            if (!storeComplete) {
                EXPECT_TRUE(*run.file == untouched) << c.name << ": a row was stored";
                continue;
            }
            // Row by row: the panel's value or the one the file held, never a third.
            const ReadRows& direct = directRead();
            for (int key = 0; key < kEnumCount; ++key) {
                EXPECT_TRUE(run.file->enums[key] == direct.enums[key] ||
                            run.file->enums[key] == untouched.enums[key])
                    << c.name << " E" << key + 1;
            }
            for (int key = 0; key < kVariableCount; ++key) {
                EXPECT_TRUE(run.file->variables[key] == direct.variables[key] ||
                            run.file->variables[key] == untouched.variables[key])
                    << c.name << " V" << key + 1;
            }
            for (int key = 0; key < kNetTargetCount; ++key) {
                EXPECT_TRUE(run.file->targets[key] == direct.targets[key] ||
                            run.file->targets[key] == untouched.targets[key])
                    << c.name << " target " << key + 1;
            }
        }
    }
}

}  // namespace
}  // namespace velk::test
