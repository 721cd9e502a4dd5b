#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "model/Version.h"
#include "sim/PanelSimulator.h"
#include "sim/SimulatorArgs.h"

// velk-panel-sim: a panel on 127.0.0.1:4800 to try a project without hardware.
int main(int argc, char** argv) {
    using namespace velk::sim;
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseSimulatorArguments(args);
    if (const auto* message = std::get_if<std::string>(&parsed)) {
        std::cerr << "velk-panel-sim: " << *message << "\n" << kSimulatorUsage;
        return 1;
    }
    SimulatorCommandLine line = std::get<SimulatorCommandLine>(parsed);
    if (line.help) {
        std::cout << kSimulatorUsage;
        return 0;
    }
    if (line.version) {
        std::cout << "velk-panel-sim " << velk::kVelkVersion << "\n";
        return 0;
    }
    line.options.onEvent = [](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };

    // The signals are taken by sigwait below; the server thread started after this inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PanelSimulator simulator(line.options);
    std::string error;
    if (!simulator.start(error)) {
        std::cerr << "velk-panel-sim: " << error << "\n";
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::printf("signal %d, stopping\n", signal);
    std::fflush(stdout);
    simulator.stop();
    return 0;
}
