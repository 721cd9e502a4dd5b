#include "cli/CliRuntime.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>

#include "cli/Subcommand.h"
#include "project/DbFailure.h"
#include "project/ProjectLock.h"

namespace velk {
namespace {

std::atomic<bool> g_errorShown{false};

// A message box's lines as one line of the terminal.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

bool errorWasShown() {
    return g_errorShown.load();
}

CliRuntime::CliRuntime() : session(observer, queue, clock), pump(queue, session) {
    observer.onMessage = [this](MessageTitle title, const std::string& text) {
        // The form shows a time-out or a dropped connection as a notice; here a failure reads
        // like every other error, with the form's own words after the file it concerns.
        const DeviceSession& device = session.device();
        const bool failedNotice =
            title == MessageTitle::Notice &&
            (device.lastWriteResult() == WriteResult::TimedOut ||
             device.lastWriteResult() == WriteResult::LinkLost || device.lastReadLostLink());
        if (title == MessageTitle::Error) {
            g_errorShown.store(true);
        }
        if (!failedNotice) {
            std::fprintf(stderr, "%s: %s\n", titleText(title), cli::terminalMessage(text).c_str());
            return;
        }
        const std::string where = subject.empty() ? std::string() : cli::terminalText(subject) + ": ";
        std::fprintf(stderr, "velkctl: %s%s\n", where.c_str(), oneLine(cli::terminalMessage(text)).c_str());
    };
    // A statement that did not reach the file fails the run, and its cause is printed as every
    // file problem is.
    observer.onSaveState = [this](const SaveState& state) {
        if (state.saved()) {
            return;
        }
        g_errorShown.store(true);
        std::fprintf(stderr, "velkctl: %s: %s\n", cli::terminalText(session.project().projectPath()).c_str(),
                     cli::terminalMessage(state.reason).c_str());
    };
}

bool refuseHeldProject(const std::string& path) {
    if (!ProjectLock::heldElsewhere(path)) {
        return false;
    }
    std::fprintf(stderr, "velkctl: %s: %s\n", cli::terminalText(path).c_str(), kHeldElsewhere);
    return true;
}

CliRuntime::~CliRuntime() {
    session.shutdown();
}

bool projectFileExists(const std::string& path) {
    std::error_code error;
    const std::string shown = cli::terminalText(path);
    if (std::filesystem::is_directory(path, error)) {
        std::fprintf(stderr, "velkctl: %s: is a directory, not a project file\n", shown.c_str());
        return false;
    }
    if (!std::filesystem::exists(path, error)) {
        std::fprintf(stderr, "velkctl: %s: no such project file\n", shown.c_str());
        return false;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "velkctl: %s: not a regular file\n", shown.c_str());
        return false;
    }
    return true;
}

bool CliRuntime::openAndLoad(const std::string& path) {
    if (!projectFileExists(path)) {
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
    subject = file;
    if (!openAndLoad(file)) {
        return cli::kExitUsage;
    }
    if (!connectPanel(panel)) {
        return cli::kExitUnreachable;
    }
    return cli::kExitOk;
}

}  // namespace velk
