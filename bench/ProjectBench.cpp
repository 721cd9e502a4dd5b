// Times the project file: opening a maximal project until its last row is in the model, New on a
// fresh file until its last statement is committed, and one edit until it is committed.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/StrPrintf.h"
#include "project/Statements.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace velk;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    double median = 0;
    double max = 0;
};

Figures summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.back()};
}

SendData dataWithSixBlanks(int slot) {
    SendData data;
    data.varNum = 6;
    data.type = kAscii;
    for (int n = 0; n <= 6; ++n) {
        data.texts.push_back(strprintf("segment %d of action %d with text", n, slot));
    }
    for (int n = 0; n < 6; ++n) {
        Placeholder p;
        p.kind = n % 3;
        p.digits = 3;
        p.enumIndex = 1 + n;
        p.varIndex = 2 + n;
        data.placeholders.push_back(p);
    }
    return data;
}

KeyAction dataAction(int slot, int id) {
    KeyAction data;
    data.id = id;
    if (slot % 2 == 0) {
        data.function = FunctionCode::Network;
        data.network = dataWithSixBlanks(slot);
        data.network.ip = 0xC0A80101;
        data.network.port = 4800;
    } else {
        data.function = FunctionCode::Serial;
        static_cast<SendData&>(data.serial) = dataWithSixBlanks(slot);
    }
    return data;
}

// Every slot holds a full action list; six blanks in each data action, ten values per enumeration.
std::vector<std::string> maximalProjectScript() {
    std::vector<std::string> script = {sql::kCreateVariable, sql::kCreateNetTable, sql::kCreateEnumTable,
                                       sql::kCreateKeyOherData};
    for (int slot = 0; slot < kSlotCount; ++slot) {
        script.push_back(sql::createKeyTable(slot));
        int id = 0;
        if (slot % 3 != 2) {
            for (FunctionCode function : {FunctionCode::Infrared, FunctionCode::Io, FunctionCode::Relay}) {
                KeyAction a;
                a.function = function;
                a.irChannels = a.ioChannels = a.relayChannels = 15;
                a.id = id++;
                script.push_back(sql::insertAction(slot, a));
            }
        }
        script.push_back(sql::insertAction(slot, dataAction(slot, id++)));
        KeyAction key;
        key.function = FunctionCode::Key;
        key.keyChannel = 3;
        key.id = id++;
        script.push_back(sql::insertAction(slot, key));
        EventSettings s{1, 300, 1, 5000, 1, "AT+APPEND=" + std::to_string(slot)};
        script.push_back(sql::insertEventSettings(slot, s));
    }
    for (int i = 1; i <= kEnumCount; ++i) {
        EnumVariable e;
        e.index = i;
        e.data.clear();
        for (int k = 0; k < 10; ++k) {
            e.data.push_back(strprintf("value%02d", k));
        }
        script.push_back(sql::insertEnum(e));
    }
    for (int i = 1; i <= kVariableCount; ++i) {
        script.push_back(sql::insertVariable(Variable{i, 0, i, 1000, 1}));
    }
    for (int i = 1; i <= kNetTargetCount; ++i) {
        script.push_back(sql::insertNetTarget(NetTarget{0xC0A80100u + static_cast<uint32_t>(i), 4800, i}));
    }
    return script;
}

bool writeMaximalProject(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const std::string& statement : maximalProjectScript()) {
        ok = ok && sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void print(const char* what, const Figures& f, int runs) {
    std::printf("%-44s median %8.2f ms   max %8.2f ms   (%d runs)\n", what, f.median, f.max, runs);
}

}  // namespace

int main() {
    velk::test::TempDir dir;
    const std::string maximal = dir.file("maximal.db");
    if (!writeMaximalProject(maximal)) {
        std::fprintf(stderr, "project_bench: cannot write %s\n", maximal.c_str());
        return 1;
    }

    constexpr int kOpenRuns = 30;
    std::vector<double> open;
    size_t actionCount = 0;
    for (int run = 0; run < kOpenRuns; ++run) {
        MessageQueue queue;
        FormMirror observer;
        ProjectSession session(observer, queue);
        auto start = Clock::now();
        if (!session.openProject(maximal) || !MessagePump(queue, session).flush()) {
            std::fprintf(stderr, "project_bench: open failed\n");
            return 1;
        }
        open.push_back(millisecondsSince(start));
        actionCount = 0;
        for (const auto& list : session.model().actions) {
            actionCount += list.size();
        }
    }

    constexpr int kNewRuns = 15;
    std::vector<double> fresh;
    for (int run = 0; run < kNewRuns; ++run) {
        MessageQueue queue;
        FormMirror observer;
        ProjectSession session(observer, queue);
        auto start = Clock::now();
        if (!session.newProject(dir.file(strprintf("new%d.db", run))) ||
            !MessagePump(queue, session).flush()) {
            std::fprintf(stderr, "project_bench: new failed\n");
            return 1;
        }
        fresh.push_back(millisecondsSince(start));
    }

    constexpr int kEditRuns = 200;
    std::vector<double> edit;
    {
        MessageQueue queue;
        FormMirror observer;
        ProjectSession session(observer, queue);
        if (!session.openProject(maximal) || !MessagePump(queue, session).flush()) {
            return 1;
        }
        session.selectEvent(1);
        for (int run = 0; run < kEditRuns; ++run) {
            auto start = Clock::now();
            session.commitVariable(Variable{1 + run % 16, 0, run, 1000, 0});
            if (!MessagePump(queue, session).flush()) {
                return 1;
            }
            edit.push_back(millisecondsSince(start));
        }
        if (!observer.messages.empty()) {
            std::fprintf(stderr, "project_bench: %s\n", observer.messages.front().text.c_str());
            return 1;
        }
    }

    std::printf("maximal project: %zu actions in 60 slots\n", actionCount);
    print("open maximal project, last row in model", summarize(open), kOpenRuns);
    print("new on a fresh file, last statement committed", summarize(fresh), kNewRuns);
    print("one edit, committed", summarize(edit), kEditRuns);
    return 0;
}
