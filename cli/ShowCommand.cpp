#include <cstdio>
#include <memory>
#include <string>

#include "action/ActionText.h"
#include "cli/Arguments.h"
#include "cli/CliRuntime.h"
#include "cli/Subcommand.h"
#include "cli/TextFiles.h"
#include "model/StrPrintf.h"
#include "session/RowTexts.h"

namespace velk::cli {
namespace {

// The selector a slot stands for on the form; slots past 29 have none.
std::string slotTitle(int slot) {
    if (slot >= kSelectableSlots) {
        return strprintf("[%d]", slot);
    }
    return strprintf("[%d] %s", slot, eventName(slot).c_str());
}

// The project is read without opening it as the form does, so the file stays exactly as it was.
int runShow(const std::string& file) {
    std::optional<ConfigModel> loaded = loadProjectFile(file, MissingTables::Refuse);
    if (!loaded) {
        return kExitUsage;
    }
    const ConfigModel& model = *loaded;
    std::printf("枚举变量区\n");
    for (int row = 0; row < kEnumCount; ++row) {
        printRow(enumRowTexts(row, model.enumAt(row)));
    }
    std::printf("普通变量区\n");
    for (int row = 0; row < kVariableCount; ++row) {
        printRow(variableRowTexts(row, model.variableAt(row)));
    }
    std::printf("网络连接\n");
    for (int row = 0; row < kNetTargetCount; ++row) {
        printRow(netTargetRowTexts(row, model.netTargetAt(row)));
    }
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
                    terminalText(texts.appendLine2).c_str());
    }
    return standardOutputWritten() ? kExitOk : kExitUsage;
}

SubcommandRun define(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    addProjectFile(command, *file);
    return [file] { return runShow(*file); };
}

const SubcommandRegistration kRegistration({"show", "Print the texts the form shows for a project", 20,
                                            define});

}  // namespace
}  // namespace velk::cli
