#include "ui/dialogs/CAddCommandDlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "rules/CommandRules.h"
#include "rules/RuleMessages.h"
#include "ui/common/ControlTips.h"
#include "ui/common/GbkText.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {

CAddCommandDlg::CAddCommandDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("追加"));
    m_enableBox = new QCheckBox(QStringLiteral("追加"), this);
    m_enableBox->setObjectName(QStringLiteral("addEnableBox"));
    m_enableBox->setGeometry(15, 10, 100, 22);
    placedLabel(this, QStringLiteral("超时时间："), 15, 42, 70, 25);
    m_timeoutEdit = placedEdit(this, 85, 42, 110, 25);
    m_timeoutEdit->setObjectName(QStringLiteral("timeoutEdit"));
    m_sendBox = new QCheckBox(QStringLiteral("超时发送"), this);
    m_sendBox->setObjectName(QStringLiteral("sendBox"));
    m_sendBox->setGeometry(210, 43, 100, 22);
    placedLabel(this, QStringLiteral("追加指令："), 15, 76, 70, 25);
    m_commandEdit = placedEdit(this, 85, 76, 225, 25);
    m_commandEdit->setObjectName(QStringLiteral("commandEdit"));
    keepWhatIsTyped(*m_commandEdit);

    placeOkCancel(*this, 70, 185, 118, 70, 25);
    connect(m_enableBox, &QCheckBox::toggled, this, &CAddCommandDlg::enableFields);

    setDialogWindowSize(*this, 333, 187);
    setSettings(EventSettings{});
}

void CAddCommandDlg::setSettings(const EventSettings& settings) {
    m_settings = settings;
    m_enableBox->setChecked(settings.addEnable != 0);
    m_timeoutEdit->setText(QString::number(settings.addTimeOut));
    m_sendBox->setChecked(settings.addIsSend != 0);
    m_shownCommand = fromGbk(settings.addString);
    m_commandEdit->setText(m_shownCommand);
    enableFields();
}

void CAddCommandDlg::enableFields() {
    const bool enabled = m_enableBox->isChecked();
    const QString why = QStringLiteral("勾选“追加”后才能修改");
    for (QWidget* field : std::initializer_list<QWidget*>{m_timeoutEdit, m_sendBox, m_commandEdit}) {
        setEnabledExplained(field, enabled, why);
    }
}

void CAddCommandDlg::accept() {
    // An untouched text keeps its bytes, even ones the display could only approximate.
    std::optional<std::string> command =
        m_commandEdit->text() == m_shownCommand ? m_settings.addString : toGbk(m_commandEdit->text());
    if (!command) {
        showError(this, QString::fromStdString(rules::appendCommandNotGbk()));
        m_commandEdit->setFocus();
        return;
    }
    EventSettings result = m_settings;
    result.addEnable = m_enableBox->isChecked() ? 1 : 0;
    result.addTimeOut = leadingInteger(m_timeoutEdit->text());
    result.addIsSend = m_sendBox->isChecked() ? 1 : 0;
    result.addString = std::move(*command);
    // The append command travels in one command; the panel could not take a longer one.
    if (std::optional<rules::Refusal> refusal = rules::appendCommandProblem(result)) {
        showError(this, QString::fromStdString(refusal->message));
        m_commandEdit->setFocus();
        return;
    }
    m_settings = std::move(result);
    QDialog::accept();
}

}  // namespace velk::ui
