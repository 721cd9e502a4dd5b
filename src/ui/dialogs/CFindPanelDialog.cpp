#include "ui/dialogs/CFindPanelDialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <chrono>

#include "site/ScanRange.h"
#include "ui/common/UiSeams.h"
#include "ui/dialogs/DialogSupport.h"

#ifdef VELK_HAVE_QT_NETWORK
#include <QNetworkInterface>
#endif

namespace velk::ui {
namespace {

// How often the status line is told the progress at most, so a /16 does not flood the event loop.
constexpr auto kProgressInterval = std::chrono::milliseconds(50);

const QStringList kColumns = {QStringLiteral("地址"),     QStringLiteral("端口"),
                              QStringLiteral("IP地址"),   QStringLiteral("子网掩码"),
                              QStringLiteral("默认网关"), QStringLiteral("MAC地址")};

QStringList rowTextsOf(const FoundPanel& panel) {
    return {QString::fromStdString(dottedAddress(panel.address)),
            QString::number(panel.port),
            QString::fromStdString(dottedAddress(panel.network.ip)),
            QString::fromStdString(dottedAddress(panel.network.mask)),
            QString::fromStdString(dottedAddress(panel.network.gateway)),
            QString::fromStdString(macText(panel.network.mac))};
}

}  // namespace

CFindPanelDialog::CFindPanelDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("查找面板"));
    placedLabel(this, QStringLiteral("范围:"), 10, 10, 40, 25);
    m_rangeEdit = placedEdit(this, 50, 10, 330, 25);
    m_rangeEdit->setObjectName(QStringLiteral("rangeEdit"));
    m_rangeEdit->setToolTip(
        QStringLiteral("地址或网段，如 192.168.1.165 或 192.168.1.0/24（前缀 16 到 "
                       "32）；多个以空格分开"));
    keepWhatIsTyped(*m_rangeEdit);
    placedLabel(this, QStringLiteral("端口:"), 390, 10, 40, 25);
    m_portEdit = placedEdit(this, 430, 10, 60, 25);
    m_portEdit->setObjectName(QStringLiteral("portEdit"));
    acceptDigitsOnly(*m_portEdit);
    m_scanButton = placedButton(this, QStringLiteral("扫描"), 500, 10, 130, 25);
    m_scanButton->setObjectName(QStringLiteral("scanButton"));
    connect(m_scanButton, &QPushButton::clicked, this, [this] {
        if (scanning()) {
            stopScan();
        } else {
            startScan();
        }
    });
    // Enter in the range starts the scan rather than pressing 确定.
    connect(m_rangeEdit, &QLineEdit::returnPressed, m_scanButton, &QPushButton::click);

    m_list = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    m_list->setObjectName(QStringLiteral("panelList"));
    m_list->setGeometry(10, 45, 620, 210);
    m_list->setHorizontalHeaderLabels(kColumns);
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column : {0, 2, 3, 4}) {
        m_list->setColumnWidth(column, 105);
    }
    m_list->setColumnWidth(1, 50);
    m_list->horizontalHeader()->setStretchLastSection(true);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int) { accept(); });

    m_status = placedLabel(this, QStringLiteral("输入要查找的地址或网段，然后单击扫描。"), 10, 260, 620, 25);
    m_status->setObjectName(QStringLiteral("statusLabel"));

    placeOkCancel(*this, 460, 550, 292, 80, 25);
    setDialogWindowSize(*this, 648, 360);
    setPort(kDefaultPanelPort);
}

CFindPanelDialog::~CFindPanelDialog() {
    joinWorker();
}

void CFindPanelDialog::setRanges(const QString& ranges) {
    m_rangeEdit->setText(ranges);
}

void CFindPanelDialog::setPort(uint16_t port) {
    m_portEdit->setText(QString::number(port));
}

