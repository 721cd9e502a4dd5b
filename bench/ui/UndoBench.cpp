// Times an undo of an action delete in the desktop program: from Ctrl+Z's undo until the
// re-inserted row is committed to the project file (the worker has run the insert), on a maximal
// project in the system's temporary folder. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QTemporaryDir>
#include <QUndoStack>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/MaximalProject.h"
#include "support/SqliteCli.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CVelkView.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    velk::ui::setAppSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
    const QString path = dir.filePath(QStringLiteral("maximal.db"));
    if (!velk::test::writeMaximalProject(path.toStdString())) {
        std::fprintf(stderr, "undo_bench: cannot write %s\n", qPrintable(path));
        return 1;
    }
    velk::ui::CVelkView view;
    view.openProjectFile(path);
    if (!view.settleProjectFile()) {
        std::fprintf(stderr, "undo_bench: the project did not load\n");
        return 1;
    }
    velk::ProjectSession& project = view.session().project();
    const std::string countRows = [] {
        std::string sql = "select 0";
        for (int slot = 0; slot < velk::kSlotCount; ++slot) {
            sql += " + (select count(*) from key_table" + std::to_string(slot) + ")";
        }
        return sql + ";";
    }();
    const std::string before = velk::test::runSqlite3(path.toStdString(), countRows);
    constexpr int kRuns = 200;
    std::vector<double> undos;
    std::vector<double> redos;
    for (int run = 0; run < kRuns; ++run) {
        const int slot = run % velk::kSelectableSlots;
        project.selectEvent(slot);
        project.deleteAction(1);
        if (!view.settleProjectFile()) {
            return 1;
        }
        auto start = Clock::now();
        view.undoStack().undo();
        if (!view.settleProjectFile()) {
            return 1;
        }
        undos.push_back(millisecondsSince(start));
        start = Clock::now();
        view.undoStack().redo();
        if (!view.settleProjectFile()) {
            return 1;
        }
        redos.push_back(millisecondsSince(start));
        view.undoStack().undo();  // the project stays maximal
        if (!view.settleProjectFile()) {
            return 1;
        }
    }
    // The undos really put every row back into the file.
    const std::string after = velk::test::runSqlite3(path.toStdString(), countRows);
    view.shutdown();
    if (after != before) {
        std::fprintf(stderr, "undo_bench: %s action rows before, %s after\n", before.c_str(), after.c_str());
        return 1;
    }
    std::sort(undos.begin(), undos.end());
    std::sort(redos.begin(), redos.end());
    auto print = [](const char* what, const std::vector<double>& sorted, const char* goal) {
        std::printf("%-42s median %6.2f ms   95%% %6.2f ms   max %6.2f ms   (%zu runs)%s\n", what,
                    sorted[sorted.size() / 2], sorted[sorted.size() * 95 / 100], sorted.back(), sorted.size(),
                    goal);
    };
    print("undo of an action delete, row in the file", undos, "   goal < 10 ms");
    print("redo (the delete again), in the file", redos, "");
    return 0;
}
