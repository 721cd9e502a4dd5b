#pragma once

#include <QDialog>

#include "model/Records.h"

class QComboBox;
class QLineEdit;

namespace velk::ui {

class Ipv4Edit;

// Edits one network target (TCP1..TCP4, UDP1..UDP3): its address and port.
class CAddNet : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 7;

    explicit CAddNet(QWidget* parent = nullptr);

    void setRecord(const NetTarget& record, int row);
    NetTarget record() const { return m_result; }

    void accept() override;

private:
    bool collect();

    QComboBox* m_channelList = nullptr;
    Ipv4Edit* m_ipEdit = nullptr;
    QLineEdit* m_portEdit = nullptr;
    int m_row = 0;
    NetTarget m_result;
};

}  // namespace velk::ui
