#include "ui/app/CMainFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTimer>

#include "ui/app/AppSettings.h"
#include "ui/app/CVelkView.h"
#include "ui/app/FormLayout.h"
#include "ui/common/UiSeams.h"
#include "ui/common/WindowPlacement.h"

namespace velk::ui {
namespace {

constexpr const char* kGeometryKey = "window/geometry";
constexpr const char* kMaximizedKey = "window/maximized";
constexpr QSize kSmallestWindow{320, 240};

QList<QRect> screenAreas() {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    return areas;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("RVK panel config (TAV8)"));
    m_view = new CVelkView;
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("formScrollArea"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_view);
    setCentralWidget(m_scroll);
    setMinimumSize(kSmallestWindow);
    setGeometry(placeWindow(kDesignedClientSize, availableScreenArea(this)));
}

void CMainFrame::restorePlacement() {
    std::unique_ptr<QSettings> settings = openAppSettings();
    const QRect saved = settings->value(kGeometryKey).toRect();
    QList<QRect> areas = screenAreas();
    // Tests and odd platforms may answer for the screen themselves.
    areas.prepend(availableScreenArea(this));
    if (std::optional<QRect> placed = restoredPlacement(saved, areas, kSmallestWindow)) {
        setGeometry(*placed);
    } else {
        setGeometry(placeWindow(kDesignedClientSize, availableScreenArea(this)));
    }
    if (settings->value(kMaximizedKey, false).toBool()) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMainFrame::savePlacement() const {
    std::unique_ptr<QSettings> settings = openAppSettings();
    settings->setValue(kGeometryKey, isMaximized() ? normalGeometry() : geometry());
    settings->setValue(kMaximizedKey, isMaximized());
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The window manager tells the real frame only once the window is up.
        QTimer::singleShot(0, this, [this] { keepOnScreen(); });
    }
}

void CMainFrame::keepOnScreen() {
    if (isMaximized() || isFullScreen()) {
        return;
    }
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect area = availableScreenArea(this);
    if (area.contains(frame)) {
        return;
    }
    setGeometry(placeWindow(client.size(), area, margins));
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_view->windowActivated();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Edits the file does not hold are offered 另存为 first; cancelling that keeps the window.
    if (!m_view->leaveUnsavedEdits()) {
        event->ignore();
        return;
    }
    savePlacement();
    // The database worker finishes every queued statement before the window goes, so the last
    // edit is in the file.
    m_view->shutdown();
    QMainWindow::closeEvent(event);
}

}  // namespace velk::ui
