#pragma once

#include <QDialog>
#include <array>

#include "device/PanelNetwork.h"
#include "device/ReplyReader.h"

class QLineEdit;

namespace velk::ui {

class Ipv4Edit;

// The panel's own network settings: address, mask, gateway and MAC. The two port edits stay
// hidden; they carry the panel's ports through the dialog and are checked like the rest.
class CSetIpDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSetIpDialog(QWidget* parent = nullptr);

    void setPanelValues(const PanelNetworkReply& reply);
    // The values after OK.
    PanelNetworkSettings settings() const { return m_settings; }

    void accept() override;

private:
    Ipv4Edit* m_ipEdit = nullptr;
    Ipv4Edit* m_maskEdit = nullptr;
    Ipv4Edit* m_gatewayEdit = nullptr;
    std::array<QLineEdit*, 6> m_macEdits{};
    QLineEdit* m_tcpPortEdit = nullptr;
    QLineEdit* m_udpPortEdit = nullptr;
    PanelNetworkSettings m_settings;
};

}  // namespace velk::ui
