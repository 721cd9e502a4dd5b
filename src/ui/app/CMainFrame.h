#pragma once

#include <QMainWindow>

class QScrollArea;

namespace velk::ui {

class CVelkView;

// The one main window: the form and nothing else (no menu, tool or status bar). It opens at the
// form's designed size where the screen allows it, can be resized (the form scrolls when the
// window is smaller than the form), and remembers its size and place.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    CVelkView* view() const { return m_view; }
    QScrollArea* scrollArea() const { return m_scroll; }

    // The remembered size and place when they still fit a screen, otherwise the designed size
    // fitted to the available area of the screen the window opens on, centred there.
    void restorePlacement();
    void savePlacement() const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Keeps the whole window, title bar included, inside the screen's available area.
    void keepOnScreen();

    CVelkView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    bool m_shownOnce = false;
};

}  // namespace velk::ui
