// Times the desktop program's start with a maximal project on the command line: from making the
// main window until it is on the screen with every row of the project in its lists and the
// overview drawn, as `velk PROJECT.db` does (the first run also pays for Qt's own start: fonts,
// styles, translations). Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFont>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/MaximalProject.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"
#include "ui/common/Translations.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One start: the window made, the project opened, shown, every row in, the overview drawn.
bool startOnce(const QString& project, double& milliseconds) {
    const auto start = Clock::now();
    velk::ui::CMainFrame frame;
    frame.restorePlacement();
    frame.view()->openProjectFile(project);
    frame.show();
    QDeadlineTimer deadline(20000);
    while (!frame.windowHandle()->isExposed() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const bool settled = frame.view()->settleProjectFile();
    // The first frame with the rows painted.
    frame.view()->repaint();
    milliseconds = millisecondsSince(start);
    const bool full = frame.view()->controls().actionList->rowCount() == 5;
    frame.view()->shutdown();
    return settled && full;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const auto processStart = Clock::now();
    QApplication app(argc, argv);
    velk::ui::installQtTranslations(app);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    QTemporaryDir dir;
    velk::ui::setAppSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
    const QString project = dir.filePath(QStringLiteral("maximal.db"));
    if (!velk::test::writeMaximalProject(project.toStdString())) {
        std::fprintf(stderr, "startup_bench: cannot write %s\n", qPrintable(project));
        return 1;
    }
    const double qtStart = millisecondsSince(processStart);

    constexpr int kRuns = 20;
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        double milliseconds = 0;
        if (!startOnce(project, milliseconds)) {
            std::fprintf(stderr, "startup_bench: the project did not load\n");
            return 1;
        }
        runs.push_back(milliseconds);
    }
    const double first = runs.front();
    std::sort(runs.begin(), runs.end());
    std::printf("platform %s; Qt's start and the maximal project written: %.1f ms\n",
                qPrintable(QGuiApplication::platformName()), qtStart);
    std::printf("%-52s %8.2f ms\n", "first start, window shown with the project loaded", first);
    std::printf("%-52s median %8.2f ms   max %8.2f ms   (%d runs)   goal < 300 ms\n",
                "start, window shown with the project loaded", runs[runs.size() / 2], runs.back(), kRuns);
    return 0;
}
