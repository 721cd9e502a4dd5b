// Times the text form of a maximal project: export (file to text), reading and checking a text,
// and import (text to a new project file, read back and moved into place).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/StrPrintf.h"
#include "project/ProjectReader.h"
#include "session/ProjectImport.h"
#include "textform/TextReader.h"
#include "textform/TextWriter.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace velk;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Every list row filled, and every event with the most a file holds that the editor makes: one
// action of each kind (none but data on hold events), ten blanks, segments at the composer's limit.
ConfigModel maximalProject() {
    ConfigModel model;
    model.reset();
    for (int i = 1; i <= kEnumCount; ++i) {
        EnumVariable e{i, i % 2, {}};
        for (int k = 0; k < 10; ++k) {
            e.data.push_back(i % 2 == 0 ? strprintf("value %02d 中文", k) : "01 02 03 04 05 06 07 08 09 0a");
        }
        model.setEnum(i - 1, e);
    }
    for (int i = 1; i <= kVariableCount; ++i) {
        model.setVariable(i - 1, Variable{i, -i, i, 1000 * i, i % 2});
    }
    for (int i = 1; i <= kNetTargetCount; ++i) {
        model.setNetTarget(i - 1, NetTarget{0xC0A80100u + static_cast<uint32_t>(i), 4800, i});
    }
    for (int slot = 0; slot < kSlotCount; ++slot) {
        auto& actions = model.actions[static_cast<size_t>(slot)];
        int id = 0;
        if (slot % 3 != 2) {
            for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
                KeyAction& a = actions.emplace_back();
                a.function = function;
                a.id = id++;
                // Only the fields of the action's own function: the file holds no others.
                if (function == FunctionCode::Infrared) {
                    a.irChannels = 15;
                    a.irCode = 64;
                } else {
                    (function == FunctionCode::Io ? a.ioChannels : a.relayChannels) = 3;
                }
            }
        }
        KeyAction data;
        data.id = id++;
        data.function = slot % 2 == 0 ? FunctionCode::Network : FunctionCode::Serial;
        SendData& send = slot % 2 == 0 ? data.network : static_cast<SendData&>(data.serial);
        send.varNum = 10;
        send.texts.assign(11, std::string(200, 'A'));
        for (int k = 0; k < 10; ++k) {
            Placeholder p;
            p.kind = k % 3;
            p.digits = 10;
            if (p.kind == kKindEnum) {
                p.enumIndex = k;
                p.groupIndex = 19;
            } else if (p.kind == kKindVar) {
                p.varIndex = k;
                p.step = 5;
            } else {
                p.modeIndex = 2;
                p.countIndex = 4;
            }
            send.placeholders.push_back(p);
        }
        actions.push_back(data);
        model.eventSettings[static_cast<size_t>(slot)] = {
            slot % 3 != 0, 300, slot % 3 != 2, 5000, 1, "AT+APPEND=" + std::to_string(slot) + " 追加"};
    }
    return model;
}

void print(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-46s median %8.2f ms   max %8.2f ms   (%zu runs)\n", what, samples[samples.size() / 2],
                samples.back(), samples.size());
}

}  // namespace

int main() {
    char folderName[] = "/tmp/velk-text-bench-XXXXXX";
    if (mkdtemp(folderName) == nullptr) {
        std::perror("project_text_bench");
        return 1;
    }
    const std::filesystem::path folder = folderName;
    const std::string maximal = (folder / "maximal.db").string();
    const ConfigModel model = maximalProject();
    ImportOutcome written = importProject(model, maximal, false);
    if (!written.ok) {
        std::fprintf(stderr, "project_text_bench: %s\n", written.error.c_str());
        return 1;
    }

    constexpr int kRuns = 30;
    std::vector<double> exportTimes;
    std::vector<double> readTimes;
    std::vector<double> importTimes;
    std::string text;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        ProjectLoad load = loadProjectReadOnly(maximal);
        text = load.model ? text::exportText(*load.model) : std::string();
        exportTimes.push_back(millisecondsSince(start));

        start = Clock::now();
        text::TextRead read = text::readText(text);
        readTimes.push_back(millisecondsSince(start));
        if (read.hasErrors()) {
            std::fprintf(stderr, "project_text_bench: the text does not read back\n");
            return 1;
        }

        start = Clock::now();
        text::TextRead again = text::readText(text);
        ImportOutcome outcome = importProject(again.model, (folder / "imported.db").string(), true);
        importTimes.push_back(millisecondsSince(start));
        if (!outcome.ok) {
            std::fprintf(stderr, "project_text_bench: %s\n", outcome.error.c_str());
            return 1;
        }
    }
    std::filesystem::remove_all(folder);

    size_t actions = 0;
    for (const auto& list : model.actions) {
        actions += list.size();
    }
    std::printf("maximal project: %zu actions in 60 slots, text of %zu bytes\n", actions, text.size());
    print("export: project file read-only to text", exportTimes);
    print("read and check the text", readTimes);
    print("import: text to a new project file in place", importTimes);
    return 0;
}
