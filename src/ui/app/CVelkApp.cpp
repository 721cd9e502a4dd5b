#include "ui/app/CVelkApp.h"

#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstdlib>

#include "model/StrPrintf.h"
#include "model/Version.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"
#include "ui/common/Translations.h"

namespace velk::ui {

namespace {

std::string velkUsage() {
    return strprintf(
        "usage: velk [--panel IP[:PORT]] [PROJECT.db]\n"
        "  --panel IP[:PORT]  put this panel address into the form (port %u when left out)\n"
        "  --help             print this help and exit\n"
        "  --version          print the version and exit\n",
        static_cast<unsigned>(kDefaultPanelPort));
}

// --help and --version answer on the terminal; true when one of them was asked for.
bool answeredOnTerminal(const AppOptions& options) {
    if (options.help) {
        std::fputs(velkUsage().c_str(), stdout);
    } else if (options.version) {
        std::printf("velk %s\n", kVelkVersion);
    }
    return options.help || options.version;
}

}  // namespace

AppOptions parseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
            return options;
        }
        if (argument == QLatin1String("--version")) {
            options.version = true;
            return options;
        }
        if (argument == QLatin1String("--panel")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--panel needs a value: IP[:PORT]");
                return options;
            }
            QString value = arguments.at(++i);
            std::optional<PanelAddress> panel = parsePanelAddress(value.toStdString());
            if (!panel) {
                options.error = QStringLiteral("--panel takes IP[:PORT], got \"%1\"").arg(value);
                return options;
            }
            options.panelIp = panel->ip;
            options.panelPort = panel->port;
        } else if (argument.startsWith(QLatin1String("-"))) {
            options.error =
                QStringLiteral("unknown option \"%1\"; usage: velk [--panel IP[:PORT]] [PROJECT.db]")
                    .arg(argument);
            return options;
        } else if (!options.projectPath.isEmpty()) {
            options.error = QStringLiteral(
                                "one project at a time: \"%1\" and \"%2\" given; usage: velk "
                                "[--panel IP[:PORT]] [PROJECT.db]")
                                .arg(options.projectPath, argument);
            return options;
        } else {
            options.projectPath = argument;
        }
    }
    return options;
}

bool displayAvailable(QString& reason) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return true;
    }
    reason = QStringLiteral(
        "velk needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set. Start it from a desktop "
        "session, under a virtual X server (xvfb-run velk), or with QT_QPA_PLATFORM=offscreen.");
    return false;
}

void prepareVelkApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("velk"));
    QApplication::setOrganizationName(QStringLiteral("velk"));
    QGuiApplication::setDesktopFileName(QStringLiteral(VELK_APP_ID));
    // Qt's own dialogs and buttons in the program's language; without the file they stay English.
    installQtTranslations(app);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

void startMainFrame(CMainFrame& frame, const AppOptions& options) {
    frame.restorePlacement();
    if (options.panelIp) {
        frame.view()->setPanelAddress(*options.panelIp, options.panelPort);
    }
    if (!options.projectPath.isEmpty()) {
        frame.view()->openProjectFile(options.projectPath);
    }
    frame.show();
}

int runVelkApp(int argc, char** argv) {
    // Looked at before Qt starts, so they work without a display.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i) {
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (answeredOnTerminal(parseAppOptions(rawArguments))) {
        return 0;
    }
    QString reason;
    if (!displayAvailable(reason)) {
        std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    prepareVelkApplication(app);

    // Parsed again once Qt has taken its own options (-platform, -style) out of the list.
    AppOptions options = parseAppOptions(QApplication::arguments());
    if (answeredOnTerminal(options)) {
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "velk: %s\n", options.error.toLocal8Bit().constData());
        return 1;
    }
    CMainFrame frame;
    startMainFrame(frame, options);
    return QApplication::exec();
}

}  // namespace velk::ui
