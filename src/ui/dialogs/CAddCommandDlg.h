#pragma once

#include <QDialog>

#include "model/Records.h"

class QCheckBox;
class QLineEdit;

namespace velk::ui {

// The append setting of one key event: on or off, timeout, send on timeout and the command text.
class CAddCommandDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddCommandDlg(QWidget* parent = nullptr);

    // The dialog keeps the whole record and changes only the four append fields.
    void setSettings(const EventSettings& settings);
    EventSettings settings() const { return m_settings; }

    void accept() override;

private:
    void enableFields();

    QCheckBox* m_enableBox = nullptr;
    QLineEdit* m_timeoutEdit = nullptr;
    QCheckBox* m_sendBox = nullptr;
    QLineEdit* m_commandEdit = nullptr;
    EventSettings m_settings;
    QString m_shownCommand;
};

}  // namespace velk::ui
