#include "ui/app/CMainFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "ui/app/CVelkView.h"

namespace velk::ui {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("RVK panel config (TAV8)"));
    m_view = new CVelkView(this);
    setCentralWidget(m_view);
    setFixedSize(830, 800);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.x() + (area.width() - 830) / 2, area.y() + (area.height() - 800) / 2);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The database worker finishes every queued statement before the window goes, so the last
    // edit is in the file.
    m_view->shutdown();
    QMainWindow::closeEvent(event);
}

}  // namespace velk::ui
