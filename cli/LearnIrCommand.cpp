#include <cstdio>
#include <memory>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "device/IrLearning.h"

namespace velk::cli {
namespace {

struct LearnIrArguments {
    std::string id;
    PanelAddress panel;
};

int runLearnIr(const LearnIrArguments& arguments) {
    // Checked before connecting: a refused id sends nothing.
    IrLearnRequest request = learnIrCommand(arguments.id);
    if (!request.accepted()) {
        std::fprintf(stderr, "%s: %s\n", titleText(MessageTitle::Error), request.refusal.c_str());
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!runtime.connectPanel(arguments.panel)) {
        return kExitUnreachable;
    }
    runtime.session.device().learnIr(arguments.id);
    std::printf("sent\t%s\n", request.command.c_str());
    runtime.disconnectPanel();
    return kExitOk;
}

SubcommandRun define(CLI::App& command) {
    auto arguments = std::make_shared<LearnIrArguments>();
    addRequiredArgument(command, "ID", arguments->id, "The infrared id to learn, 1 to 64");
    addPanelOption(command, arguments->panel);
    return [arguments] { return runLearnIr(*arguments); };
}

const SubcommandRegistration kRegistration({"learn-ir", "Tell the panel to learn an infrared code", 70,
                                            define});

}  // namespace
}  // namespace velk::cli
