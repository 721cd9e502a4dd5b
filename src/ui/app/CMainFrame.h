#pragma once

#include <QMainWindow>

namespace velk::ui {

class CVelkView;

// The one main window: the form and nothing else (no menu, tool or status bar).
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    CVelkView* view() const { return m_view; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CVelkView* m_view = nullptr;
};

}  // namespace velk::ui
