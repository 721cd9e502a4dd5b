#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "sim/PanelSimulator.h"
#include "site/PanelResult.h"
#include "site/ProgressBoard.h"
#include "site/SiteRun.h"
#include "site/StopSwitch.h"

namespace velk::test {

// A project small enough to write in a fraction of a second with the real pacing: one enumerated
// variable, one variable, one target and one event with a relay action; variant changes the
// values, so two variants give two different command streams.
ConfigModel shortModel(int variant);

// Simulated panels on free ports of 127.0.0.1, each with its own options.
class SimulatedPanels {
public:
    explicit SimulatedPanels(const std::vector<sim::SimulatorOptions>& options);
    explicit SimulatedPanels(size_t count) : SimulatedPanels(std::vector<sim::SimulatorOptions>(count)) {}

    size_t size() const { return m_panels.size(); }
    sim::PanelSimulator& operator[](size_t index) { return *m_panels[index]; }
    PanelAddress address(size_t index) const { return {kLoopbackAddress, m_ports[index]}; }

private:
    std::vector<std::unique_ptr<sim::PanelSimulator>> m_panels;
    std::vector<uint16_t> m_ports;
};

// A port of 127.0.0.1 where nothing listens (it was free a moment ago).
uint16_t closedPort();

// One target per address, named "p0", "p1", ..., with the model of the same index.
std::vector<SiteTarget> targetsFor(const std::vector<PanelAddress>& addresses,
                                   const std::vector<std::shared_ptr<const ConfigModel>>& models);

// A site run from start to end: the board, the stop switch and the results.
struct SiteRunResult {
    std::vector<PanelResult> results;
    ProgressBoard::Snapshot last;
};
SiteRunResult writeSite(const std::vector<SiteTarget>& targets, const SiteRunOptions& options);

// Options whose clocks run 50 times faster than real time, for tests that wait out time-outs.
SiteRunOptions fastOptions();

// A project file made by the session as velkctl new makes one, with model's records in it.
void makeProjectFile(const std::string& path, const ConfigModel& model);
// What a project file holds, loaded as the form loads it.
ConfigModel loadProjectFile(const std::string& path);

}  // namespace velk::test
