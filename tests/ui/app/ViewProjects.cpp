#include "ViewProjects.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>

#include "ui/app/CVelkView.h"
#include "ui/support/WidgetTestSupport.h"

namespace velk::test {

QString projectFolderTemplate(const QString& testName) {
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/velk-%1-XXXXXX").arg(testName)
                                                     : QDir::tempPath() + QStringLiteral("/velk-XXXXXX");
}

QString newProjectThroughView(ui::CVelkView& view, const QString& path) {
    QFile::remove(path);
    {
        FileDialogGuard chosen([path](bool) { return path; });
        view.controls().newButton->click();
    }
    if (!view.settleProjectFile()) {
        QTest::qFail("the new project never settled", __FILE__, __LINE__);
    }
    return path;
}

}  // namespace velk::test
