#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/CliCommands.h"
#include "cli/CliRuntime.h"
#include "device/IrLearning.h"
#include "device/PanelAddress.h"
#include "device/PanelNetwork.h"

namespace velk::cli {

namespace {

// A write ends by itself (every wait has a time-out), but a maximal project paces for minutes.
constexpr int kWriteLimitMs = 2 * 60 * 60 * 1000;
// Replies to the last read requests arrive within this after the requests are out.
constexpr int kReadGraceMs = 1500;
constexpr int kReplyWaitMs = 5000;

// Options of the form --name VALUE; positional arguments in order. False on anything unknown.
struct Options {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> named;

    const std::string* get(const std::string& name) const {
        for (const auto& [key, value] : named) {
            if (key == name) {
                return &value;
            }
        }
        return nullptr;
    }
};

bool parseOptions(const Args& args, const std::vector<std::string>& known, Options& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string name = arg.substr(2);
            if (std::find(known.begin(), known.end(), name) == known.end() || i + 1 >= args.size()) {
                std::fprintf(stderr, "velkctl: unknown or incomplete option '%s'\n", arg.c_str());
                return false;
            }
            options.named.emplace_back(name, args[++i]);
        } else {
            options.positional.push_back(arg);
        }
    }
    return true;
}

bool panelOf(const Options& options, PanelAddress& panel) {
    if (const std::string* text = options.get("panel")) {
        std::optional<PanelAddress> parsed = parsePanelAddress(*text);
        if (!parsed) {
            std::fprintf(stderr, "velkctl: --panel wants IP[:PORT], not '%s'\n", text->c_str());
            return false;
        }
        panel = *parsed;
    }
    return true;
}

// Connects the session's link; on failure says why and gives the exit status to use.
bool connectPanel(CliRuntime& runtime, const PanelAddress& panel) {
    DeviceSession& device = runtime.session.device();
    device.connectOrDisconnect(panel.ip, panel.port);
    runtime.runUntil([&] { return device.linkState() != LinkState::Connecting; }, 30000);
    if (device.linkState() != LinkState::Connected) {
        std::fprintf(stderr, "velkctl: cannot reach the panel at %s: %s\n", panelAddressText(panel).c_str(),
                     device.lastLinkError().empty() ? "no answer" : device.lastLinkError().c_str());
        return false;
    }
    return true;
}

// Hands every queued command to the socket, then closes the link and waits for its end.
void disconnectPanel(CliRuntime& runtime) {
    DeviceSession& device = runtime.session.device();
    device.flushSends();
    if (device.linkState() == LinkState::Connected) {
        device.connectOrDisconnect(0, 0);
        runtime.runUntil([&] { return device.linkState() == LinkState::Closed; }, 5000);
    }
}

bool addressOption(const Options& options, const char* name, uint32_t& address) {
    const std::string* text = options.get(name);
    if (text == nullptr) {
        return true;
    }
    if (!parseDottedAddress(*text, address)) {
        std::fprintf(stderr, "velkctl: --%s wants an IPv4 address, not '%s'\n", name, text->c_str());
        return false;
    }
    return true;
}

// One positional argument and --panel; says how to call the command when the arguments do not
// fit. usage names the command and its argument, e.g. "write FILE".
bool argumentAndPanel(const Args& args, const char* usage, std::string& argument, PanelAddress& panel) {
    Options options;
    if (!parseOptions(args, {"panel"}, options) || options.positional.size() != 1 ||
        !panelOf(options, panel)) {
        std::fprintf(stderr, "usage: velkctl %s [--panel IP[:PORT]]\n", usage);
        return false;
    }
    argument = options.positional[0];
    return true;
}

// Loads the project file and connects to the panel; kExitOk when both worked, else the exit
// status to end with.
int loadAndConnect(CliRuntime& runtime, const std::string& file, const PanelAddress& panel) {
    if (!runtime.openAndLoad(file)) {
        return kExitUsage;
    }
    if (!connectPanel(runtime, panel)) {
        return kExitUnreachable;
    }
    return kExitOk;
}

}  // namespace

int runWrite(const Args& args) {
    std::string file;
    PanelAddress panel;
    if (!argumentAndPanel(args, "write FILE", file, panel)) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (int status = loadAndConnect(runtime, file, panel); status != kExitOk) {
        return status;
    }
    DeviceSession& device = runtime.session.device();
    if (!device.write()) {
        std::fprintf(stderr, "velkctl: the write could not start\n");
        return kExitUnreachable;
    }
    // The clear wait reports 10 on every poll of its third second; show each position once.
    int shown = -1;
    runtime.runUntil(
        [&] {
            const std::vector<int>& progress = runtime.observer.progress;
            if (!progress.empty() && progress.back() != shown && progress.back() >= 0) {
                shown = progress.back();
                std::fprintf(stderr, "写入进度 %d/400\n", shown);
            }
            return !device.writing();
        },
        kWriteLimitMs);
    WriteResult result = device.lastWriteResult();
    disconnectPanel(runtime);
    return result == WriteResult::Succeeded ? kExitOk : kExitTimeout;
}

