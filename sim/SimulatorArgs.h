#pragma once

#include <string>
#include <variant>
#include <vector>

#include "sim/PanelSimulator.h"

namespace velk::sim {

// The command line of velk-panel-sim.
struct SimulatorCommandLine {
    SimulatorOptions options;
    bool help = false;
    bool version = false;
};

extern const char* const kSimulatorUsage;

// The options, or the message naming what is wrong.
std::variant<SimulatorCommandLine, std::string> parseSimulatorArguments(const std::vector<std::string>& args);

}  // namespace velk::sim
