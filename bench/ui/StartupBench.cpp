// Times the desktop program's start with a maximal project on the command line, until the window
// is on the screen with every row of the project in its lists and the overview drawn, as
// `velk PROJECT.db` does it. Two figures:
// - from the process's start: a fresh process (exec, loading Qt's libraries, QApplication, Qt's
//   translations and fonts, the window, the project) each run, timed by the parent from just before
//   the spawn to the moment the child reports the window loaded (both read CLOCK_MONOTONIC);
// - from making the main window, in one process, which leaves out what Qt pays once per process.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/MaximalProject.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkApp.h"
#include "ui/app/CVelkView.h"

extern char** environ;

namespace {

constexpr int kRuns = 20;
constexpr int kMaximalProjectRows = 5;  // the actions of the event the window shows first
constexpr const char* kOneStart = "--one-start";

double monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Shows the frame with the project and waits until it is on the screen with every row in and
// painted; false when the project did not load whole.
bool showLoaded(velk::ui::CMainFrame& frame, const QString& project) {
    velk::ui::AppOptions options;
    options.projectPath = project;
    velk::ui::startMainFrame(frame, options);
    QDeadlineTimer deadline(20000);
    while (!frame.windowHandle()->isExposed() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const bool settled = frame.view()->settleProjectFile();
    frame.view()->repaint();  // the first frame with the rows painted
    return settled && frame.view()->controls().actionList->rowCount() == kMaximalProjectRows;
}

// The child of one whole-process start: the program's own start, then the moment it is loaded.
int oneStart(int argc, char** argv, const QString& project, const QString& settings) {
    QApplication app(argc, argv);
    velk::ui::prepareVelkApplication(app);
    velk::ui::setAppSettingsFile(settings);
    velk::ui::CMainFrame frame;
    const bool loaded = showLoaded(frame, project);
    const double at = monotonicMilliseconds();
    frame.view()->shutdown();
    if (!loaded) {
        return 1;
    }
    std::printf("%.3f\n", at);
    return 0;
}

// Spawns this program for one start; the milliseconds from the spawn until the child was loaded.
bool timeOneProcess(const char* self, const QString& project, const QString& settings, double& milliseconds) {
    int out[2];
    if (pipe(out) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string projectArg = project.toStdString();
    const std::string settingsArg = settings.toStdString();
    std::vector<char*> args = {const_cast<char*>(self), const_cast<char*>(kOneStart),
                               const_cast<char*>(projectArg.c_str()), const_cast<char*>(settingsArg.c_str()),
                               nullptr};
    const double start = monotonicMilliseconds();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string reply;
    char buffer[64];
    ssize_t n = 0;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) {
        reply.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty()) {
        return false;
    }
    milliseconds = std::stod(reply) - start;
    return true;
}

struct Figures {
    double first = 0;
    double median = 0;
    double max = 0;
};

Figures figuresOf(std::vector<double> runs) {
    Figures f;
    f.first = runs.front();
    std::sort(runs.begin(), runs.end());
    f.median = runs[runs.size() / 2];
    f.max = runs.back();
    return f;
}

void printFigures(const char* what, const Figures& f) {
    std::printf("%-44s first %8.2f ms   median %8.2f ms   max %8.2f ms   (%d runs)   goal < 300 ms\n", what,
                f.first, f.median, f.max, kRuns);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 4 && std::strcmp(argv[1], kOneStart) == 0) {
        int qtArgc = 1;
        return oneStart(qtArgc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }

    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("settings.ini"));
    const QString project = dir.filePath(QStringLiteral("maximal.db"));
    if (!velk::test::writeMaximalProject(project.toStdString())) {
        std::fprintf(stderr, "startup_bench: cannot write %s\n", qPrintable(project));
        return 1;
    }

    std::vector<double> processRuns;
    for (int run = 0; run < kRuns; ++run) {
        double milliseconds = 0;
        if (!timeOneProcess("/proc/self/exe", project, settings, milliseconds)) {
            std::fprintf(stderr, "startup_bench: a started program did not show the project loaded\n");
            return 1;
        }
        processRuns.push_back(milliseconds);
    }

    QApplication app(argc, argv);
    velk::ui::prepareVelkApplication(app);
    velk::ui::setAppSettingsFile(settings);
    std::vector<double> windowRuns;
    for (int run = 0; run < kRuns; ++run) {
        const double start = monotonicMilliseconds();
        velk::ui::CMainFrame frame;
        const bool loaded = showLoaded(frame, project);
        windowRuns.push_back(monotonicMilliseconds() - start);
        frame.view()->shutdown();
        if (!loaded) {
            std::fprintf(stderr, "startup_bench: the project did not load\n");
            return 1;
        }
    }

    std::printf("platform %s; the window shown with a maximal project loaded\n",
                qPrintable(QGuiApplication::platformName()));
    printFigures("from the process's start (a fresh process)", figuresOf(processRuns));
    printFigures("from making the main window (one process)", figuresOf(windowRuns));
    return 0;
}
