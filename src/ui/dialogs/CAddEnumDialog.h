#pragma once

#include <QDialog>
#include <array>

#include "model/Records.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace velk::ui {

// Edits one enumerated variable (E1..E10): its format and up to ten values.
class CAddEnumDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kValueRows = 10;

    explicit CAddEnumDialog(QWidget* parent = nullptr);

    // The record shown in list row `row` (0..9).
    void setRecord(const EnumVariable& record, int row);
    // The edited record; valid once the dialog was accepted.
    EnumVariable record() const { return m_result; }

    void accept() override;

private:
    void enableValueRows();
    bool collect();

    QComboBox* m_indexList = nullptr;
    QComboBox* m_formatList = nullptr;
    QComboBox* m_countList = nullptr;
    std::array<QLabel*, kValueRows> m_valueLabels{};
    std::array<QLineEdit*, kValueRows> m_valueEdits{};
    int m_row = 0;
    EnumVariable m_original;
    EnumVariable m_result;
    std::array<QString, kValueRows> m_shownValues;
};

}  // namespace velk::ui
