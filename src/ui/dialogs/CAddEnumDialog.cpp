#include "ui/dialogs/CAddEnumDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "action/FormChoices.h"
#include "action/TextRules.h"
#include "model/ConfigModel.h"
#include "rules/CommandRules.h"
#include "rules/FieldRules.h"
#include "rules/RuleMessages.h"
#include "ui/common/ControlTips.h"
#include "ui/common/GbkText.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {

CAddEnumDialog::CAddEnumDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("添加枚举变量"));
    placedLabel(this, QStringLiteral("序号："), 10, 10, 40, 25);
    m_indexList = new QComboBox(this);
    m_indexList->setObjectName(QStringLiteral("indexList"));
    m_indexList->setGeometry(50, 8, 150, 25);
    placedLabel(this, QStringLiteral("格式："), 10, 40, 40, 25);
    m_formatList = new QComboBox(this);
    m_formatList->setObjectName(QStringLiteral("formatList"));
    m_formatList->setGeometry(50, 38, 150, 25);
    placedLabel(this, QStringLiteral("数量："), 10, 70, 40, 25);
    m_countList = new QComboBox(this);
    m_countList->setObjectName(QStringLiteral("countList"));
    m_countList->setGeometry(50, 68, 150, 25);

    for (int i = 1; i <= kValueRows; ++i) {
        m_indexList->addItem(QString::fromStdString(enumName(i)));
        m_countList->addItem(QString::number(i));
    }
    setEnabledExplained(m_indexList, false, QStringLiteral("序号由所修改的行决定"));
    m_formatList->addItems(
        {QString::fromUtf8(dataTypeEntry(kAscii)), QString::fromUtf8(dataTypeEntry(kHex))});

    for (int k = 0; k < kValueRows; ++k) {
        QLabel* label = placedLabel(this, QStringLiteral("数据%1").arg(k + 1), 10, 100 + 30 * k, 40, 25);
        label->setObjectName(QStringLiteral("valueLabel%1").arg(k + 1));
        QLineEdit* edit = placedEdit(this, 50, 98 + 30 * k, 150, 25);
        edit->setObjectName(QStringLiteral("value%1").arg(k + 1));
        // Values scroll in their edit and are kept whole, as typed or pasted.
        keepWhatIsTyped(*edit);
        m_valueLabels[static_cast<size_t>(k)] = label;
        m_valueEdits[static_cast<size_t>(k)] = edit;
    }

    placeOkCancel(*this, 15, 110, 410, 80, 25);
    connect(m_countList, &QComboBox::currentIndexChanged, this, &CAddEnumDialog::enableValueRows);

    setDialogWindowSize(*this, 215, 470);
    setRecord(EnumVariable{}, 0);
}

void CAddEnumDialog::setRecord(const EnumVariable& record, int row) {
    m_row = row;
    m_indexList->setCurrentIndex(row >= 0 && row < kValueRows ? row : -1);
    m_formatList->setCurrentIndex(record.type == kHex ? 1 : 0);
    // A record from a foreign file may hold more values than the rows; the first ten are shown
    // rather than losing all of them to an empty selection.
    int count = std::min(static_cast<int>(record.data.size()), kValueRows);
    m_countList->setCurrentIndex(count - 1);
    for (size_t k = 0; k < kValueRows; ++k) {
        m_shownValues[k] = k < static_cast<size_t>(count) ? fromGbk(record.data[k]) : QString();
        m_valueEdits[k]->setText(m_shownValues[k]);
    }
    enableValueRows();
    m_original = record;
    m_result = record;
}

void CAddEnumDialog::enableValueRows() {
    int enabledRows = m_countList->currentIndex() + 1;
    for (int k = 0; k < kValueRows; ++k) {
        bool enabled = k < enabledRows;
        const QString why = QStringLiteral("数量为%1，只用前%1行").arg(std::max(enabledRows, 0));
        setEnabledExplained(m_valueLabels[static_cast<size_t>(k)], enabled, why);
        setEnabledExplained(m_valueEdits[static_cast<size_t>(k)], enabled, why);
    }
}

void CAddEnumDialog::accept() {
    if (collect()) {
        QDialog::accept();
    }
}

bool CAddEnumDialog::collect() {
    bool hex = m_formatList->currentIndex() == 1;
    std::vector<std::string> values;
    int rows = m_countList->currentIndex() + 1;
    for (int k = 0; k < rows; ++k) {
        QLineEdit* edit = m_valueEdits[static_cast<size_t>(k)];
        QString text = edit->text();
        if (std::optional<rules::Refusal> refusal = rules::enumValueProblem(k + 1, hex, text.toStdString())) {
            showError(this, QString::fromStdString(refusal->message));
            edit->setFocus();
            return false;
        }
        // An untouched value keeps its bytes, even ones the display could only approximate.
        size_t row = static_cast<size_t>(k);
        std::optional<std::string> bytes =
            text == m_shownValues[row] && row < m_original.data.size() ? m_original.data[row] : toGbk(text);
        if (!bytes) {
            showError(this, QString::fromStdString(rules::enumValueNotGbk(k + 1)));
            edit->setFocus();
            return false;
        }
        values.push_back(std::move(*bytes));
    }

    EnumVariable result;
    QString indexText = m_indexList->currentText();
    result.index = indexText.isEmpty() ? m_row + 1 : indexText.mid(1).toInt();
    result.type = hex ? kHex : kAscii;
    result.data.clear();
    for (const std::string& value : values) {
        if (!hex) {
            result.data.push_back(value);
        } else if (std::optional<std::string> normal = normalizeHexText(value)) {
            // A value of spaces only yields no byte and is dropped.
            result.data.push_back(std::move(*normal));
        }
    }
    // The values travel in one command; the panel could not take a longer one.
    if (std::optional<rules::Refusal> refusal = rules::enumCommandProblem(result)) {
        showError(this, QString::fromStdString(refusal->message));
        m_valueEdits[0]->setFocus();
        return false;
    }
    m_result = std::move(result);
    return true;
}

}  // namespace velk::ui
