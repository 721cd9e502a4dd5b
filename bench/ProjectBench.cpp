// Times the project file: opening a maximal project until its last row is in the model, New on a
// fresh file until its last statement is committed, and one edit until it is committed; and what
// the check that the file is still as velk left it adds to each statement.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/StrPrintf.h"
#include "project/DbWorker.h"
#include "session/FormMirror.h"
#include "session/MessagePump.h"
#include "session/ProjectSession.h"
#include "support/MaximalProject.h"
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

void print(const char* what, const Figures& f, int runs) {
    std::printf("%-44s median %8.2f ms   max %8.2f ms   (%d runs)\n", what, f.median, f.max, runs);
}

}  // namespace

int main() {
    velk::test::TempDir dir;
    const std::string maximal = dir.file("maximal.db");
    if (!velk::test::writeMaximalProject(maximal)) {
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

    // The worker looks at the file before a statement and records it after.
    constexpr int kCheckRuns = 20000;
    double checkMicroseconds = 0;
    {
        std::string reason;
        std::shared_ptr<DbConnection> connection = DbConnection::open(maximal, reason);
        if (!connection) {
            std::fprintf(stderr, "project_bench: %s\n", reason.c_str());
            return 1;
        }
        auto start = Clock::now();
        for (int run = 0; run < kCheckRuns; ++run) {
            if (!connection->watch().changedUnderneath().empty()) {
                std::fprintf(stderr, "project_bench: the file changed underneath\n");
                return 1;
            }
            connection->watch().noteOwnWrite();
        }
        checkMicroseconds = millisecondsSince(start) * 1000.0 / kCheckRuns;
    }

    std::printf("maximal project: %zu actions in 60 slots\n", actionCount);
    print("open maximal project, last row in model", summarize(open), kOpenRuns);
    print("new on a fresh file, last statement committed", summarize(fresh), kNewRuns);
    print("one edit, committed", summarize(edit), kEditRuns);
    std::printf("%-44s mean   %8.2f us   (%d runs)\n", "file check before and after a statement",
                checkMicroseconds, kCheckRuns);
    return 0;
}
