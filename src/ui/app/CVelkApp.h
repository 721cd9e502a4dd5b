#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

#include "device/PanelAddress.h"

class QApplication;

namespace velk::ui {

class CMainFrame;

// What the command line asks of the desktop program.
struct AppOptions {
    std::optional<uint32_t> panelIp;  // --panel IP[:PORT]
    int panelPort = kDefaultPanelPort;
    QString projectPath;   // a project file to open at start
    QString error;         // set when the command line is not understood
    bool help = false;     // --help: print the usage and end
    bool version = false;  // --version: print the version and end
};

AppOptions parseAppOptions(const QStringList& arguments);

// True when Qt can show windows here; otherwise the reason, for stderr.
bool displayAvailable(QString& reason);

// What the program sets up once Qt has started: its names, Qt's translations, the form's font.
void prepareVelkApplication(QApplication& app);

// Places the main window, fills in what the command line asks (panel, project) and shows it.
void startMainFrame(CMainFrame& frame, const AppOptions& options);

// Runs the program; returns the exit status.
int runVelkApp(int argc, char** argv);

}  // namespace velk::ui
