#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "device/PanelNetwork.h"

namespace velk::cli {
namespace {

constexpr int kReplyWaitMs = 5000;

struct LanArguments {
    PanelAddress panel;
    std::optional<uint32_t> ip;
    std::optional<uint32_t> mask;
    std::optional<uint32_t> gateway;
    std::optional<std::array<std::string, 6>> mac;

    bool changesSomething() const { return ip || mask || gateway || mac; }
};

int runLan(const LanArguments& arguments) {
    CliRuntime runtime;
    if (!runtime.connectPanel(arguments.panel)) {
        return kExitUnreachable;
    }
    DeviceSession& device = runtime.session.device();
    device.requestPanelNetwork();
    if (!runtime.runUntil([&] { return runtime.observer.panelNetwork.has_value(); }, kReplyWaitMs)) {
        std::fprintf(stderr, "velkctl: the panel did not report its network settings\n");
        runtime.disconnectPanel();
        return kExitUnreachable;
    }
    const PanelNetworkReply reply = *runtime.observer.panelNetwork;
    std::printf("ip\t%s\nmask\t%s\ngateway\t%s\nmac\t%s\ntcp port\t%d\nudp port\t%d\n",
                dottedAddress(reply.ip).c_str(), dottedAddress(reply.mask).c_str(),
                dottedAddress(reply.gateway).c_str(), macText(reply.mac).c_str(), reply.tcpPort,
                reply.udpPort);

    if (arguments.changesSomething()) {
        // The same form and checks as the panel network dialog's OK.
        PanelNetworkForm form = panelNetworkFormOf(reply);
        form.ip = arguments.ip.value_or(form.ip);
        form.mask = arguments.mask.value_or(form.mask);
        form.gateway = arguments.gateway.value_or(form.gateway);
        form.macTexts = arguments.mac.value_or(form.macTexts);
        auto checked = validatePanelNetworkForm(form);
        if (const std::string* error = std::get_if<std::string>(&checked)) {
            std::fprintf(stderr, "%s: %s\n", titleText(MessageTitle::Error), error->c_str());
            runtime.disconnectPanel();
            return kExitUsage;
        }
        const auto& edited = std::get<PanelNetworkSettings>(checked);
        for (const std::string& command : panelNetworkChanges(reply, edited)) {
            std::printf("sent\t%s\n", command.c_str());
        }
        device.applyPanelNetwork(reply, edited);
    }
    runtime.disconnectPanel();
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<LanArguments>();
    addPanelOption(command, arguments->panel);
    addAddressOption(command, "ip", "The panel's new IP address", arguments->ip);
    addAddressOption(command, "mask", "The panel's new subnet mask", arguments->mask);
    addAddressOption(command, "gateway", "The panel's new gateway", arguments->gateway);
    addMacOption(command, arguments->mac);
    return [arguments] { return runLan(*arguments); };
}

const SubcommandRegistration kRegistration({"lan", "Show the panel's network settings; change those given",
                                            60, define});

}  // namespace
}  // namespace velk::cli
