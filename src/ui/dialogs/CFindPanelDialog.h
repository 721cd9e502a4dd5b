#pragma once

#include <QDialog>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "site/PanelScan.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velk::ui {

// 查找面板: scans addresses and networks for panels (velkctl scan's logic) on a thread of its own,
// lists each panel as it answers, and gives the one the user picks (double click or 确定). A scan
// starts only when 扫描 is pressed, so opening the dialog sends nothing anywhere.
class CFindPanelDialog : public QDialog {
    Q_OBJECT
public:
    explicit CFindPanelDialog(QWidget* parent = nullptr);
    ~CFindPanelDialog() override;
    CFindPanelDialog(const CFindPanelDialog&) = delete;
    CFindPanelDialog& operator=(const CFindPanelDialog&) = delete;

    // The ranges shown in the range edit ("192.168.1.0/24 10.0.0.5") and the port to ask on.
    void setRanges(const QString& ranges);
    void setPort(uint16_t port);
    // Overrides the scan's options other than the port (tests use short time-outs).
    void setScanOptions(const ScanOptions& options) { m_options = options; }

    // 扫描: checks the range and the port (a message names what is wrong) and starts; false when
    // they are refused. While a scan runs the button is 停止.
    bool startScan();
    // Ends a running scan; what was found stays listed.
    void stopScan();
    bool scanning() const { return m_worker.joinable(); }
    // The panels listed, in address order.
    const std::vector<FoundPanel>& panels() const { return m_panels; }
    // The panel chosen on OK.
    std::optional<FoundPanel> chosenPanel() const { return m_chosen; }

    void accept() override;
    void reject() override;

signals:
    // A scan ended, by itself or stopped; the list and the status line are final.
    void scanFinished();

private:
    void addPanel(int generation, const FoundPanel& panel);
    void showProgress(int generation, const ScanProgress& progress);
    void finishScan(int generation, bool stopped);
    void joinWorker();

    QLineEdit* m_rangeEdit = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QPushButton* m_scanButton = nullptr;
    QTableWidget* m_list = nullptr;
    QLabel* m_status = nullptr;

    ScanOptions m_options;
    std::vector<FoundPanel> m_panels;
    std::optional<FoundPanel> m_chosen;
    ScanProgress m_progress;
    // Posts of a scan the user has stopped may still be queued; each carries its scan's number.
    int m_generation = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

// The computer's own IPv4 networks as scan ranges (Qt Network's interfaces), or the factory
// network when there is none or Qt Network is not there.
QString localNetworkRanges();

}  // namespace velk::ui
