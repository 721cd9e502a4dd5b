#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace velk::ui {

// The program's own settings (window placement, recent projects), kept with QSettings.
std::unique_ptr<QSettings> openAppSettings();
// Test hook: settings in this INI file instead of the user's (empty: the user's again).
void setAppSettingsFile(const QString& path);

// The last projects opened, most recent first, reachable from the 打开 button.
constexpr int kRecentProjectCount = 8;
QStringList recentProjects();
void rememberRecentProject(const QString& path);
void forgetRecentProjects();

}  // namespace velk::ui
