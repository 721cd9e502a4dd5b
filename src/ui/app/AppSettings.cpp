#include "ui/app/AppSettings.h"

#include <QDir>
#include <QSettings>

namespace velk::ui {
namespace {

constexpr const char* kRecentKey = "recentProjects";

QString& settingsFile() {
    static QString path;
    return path;
}

}  // namespace

std::unique_ptr<QSettings> openAppSettings() {
    if (!settingsFile().isEmpty()) {
        return std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
    }
    return std::make_unique<QSettings>();
}

void setAppSettingsFile(const QString& path) {
    settingsFile() = path;
}

QStringList recentProjects() {
    return openAppSettings()->value(kRecentKey).toStringList();
}

void rememberRecentProject(const QString& path) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList list = recentProjects();
    list.removeAll(clean);
    list.prepend(clean);
    while (list.size() > kRecentProjectCount) {
        list.removeLast();
    }
    openAppSettings()->setValue(kRecentKey, list);
}

void forgetRecentProjects() {
    openAppSettings()->remove(kRecentKey);
}

}  // namespace velk::ui
