#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "sim/PanelSimulator.h"

namespace velk::sim {

// A fault switch that names one panel of several: "--drop-ack exit@4805" (its port) or
// "--drop-ack exit@+3" (the fourth panel, BASE+3, for when --port 0 picks the ports).
struct PanelFault {
    enum Kind { DropAck, DelayAck, CloseAfter };
    Kind kind = DropAck;
    WriteAck ack = ACK_NONE;
    int value = 0;  // milliseconds of a delay, commands of a close
    bool relative = false;
    int panel = 0;  // the port, or the offset from the first port when relative
};

// The command line of velk-panel-sim.
struct SimulatorCommandLine {
    // Every panel's options; with several panels, logPath names the folder of their logs.
    SimulatorOptions options;
    int panels = 1;  // served on options.port .. options.port + panels - 1
    // The panels stand on neighbouring addresses (options.address + K) with one port instead, each
    // reporting its own address and a MAC of its own, as a floor of panels does to a scan.
    bool addressStep = false;
    std::vector<PanelFault> panelFaults;
    // Panels from the box: this many, one after another at the factory address (0: none), each
    // restarting this long when given new network settings.
    int factory = 0;
    int restartMs = 1000;
    bool help = false;
    bool version = false;
};

std::string simulatorUsage();

// The most panels one simulator serves.
constexpr int kMaxPanels = 1000;

// The options, or the message naming what is wrong.
std::variant<SimulatorCommandLine, std::string> parseSimulatorArguments(const std::vector<std::string>& args);

// The options of the panel at basePort + index (or at the index-th address from the first with
// addressStep): the common ones with the faults that name it. With several panels its log is
// PORT.log in the log folder (ADDRESS.log with addressStep).
SimulatorOptions panelOptions(const SimulatorCommandLine& line, uint16_t basePort, int index);

}  // namespace velk::sim