int runRead(const Args& args) {
    std::string file;
    PanelAddress panel;
    if (!argumentAndPanel(args, "read FILE", file, panel)) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (int status = loadAndConnect(runtime, file, panel); status != kExitOk) {
        return status;
    }
    DeviceSession& device = runtime.session.device();
    if (!device.read()) {
        std::fprintf(stderr, "velkctl: the read could not start\n");
        return kExitUnreachable;
    }
    runtime.runUntil([&] { return !device.reading(); }, 60000);
    runtime.pump.runFor(kReadGraceMs);
    disconnectPanel(runtime);
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: the project file was not written in time\n");
        return kExitUsage;
    }
    for (const auto& row : runtime.observer.enumRows) {
        printRow(row);
    }
    for (const auto& row : runtime.observer.variableRows) {
        printRow(row);
    }
    for (const auto& row : runtime.observer.netRows) {
        printRow(row);
    }
    return kExitOk;
}

int runLan(const Args& args) {
    Options options;
    PanelAddress panel;
    if (!parseOptions(args, {"panel", "ip", "mask", "gateway", "mac"}, options) ||
        !options.positional.empty() || !panelOf(options, panel)) {
        std::fprintf(stderr,
                     "usage: velkctl lan [--panel IP[:PORT]] [--ip A] [--mask M] [--gateway G] "
                     "[--mac XX.XX.XX.XX.XX.XX]\n");
        return kExitUsage;
    }
    std::optional<std::array<std::string, 6>> macParts;
    if (const std::string* mac = options.get("mac")) {
        macParts = splitMacText(*mac);
        if (!macParts) {
            std::fprintf(stderr, "velkctl: --mac wants six bytes as XX.XX.XX.XX.XX.XX, not '%s'\n",
                         mac->c_str());
            return kExitUsage;
        }
    }
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    if (!addressOption(options, "ip", ip) || !addressOption(options, "mask", mask) ||
        !addressOption(options, "gateway", gateway)) {
        return kExitUsage;
    }

    CliRuntime runtime;
    if (!connectPanel(runtime, panel)) {
        return kExitUnreachable;
    }
    DeviceSession& device = runtime.session.device();
    device.requestPanelNetwork();
    if (!runtime.runUntil([&] { return runtime.observer.panelNetwork.has_value(); }, kReplyWaitMs)) {
        std::fprintf(stderr, "velkctl: the panel did not report its network settings\n");
        disconnectPanel(runtime);
        return kExitUnreachable;
    }
    const PanelNetworkReply reply = *runtime.observer.panelNetwork;
    std::printf("ip\t%s\nmask\t%s\ngateway\t%s\nmac\t%s\ntcp port\t%d\nudp port\t%d\n",
                dottedAddress(reply.ip).c_str(), dottedAddress(reply.mask).c_str(),
                dottedAddress(reply.gateway).c_str(), macText(reply.mac).c_str(), reply.tcpPort,
                reply.udpPort);

    if (options.get("ip") || options.get("mask") || options.get("gateway") || options.get("mac")) {
        // The same form and checks as the panel network dialog's OK.
        PanelNetworkForm form = panelNetworkFormOf(reply);
        if (options.get("ip")) {
            form.ip = ip;
        }
        if (options.get("mask")) {
            form.mask = mask;
        }
        if (options.get("gateway")) {
            form.gateway = gateway;
        }
        if (macParts) {
            form.macTexts = *macParts;
        }
        auto checked = validatePanelNetworkForm(form);
        if (const std::string* error = std::get_if<std::string>(&checked)) {
            std::fprintf(stderr, "错误: %s\n", error->c_str());
            disconnectPanel(runtime);
            return kExitUsage;
        }
        const auto& edited = std::get<PanelNetworkSettings>(checked);
        for (const std::string& command : panelNetworkChanges(reply, edited)) {
            std::printf("sent\t%s\n", command.c_str());
        }
        device.applyPanelNetwork(reply, edited);
    }
    disconnectPanel(runtime);
    return kExitOk;
}

int runLearnIr(const Args& args) {
    std::string id;
    PanelAddress panel;
    if (!argumentAndPanel(args, "learn-ir ID", id, panel)) {
        return kExitUsage;
    }
    // Checked before connecting: a refused id sends nothing.
    IrLearnRequest request = learnIrCommand(id);
    if (!request.accepted()) {
        std::fprintf(stderr, "错误: %s\n", request.refusal.c_str());
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!connectPanel(runtime, panel)) {
        return kExitUnreachable;
    }
    runtime.session.device().learnIr(id);
    std::printf("sent\t%s\n", request.command.c_str());
    disconnectPanel(runtime);
    return kExitOk;
}

}  // namespace velk::cli
