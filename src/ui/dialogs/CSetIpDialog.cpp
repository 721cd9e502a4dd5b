#include "ui/dialogs/CSetIpDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

namespace velk::ui {
namespace {

// Letters turn to upper case as they are typed; which characters are allowed is checked on OK.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

Ipv4Edit* addressRow(QWidget* parent, const QString& label, const char* name, int y) {
    placedLabel(parent, label, 5, y, 60, 25);
    auto* edit = new Ipv4Edit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(65, y, 157, 25);
    return edit;
}

}  // namespace

CSetIpDialog::CSetIpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("网络设置"));
    m_ipEdit = addressRow(this, QStringLiteral("IP地址:"), "ipEdit", 5);
    m_maskEdit = addressRow(this, QStringLiteral("子网掩码:"), "maskEdit", 30);
    m_gatewayEdit = addressRow(this, QStringLiteral("默认网关:"), "gatewayEdit", 60);

    placedLabel(this, QStringLiteral("MAC地址:"), 5, 90, 60, 25);
    for (size_t i = 0; i < m_macEdits.size(); ++i) {
        int x = 65 + 27 * static_cast<int>(i);
        QLineEdit* edit = placedEdit(this, x, 90, 22, 25);
        edit->setObjectName(QStringLiteral("mac%1").arg(i + 1));
        edit->setMaxLength(2);
        edit->setAlignment(Qt::AlignCenter);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setValidator(new UpperCaseValidator(edit));
        m_macEdits[i] = edit;
        if (i + 1 < m_macEdits.size()) {
            QLabel* dash = placedLabel(this, QStringLiteral("-"), x + 22, 90, 5, 25);
            dash->setAlignment(Qt::AlignCenter);
        }
    }

    // Created hidden and never shown: the panel's ports only pass through.
    placedLabel(this, QStringLiteral("TCP端口:"), 5, 120, 60, 25)->hide();
    m_tcpPortEdit = placedEdit(this, 65, 120, 60, 25);
    m_tcpPortEdit->setObjectName(QStringLiteral("tcpPortEdit"));
    placedLabel(this, QStringLiteral("UDP端口:"), 130, 120, 60, 25)->hide();
    m_udpPortEdit = placedEdit(this, 190, 120, 60, 25);
    m_udpPortEdit->setObjectName(QStringLiteral("udpPortEdit"));
    for (QLineEdit* edit : {m_tcpPortEdit, m_udpPortEdit}) {
        acceptDigitsOnly(*edit);
        edit->hide();
    }

    placeOkCancel(*this, 40, 140, 130, 60, 25);

    setDialogWindowSize(*this, 240, 190);
    setPanelValues(PanelNetworkReply{});
}

void CSetIpDialog::setPanelValues(const PanelNetworkReply& reply) {
    PanelNetworkForm form = panelNetworkFormOf(reply);
    m_ipEdit->setAddress(form.ip);
    m_maskEdit->setAddress(form.mask);
    m_gatewayEdit->setAddress(form.gateway);
    for (size_t i = 0; i < m_macEdits.size(); ++i) {
        m_macEdits[i]->setText(QString::fromStdString(form.macTexts[i]));
    }
    m_tcpPortEdit->setText(QString::fromStdString(form.tcpPortText));
    m_udpPortEdit->setText(QString::fromStdString(form.udpPortText));
    m_settings =
        PanelNetworkSettings{reply.ip, reply.mask, reply.gateway, reply.mac, reply.tcpPort, reply.udpPort};
}

void CSetIpDialog::accept() {
    PanelNetworkForm form;
    form.ip = m_ipEdit->address();
    form.mask = m_maskEdit->address();
    form.gateway = m_gatewayEdit->address();
    for (size_t i = 0; i < m_macEdits.size(); ++i) {
        form.macTexts[i] = m_macEdits[i]->text().toStdString();
    }
    form.tcpPortText = m_tcpPortEdit->text().toStdString();
    form.udpPortText = m_udpPortEdit->text().toStdString();
    auto checked = validatePanelNetworkForm(form);
    if (const std::string* message = std::get_if<std::string>(&checked)) {
        showError(this, QString::fromStdString(*message));
        return;
    }
    m_settings = std::get<PanelNetworkSettings>(checked);
    QDialog::accept();
}

}  // namespace velk::ui