bool CFindPanelDialog::startScan() {
    if (scanning()) {
        return false;
    }
    static const QRegularExpression separators(QStringLiteral("[\\s,;，；、]+"));
    const QStringList texts = m_rangeEdit->text().split(separators, Qt::SkipEmptyParts);
    if (texts.isEmpty()) {
        showError(this, QStringLiteral("请输入要查找的地址或网段"));
        return false;
    }
    std::vector<AddressRange> ranges;
    for (const QString& text : texts) {
        auto parsed = parseScanRange(text.toStdString());
        if (!std::holds_alternative<AddressRange>(parsed)) {
            showError(this, QStringLiteral("“%1”不是地址或网段：请输入如 192.168.1.165 或 192.168.1.0/24 "
                                           "的范围（网段前缀 16 到 32）")
                                .arg(text));
            return false;
        }
        ranges.push_back(std::get<AddressRange>(parsed));
    }
    const std::optional<int> port = readInteger(m_portEdit->text());
    if (!port || *port < 1 || *port > 65535) {
        showError(this, QStringLiteral("端口范围为1到65535"));
        return false;
    }
    std::vector<uint32_t> addresses = scanAddresses(ranges);
    ScanOptions options = m_options;
    options.port = static_cast<uint16_t>(*port);

    m_panels.clear();
    m_list->setRowCount(0);
    m_progress = ScanProgress{0, addresses.size(), 0};
    const int generation = ++m_generation;
    showProgress(generation, m_progress);
    m_scanButton->setText(QStringLiteral("停止"));
    m_stop = false;
    m_worker = std::thread([this, generation, addresses = std::move(addresses), options] {
        auto lastProgress = std::chrono::steady_clock::now();
        ScanObserver observer;
        observer.found = [this, generation](const FoundPanel& panel) {
            QMetaObject::invokeMethod(
                this, [this, generation, panel] { addPanel(generation, panel); }, Qt::QueuedConnection);
        };
        observer.progress = [this, generation, &lastProgress](const ScanProgress& progress) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastProgress >= kProgressInterval) {
                lastProgress = now;
                QMetaObject::invokeMethod(
                    this, [this, generation, progress] { showProgress(generation, progress); },
                    Qt::QueuedConnection);
            }
        };
        const ScanResult result = scanPanels(addresses, options, m_stop, observer);
        const ScanProgress last{result.stopped ? 0 : addresses.size(), addresses.size(),
                                result.panels.size()};
        QMetaObject::invokeMethod(
            this,
            [this, generation, last, stopped = result.stopped] {
                if (!stopped) {
                    showProgress(generation, last);
                }
                finishScan(generation, stopped);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CFindPanelDialog::stopScan() {
    if (!scanning()) {
        return;
    }
    joinWorker();
    // The scan's own end may still be queued; the list and the line are final now.
    finishScan(m_generation, true);
    ++m_generation;
}

void CFindPanelDialog::joinWorker() {
    m_stop = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CFindPanelDialog::addPanel(int generation, const FoundPanel& panel) {
    if (generation != m_generation) {
        return;
    }
    auto at =
        std::lower_bound(m_panels.begin(), m_panels.end(), panel,
                         [](const FoundPanel& a, const FoundPanel& b) { return a.address < b.address; });
    const int row = static_cast<int>(at - m_panels.begin());
    m_panels.insert(at, panel);
    m_list->insertRow(row);
    const QStringList texts = rowTextsOf(panel);
    for (int column = 0; column < texts.size(); ++column) {
        m_list->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    if (m_list->selectedItems().isEmpty()) {
        m_list->selectRow(row);
    }
    m_progress.found = m_panels.size();
    showProgress(generation, m_progress);
}

void CFindPanelDialog::showProgress(int generation, const ScanProgress& progress) {
    if (generation != m_generation) {
        return;
    }
    m_progress.asked = std::max(m_progress.asked, progress.asked);
    m_progress.total = progress.total;
    m_status->setText(QStringLiteral("正在扫描：已询问 %1 / %2 个地址，找到 %3 个面板")
                          .arg(m_progress.asked)
                          .arg(m_progress.total)
                          .arg(m_panels.size()));
}

void CFindPanelDialog::finishScan(int generation, bool stopped) {
    if (generation != m_generation) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_scanButton->setText(QStringLiteral("扫描"));
    const qulonglong found = m_panels.size();
    if (stopped) {
        m_status->setText(QStringLiteral("已停止：已询问 %1 / %2 个地址，找到 %3 个面板")
                              .arg(m_progress.asked)
                              .arg(m_progress.total)
                              .arg(found));
    } else if (found == 0) {
        m_status->setText(QStringLiteral("扫描完成：%1 个地址中没有找到面板").arg(m_progress.total));
    } else {
        m_status->setText(
            QStringLiteral("扫描完成：%1 个地址中找到 %2 个面板").arg(m_progress.total).arg(found));
    }
    emit scanFinished();
}

void CFindPanelDialog::accept() {
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        showError(this, QStringLiteral("请选中一个面板"));
        return;
    }
    stopScan();
    m_chosen = m_panels[static_cast<size_t>(selected.first()->row())];
    QDialog::accept();
}

void CFindPanelDialog::reject() {
    stopScan();
    QDialog::reject();
}

QString localNetworkRanges() {
    std::vector<LocalAddress> addresses;
#ifdef VELK_HAVE_QT_NETWORK
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                addresses.push_back({entry.ip().toIPv4Address(), entry.netmask().toIPv4Address()});
            }
        }
    }
#endif
    return QString::fromStdString(localScanRanges(addresses));
}

}  // namespace velk::ui
