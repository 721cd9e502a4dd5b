#include "ui/dialogs/CAddVariableDialog.h"

#include <QComboBox>
#include <QLineEdit>

#include "model/ConfigModel.h"
#include "rules/RuleMessages.h"
#include "ui/common/ControlTips.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {

CAddVariableDialog::CAddVariableDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("添加变量"));
    placedLabel(this, QStringLiteral("序号："), 10, 10, 70, 25);
    m_indexList = new QComboBox(this);
    m_indexList->setObjectName(QStringLiteral("indexList"));
    m_indexList->setGeometry(70, 8, 150, 25);
    for (int i = 1; i <= kRows; ++i) {
        m_indexList->addItem(QString::fromStdString(variableName(i)));
    }
    setEnabledExplained(m_indexList, false, QStringLiteral("序号由所修改的行决定"));

    placedLabel(this, QStringLiteral("初始值："), 10, 40, 70, 25);
    m_initEdit = placedEdit(this, 70, 38, 150, 25);
    m_initEdit->setObjectName(QStringLiteral("initEdit"));
    placedLabel(this, QStringLiteral("最小值："), 10, 70, 70, 25);
    m_minEdit = placedEdit(this, 70, 68, 150, 25);
    m_minEdit->setObjectName(QStringLiteral("minEdit"));
    placedLabel(this, QStringLiteral("最大值："), 10, 100, 70, 25);
    m_maxEdit = placedEdit(this, 70, 98, 150, 25);
    m_maxEdit->setObjectName(QStringLiteral("maxEdit"));
    for (QLineEdit* edit : {m_initEdit, m_minEdit, m_maxEdit}) {
        acceptDigitsOnly(*edit);
    }

    placedLabel(this, QStringLiteral("掉电保存："), 10, 130, 70, 25);
    m_saveList = new QComboBox(this);
    m_saveList->setObjectName(QStringLiteral("saveList"));
    m_saveList->setGeometry(70, 128, 150, 25);
    m_saveList->addItems({QStringLiteral("保存"), QStringLiteral("不保存")});

    placeOkCancel(*this, 30, 130, 170, 60, 25);

    setDialogWindowSize(*this, 230, 230);
    setRecord(Variable{}, 0);
}

void CAddVariableDialog::setRecord(const Variable& record, int row) {
    m_row = row;
    m_indexList->setCurrentIndex(row >= 0 && row < kRows ? row : -1);
    m_initEdit->setText(QString::number(record.init));
    m_minEdit->setText(QString::number(record.min));
    m_maxEdit->setText(QString::number(record.max));
    // The list row shows 不保存 for every value but 0, so the dialog does too.
    m_saveList->setCurrentIndex(record.save == 0 ? 0 : 1);
    m_result = record;
}

void CAddVariableDialog::accept() {
    if (collect()) {
        QDialog::accept();
    }
}

bool CAddVariableDialog::collect() {
    int values[3] = {};
    QLineEdit* edits[3] = {m_initEdit, m_minEdit, m_maxEdit};
    for (int i = 0; i < 3; ++i) {
        std::optional<int> value = readInteger(edits[i]->text());
        if (!value) {
            showError(this, QString::fromUtf8(rules::kNotAnInteger));
            edits[i]->setFocus();
            return false;
        }
        values[i] = *value;
    }
    Variable result;
    QString indexText = m_indexList->currentText();
    result.index = indexText.isEmpty() ? m_row + 1 : indexText.mid(1).toInt();
    result.init = values[0];
    result.min = values[1];
    result.max = values[2];
    result.save = m_saveList->currentIndex();
    m_result = result;
    return true;
}

}  // namespace velk::ui
