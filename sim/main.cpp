#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "device/PanelAddress.h"
#include "device/TcpSocket.h"
#include "model/Version.h"
#include "sim/FactoryLine.h"
#include "sim/Folders.h"
#include "sim/LinePrinter.h"
#include "sim/PanelGroup.h"
#include "sim/PanelSimulator.h"
#include "sim/SimulatorArgs.h"

// velk-panel-sim: a panel on 127.0.0.1:4800 (or several on neighbouring ports) to try a project
// without hardware.
int main(int argc, char** argv) {
    using namespace velk::sim;
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseSimulatorArguments(args);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
        std::cerr << "velk-panel-sim: " << *message << "\n" << simulatorUsage();
        return 1;
    }
    SimulatorCommandLine line = std::get<SimulatorCommandLine>(parsed);
    if (line.help) {
        std::cout << simulatorUsage();
        return 0;
    }
    if (line.version) {
        std::cout << "velk-panel-sim " << velk::kVelkVersion << "\n";
        return 0;
    }

    velk::raiseOpenFileLimit();  // a listener and a connection per panel
    // The signals are taken by sigwait below; the server threads started after this inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // Every line goes through one printer, so the lines of several panels never mix.
    LinePrinter printer(stdout);
    auto printLine = [&printer](const std::string& text) { printer.print(text); };
    const std::string& stateFolder = line.options.stateFolder;
    if (std::string error; !stateFolder.empty() && !makeFolder(stateFolder, "state", error)) {
        std::cerr << "velk-panel-sim: " << error << "\n";
        return 1;
    }

    std::unique_ptr<PanelSimulator> single;
    std::unique_ptr<PanelGroup> group;
    std::unique_ptr<FactoryLine> factory;
    std::string error;
    if (line.factory > 0) {
        factory = std::make_unique<FactoryLine>(line, printLine);
        std::optional<uint16_t> port = factory->start(error);
        if (!port) {
            std::cerr << "velk-panel-sim: " << error << "\n";
            return 1;
        }
        printLine("listening on " + velk::panelAddressText({line.options.address, *port}));
    } else if (line.panels == 1) {
        SimulatorOptions options = panelOptions(line, line.options.port, 0);
        options.onEvent = printLine;
        single = std::make_unique<PanelSimulator>(options);
        if (!single->start(error)) {
            std::cerr << "velk-panel-sim: " << error << "\n";
            return 1;
        }
    } else {
        group = std::make_unique<PanelGroup>(line, printLine);
        std::optional<uint16_t> base = group->start(error);
        if (!base) {
            std::cerr << "velk-panel-sim: " << error << "\n";
            return 1;
        }
        if (line.addressStep) {
            printLine("listening on " + velk::dottedAddress(line.options.address) + ".." +
                      velk::panelAddressText(
                          {line.options.address + static_cast<uint32_t>(line.panels - 1), *base}));
        } else {
            printLine("listening on " + velk::panelAddressText({line.options.address, *base}) + ".." +
                      std::to_string(*base + line.panels - 1));
        }
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    printLine("signal " + std::to_string(signal) + ", stopping");
    if (single) {
        single->stop();
    } else if (group) {
        group->stop();
    } else {
        factory->stop();
    }
    return 0;
}
