#include "ui/dialogs/CSetTimeDlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "ui/common/ControlTips.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {

CSetTimeDlg::CSetTimeDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("设置时间"));
    m_enableBox = new QCheckBox(QStringLiteral("设置时间"), this);
    m_enableBox->setObjectName(QStringLiteral("timeEnableBox"));
    m_enableBox->setGeometry(15, 12, 120, 22);
    placedLabel(this, QStringLiteral("时间:"), 15, 44, 40, 25);
    m_timeEdit = placedEdit(this, 55, 44, 130, 25);
    m_timeEdit->setObjectName(QStringLiteral("timeEdit"));

    placeOkCancel(*this, 20, 115, 86, 70, 25);
    connect(m_enableBox, &QCheckBox::toggled, this, &CSetTimeDlg::enableTimeEdit);

    setDialogWindowSize(*this, 210, 155);
    setSettings(EventSettings{});
}

void CSetTimeDlg::setSettings(const EventSettings& settings) {
    m_settings = settings;
    m_enableBox->setChecked(settings.timeEnable != 0);
    m_timeEdit->setText(QString::number(settings.time));
    enableTimeEdit();
}

void CSetTimeDlg::enableTimeEdit() {
    setEnabledExplained(m_timeEdit, m_enableBox->isChecked(), QStringLiteral("勾选“设置时间”后才能填写时间"));
}

void CSetTimeDlg::accept() {
    m_settings.timeEnable = m_enableBox->isChecked() ? 1 : 0;
    // Read also while unchecked, so the last time stays in the record.
    m_settings.time = leadingInteger(m_timeEdit->text());
    QDialog::accept();
}

}  // namespace velk::ui
