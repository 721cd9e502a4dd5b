#include "SiteTestSupport.h"

#include <gtest/gtest.h>

#include "FakePanel.h"
#include "model/StrPrintf.h"
#include "session/IgnoringObserver.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "site/PanelWrite.h"
#include "site/SiteWriteLoop.h"

namespace velk::test {

ConfigModel shortModel(int variant) {
    ConfigModel model;
    model.reset();
    model.enums[0] = EnumVariable{1, kAscii, {"on", strprintf("off%d", variant)}};
    model.variables[1] = Variable{2, 0, 10 + variant, 100, 0};
    model.netTargets[4] = NetTarget{0xC0A80100u + static_cast<uint32_t>(variant), 6000, 5};
    KeyAction relay;
    relay.function = FunctionCode::Relay;
    relay.relayChannels = 1 + variant % 3;
    relay.relayOperation = 1;
    model.actions[static_cast<size_t>(1 + variant % 2)] = {relay};
    return model;
}

SimulatedPanels::SimulatedPanels(const std::vector<sim::SimulatorOptions>& options) {
    for (sim::SimulatorOptions one : options) {
        one.port = 0;
        auto panel = std::make_unique<sim::PanelSimulator>(one);
        std::string error;
        std::optional<uint16_t> port = panel->start(error);
        EXPECT_TRUE(port) << error;
        m_ports.push_back(port.value_or(0));
        m_panels.push_back(std::move(panel));
    }
}

uint16_t closedPort() {
    std::string error;
    auto listener = TcpListener::listenLoopback(0, error);
    EXPECT_TRUE(listener) << error;
    return listener ? listener->port() : 1;
}

std::vector<SiteTarget> targetsFor(const std::vector<PanelAddress>& addresses,
                                   const std::vector<std::shared_ptr<const ConfigModel>>& models) {
    std::vector<SiteTarget> targets;
    for (size_t i = 0; i < addresses.size(); ++i) {
        targets.push_back({strprintf("p%zu", i), addresses[i], "p.db", models[i % models.size()]});
    }
    return targets;
}

SiteRunResult writeSite(const std::vector<SiteTarget>& targets, const SiteRunOptions& options) {
    ProgressBoard board(targets.size());
    StopSwitch stop;
    SiteRun run(targets.size(), siteWriteAll(targets, options, board, stop));
    SiteRunResult result;
    result.results = run.join();
    result.last = board.take();
    return result;
}

SiteRunOptions fastOptions() {
    SiteRunOptions options;
    options.makeClock = [] { return std::make_unique<FastClock>(50); };
    return options;
}

void makeProjectFile(const std::string& path, const ConfigModel& model) {
    IgnoringObserver observer;
    MessageQueue queue;
    ProjectSession session(observer, queue);
    ASSERT_TRUE(session.newProject(path));
    MessagePump pump(queue, session);
    ASSERT_TRUE(pump.flush());
    for (const auto& [key, variable] : model.enums) {
        session.applyEnum(variable);
    }
    for (const auto& [key, variable] : model.variables) {
        session.applyVariable(variable);
    }
    for (const auto& [key, target] : model.netTargets) {
        session.applyNetTarget(target);
    }
    ASSERT_TRUE(pump.flush());
    ASSERT_TRUE(session.shutdown());
}

ConfigModel loadProjectFile(const std::string& path) {
    IgnoringObserver observer;
    MessageQueue queue;
    ProjectSession session(observer, queue);
    EXPECT_TRUE(session.openProject(path));
    MessagePump pump(queue, session);
    EXPECT_TRUE(pump.flush());
    ConfigModel model = session.model();
    EXPECT_TRUE(session.shutdown());
    return model;
}

}  // namespace velk::test
