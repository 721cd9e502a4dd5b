#pragma once

#include <QDialog>

class QProgressBar;

namespace velk::ui {

// The progress window of a write. The user cannot close it: only finish() does, when the write
// ends, so Esc and the window's close button are ignored.
class CWritingTip : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRange = 400;

    explicit CWritingTip(QWidget* parent = nullptr);

    // Positions outside 0..400 are ignored.
    void setPosition(int position);
    int position() const;
    void finish();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* m_bar = nullptr;
    bool m_finishing = false;
};

}  // namespace velk::ui
