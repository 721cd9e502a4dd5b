#pragma once

#include <QDialog>

#include "model/Records.h"

class QComboBox;
class QLineEdit;

namespace velk::ui {

// Edits one variable (V1..V16): initial value, minimum, maximum and retention over power loss.
class CAddVariableDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 16;

    explicit CAddVariableDialog(QWidget* parent = nullptr);

    void setRecord(const Variable& record, int row);
    Variable record() const { return m_result; }

    void accept() override;

private:
    bool collect();

    QComboBox* m_indexList = nullptr;
    QLineEdit* m_initEdit = nullptr;
    QLineEdit* m_minEdit = nullptr;
    QLineEdit* m_maxEdit = nullptr;
    QComboBox* m_saveList = nullptr;
    int m_row = 0;
    Variable m_result;
};

}  // namespace velk::ui
