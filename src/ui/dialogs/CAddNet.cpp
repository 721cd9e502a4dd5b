#include "ui/dialogs/CAddNet.h"

#include <QComboBox>
#include <QLineEdit>

#include "device/PanelAddress.h"
#include "model/ConfigModel.h"
#include "rules/RuleMessages.h"
#include "ui/common/ControlTips.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {
namespace {

// 1..7 from a channel name, 0 for anything else.
int channelIndex(const QString& name) {
    for (int index = 1; index <= CAddNet::kRows; ++index) {
        if (name == QString::fromStdString(netTargetName(index))) {
            return index;
        }
    }
    return 0;
}

}  // namespace

CAddNet::CAddNet(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("添加网络连接"));
    placedLabel(this, QStringLiteral("通道类型："), 5, 8, 75, 25);
    m_channelList = new QComboBox(this);
    m_channelList->setObjectName(QStringLiteral("channelList"));
    m_channelList->setGeometry(80, 5, 140, 25);
    setEnabledExplained(m_channelList, false, QStringLiteral("通道由所修改的行决定"));
    placedLabel(this, QStringLiteral("IP地址："), 5, 38, 75, 25);
    m_ipEdit = new Ipv4Edit(this);
    m_ipEdit->setObjectName(QStringLiteral("ipEdit"));
    m_ipEdit->setGeometry(80, 35, 140, 25);
    placedLabel(this, QStringLiteral("端口："), 5, 68, 50, 25);
    m_portEdit = placedEdit(this, 80, 65, 65, 25);
    m_portEdit->setObjectName(QStringLiteral("portEdit"));
    acceptDigitsOnly(*m_portEdit);
    // "192.168.1.20:5000" pasted into the address brings its port along.
    connect(m_ipEdit, &Ipv4Edit::addressPasted, this, [this](uint32_t, int port) {
        if (port >= 0) {
            m_portEdit->setText(QString::number(port));
        }
    });

    placeOkCancel(*this, 15, 128, 103, 80, 25);

    setDialogWindowSize(*this, 230, 170);
    setRecord(NetTarget{}, 0);
}

void CAddNet::setRecord(const NetTarget& record, int row) {
    m_row = row;
    m_channelList->clear();
    m_channelList->addItem(QString::fromStdString(netTargetName(row + 1)));
    for (int index = 1; index <= kRows; ++index) {
        m_channelList->addItem(QString::fromStdString(netTargetName(index)));
    }
    m_channelList->setCurrentIndex(0);
    m_ipEdit->setAddress(record.ip);
    m_portEdit->setText(QString::number(record.port));
    m_result = record;
}

void CAddNet::accept() {
    if (collect()) {
        QDialog::accept();
    }
}

bool CAddNet::collect() {
    std::optional<int> port = readInteger(m_portEdit->text());
    if (!port) {
        showError(this, QString::fromUtf8(rules::kNotAnInteger));
        m_portEdit->setFocus();
        return false;
    }
    NetTarget result;
    result.port = portOfNumber(*port);
    result.ip = m_ipEdit->address();
    result.index = channelIndex(m_channelList->currentText());
    m_result = result;
    return true;
}

}  // namespace velk::ui
