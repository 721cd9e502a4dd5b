#pragma once

#include <QDialog>

#include "model/Records.h"

class QCheckBox;
class QLineEdit;

namespace velk::ui {

// The time setting of one key event: on or off and its duration in ms.
class CSetTimeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSetTimeDlg(QWidget* parent = nullptr);

    // The dialog keeps the whole record and changes only timeEnable and time.
    void setSettings(const EventSettings& settings);
    EventSettings settings() const { return m_settings; }

    void accept() override;

private:
    void enableTimeEdit();

    QCheckBox* m_enableBox = nullptr;
    QLineEdit* m_timeEdit = nullptr;
    EventSettings m_settings;
};

}  // namespace velk::ui
