#include "ui/dialogs/CAboutDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "model/Version.h"
#include "ui/dialogs/CHyperLink.h"
#include "ui/dialogs/Clogo.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 RVK panel config"));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(Clogo::panelMark(32));
    icon->setGeometry(16, 16, 32, 32);
    // The program's one version number, the one --version and the package give.
    QLabel* text = placedLabel(
        this, QStringLiteral("关于 RVK panel config V%1(TAV8) 版").arg(QLatin1String(kVelkVersion)), 62, 14,
        260, 22);
    text->setObjectName(QStringLiteral("aboutText"));

    m_link = new CHyperLink(this);
    m_link->setObjectName(QStringLiteral("aboutLink"));
    m_link->setLinkText(QStringLiteral("velk 用户指南"));
    m_link->move(62, 40);
    m_link->setURL(documentationUrl());

    QPushButton* ok = placedButton(this, QStringLiteral("确定"), 252, 74, 70, 25);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
    setFixedSize(336, 110);
}

QString CAboutDlg::guidePath(const QString& programDir) {
    // VELK_GUIDE_FROM_PROGRAM is the guide's place relative to the programs' folder, the same in
    // the installed tree and in the build folder (cmake/Install.cmake).
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(VELK_GUIDE_FROM_PROGRAM)));
}

QString CAboutDlg::documentationUrl() {
    return QUrl::fromLocalFile(guidePath(QCoreApplication::applicationDirPath())).toString();
}

}  // namespace velk::ui
