#include "cli/CliRuntime.h"

#include <cstdio>
#include <filesystem>

#include "cli/Subcommand.h"

namespace velk {

CliRuntime::CliRuntime() : session(observer, queue, clock), pump(queue, session) {
    observer.onMessage = [](MessageTitle title, const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", titleText(title), text.c_str());
    };
}

CliRuntime::~CliRuntime() {
    session.shutdown();
}

bool CliRuntime::openAndLoad(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "velkctl: %s: no such project file\n", path.c_str());
        return false;
    }
    if (!session.project().openProject(path)) {
        return false;
    }
    if (!flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project did not load in time\n", path.c_str());
        return false;
    }
    return true;
}

bool CliRuntime::connectPanel(const PanelAddress& panel) {
    DeviceSession& device = session.device();
    device.connectOrDisconnect(panel.ip, panel.port);
    runUntil([&] { return device.linkState() != LinkState::Connecting; }, 30000);
    if (device.linkState() != LinkState::Connected) {
        std::fprintf(stderr, "velkctl: cannot reach the panel at %s: %s\n", panelAddressText(panel).c_str(),
                     device.lastLinkError().empty() ? "no answer" : device.lastLinkError().c_str());
        return false;
    }
    return true;
}

void CliRuntime::disconnectPanel() {
    DeviceSession& device = session.device();
    device.flushSends();
    if (device.linkState() == LinkState::Connected) {
        device.connectOrDisconnect(0, 0);
        runUntil([&] { return device.linkState() == LinkState::Closed; }, 5000);
    }
}

int CliRuntime::loadAndConnect(const std::string& file, const PanelAddress& panel) {
    if (!openAndLoad(file)) {
        return cli::kExitUsage;
    }
    if (!connectPanel(panel)) {
        return cli::kExitUnreachable;
    }
    return cli::kExitOk;
}

}  // namespace velk
