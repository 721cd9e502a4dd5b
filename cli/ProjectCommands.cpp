#include <cstdio>
#include <string>

#include "action/ActionText.h"
#include "cli/CliCommands.h"
#include "cli/CliRuntime.h"
#include "device/CommandLog.h"
#include "device/WritePlan.h"
#include "model/StrPrintf.h"
#include "session/RowTexts.h"

namespace velk::cli {

namespace {

bool oneFileArgument(const Args& args, const char* command) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: velkctl %s FILE\n", command);
        return false;
    }
    return true;
}

// The selector a slot stands for on the form; slots past 29 have none.
std::string slotTitle(int slot) {
    static const char* const kKeyEvents[] = {"按下", "弹起", "保持"};
    static const char* const kIoEvents[] = {"变低", "变高", "拉低"};
    int input = inputOf(slot);
    int event = eventOf(slot);
    if (slot >= kSelectableSlots) {
        return strprintf("[%d]", slot);
    }
    if (input <= 8) {
        return strprintf("[%d] 按键%d %s", slot, input, kKeyEvents[event]);
    }
    return strprintf("[%d] IO%d %s", slot, input - 8, kIoEvents[event]);
}

}  // namespace

int runNew(const Args& args) {
    if (!oneFileArgument(args, "new")) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!runtime.session.project().newProject(args[0])) {
        return kExitUsage;
    }
    if (!runtime.flushDatabase()) {
        std::fprintf(stderr, "velkctl: %s: the project was not written in time\n", args[0].c_str());
        return kExitUsage;
    }
    // A file that could not be written is told through a message.
    return runtime.observer.errorShown() ? kExitUsage : kExitOk;
}

int runShow(const Args& args) {
    if (!oneFileArgument(args, "show")) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!runtime.openAndLoad(args[0])) {
        return kExitUsage;
    }
    const FormMirror& form = runtime.observer;
    std::printf("枚举变量区\n");
    for (const EnumRowTexts& row : form.enumRows) {
        printRow(row);
    }
    std::printf("普通变量区\n");
    for (const VariableRowTexts& row : form.variableRows) {
        printRow(row);
    }
    std::printf("网络连接\n");
    for (const NetTargetRowTexts& row : form.netRows) {
        printRow(row);
    }
    const ConfigModel& model = runtime.session.project().model();
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const auto& actions = model.actions[static_cast<size_t>(slot)];
        const EventSettings& settings = model.eventSettings[static_cast<size_t>(slot)];
        if (actions.empty() && settings == EventSettings{}) {
            continue;
        }
        std::printf("%s\n", slotTitle(slot).c_str());
        for (const KeyAction& action : actions) {
            if (std::optional<ActionRowTexts> texts = actionRowTextsOf(action)) {
                printRow(*texts);
            }
        }
        EventSettingsTexts texts = eventSettingsTexts(slot, settings, true);
        std::printf("%s\n%s\n%s\n", texts.timeText.c_str(), texts.appendLine1.c_str(),
                    texts.appendLine2.c_str());
    }
    return std::fflush(stdout) == 0 ? kExitOk : kExitUsage;
}

int runCommands(const Args& args) {
    if (!oneFileArgument(args, "commands")) {
        return kExitUsage;
    }
    CliRuntime runtime;
    if (!runtime.openAndLoad(args[0])) {
        return kExitUsage;
    }
    for (const std::string& command : planCommands(buildWritePlan(runtime.session.project().model()))) {
        std::string line = escapeCommand(command);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? kExitOk : kExitUsage;
}

}  // namespace velk::cli
