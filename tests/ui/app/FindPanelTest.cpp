// 查找面板 against simulated panels on 127.0.79.x: what the dialog lists, what it refuses, a stop
// in the middle, and the form taking the chosen panel's address from Ctrl+F and from 连接's menu.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <optional>

#include "ViewProjects.h"
#include "device/PanelAddress.h"
#include "sim/PanelGroup.h"
#include "ui/app/AppSettings.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/CVelkView.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/dialogs/CFindPanelDialog.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

constexpr uint32_t kBlock = 0x7F004F00;  // 127.0.79.0

// Panels on 127.0.79.2 to .4 and a peer on .5 that takes connections and never answers, all on
// one port; nothing on .1 and .6.
struct PanelFloor {
    std::unique_ptr<sim::PanelGroup> panels;
    std::optional<TcpListener> silent;
    uint16_t port = 0;

    bool start(std::string& error) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            sim::SimulatorCommandLine line;
            line.panels = 3;
            line.addressStep = true;
            line.options.address = kBlock + 2;
            line.options.port = 0;
            panels = std::make_unique<sim::PanelGroup>(line, nullptr);
            std::optional<uint16_t> bound = panels->start(error);
            if (!bound) {
                continue;
            }
            port = *bound;
            silent = TcpListener::listenOn(kBlock + 5, port, error);
            if (silent) {
                return true;
            }
        }
        return false;
    }
};

QString address(uint32_t host) {
    return QString::fromStdString(dottedAddress(kBlock + host));
}

// Short time-outs: the silent peer costs this long.
ScanOptions quickOptions() {
    ScanOptions options;
    options.timeoutMs = 300;
    return options;
}

bool scanToTheEnd(CFindPanelDialog& dialog) {
    QSignalSpy finished(&dialog, &CFindPanelDialog::scanFinished);
    return dialog.startScan() && finished.wait(20000);
}

QTableWidget* panelList(QDialog& dialog) {
    return dialog.findChild<QTableWidget*>(QStringLiteral("panelList"));
}

QString statusText(QDialog& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
}

}  // namespace

class FindPanelTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir{projectFolderTemplate(QStringLiteral("find"))};
    PanelFloor m_floor;
    std::optional<MessageRecorder> m_recorder;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setAppSettingsFile(m_dir.filePath(QStringLiteral("settings.ini")));
        pinScreenArea(kLargeScreen);
        failOnMessages();
        std::string error;
        QVERIFY2(m_floor.start(error), error.c_str());
    }

    void init() { m_recorder.emplace(); }
    void cleanup() { m_recorder.reset(); }

    // Exactly the panels that answer, in address order, with what each reports; the silent peer and
    // the closed addresses are not listed.
    void listsExactlyThePanelsThatAnswer() {
        CFindPanelDialog dialog;
        dialog.setScanOptions(quickOptions());
        dialog.setRanges(QStringLiteral("127.0.79.0/29"));
        dialog.setPort(m_floor.port);
        QVERIFY(scanToTheEnd(dialog));
        QTableWidget* list = panelList(dialog);
        QCOMPARE(list->rowCount(), 3);
        const QString port = QString::number(m_floor.port);
        for (int i = 0; i < 3; ++i) {
            const QString at = address(static_cast<uint32_t>(2 + i));
            QCOMPARE(rowTexts(list, i), (QStringList{at, port, at, QStringLiteral("255.255.255.0"),
                                                     QStringLiteral("192.168.1.1"),
                                                     QStringLiteral("00.1A.2B.3C.00.0%1").arg(i)}));
        }
        QCOMPARE(dialog.panels().size(), size_t(3));
        QCOMPARE(statusText(dialog), QStringLiteral("扫描完成：6 个地址中找到 3 个面板"));
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("scanButton"))->text(),
                 QStringLiteral("扫描"));
        QVERIFY(!dialog.scanning());
        QVERIFY(m_recorder->messages.isEmpty());

        // A second scan starts afresh: the list holds only what it finds.
        dialog.setRanges(QStringLiteral("127.0.79.4, 127.0.79.6；127.0.79.4"));
        QVERIFY(scanToTheEnd(dialog));
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->item(0, 0)->text(), address(4));
        QCOMPARE(statusText(dialog), QStringLiteral("扫描完成：2 个地址中找到 1 个面板"));

        dialog.setRanges(QStringLiteral("127.0.79.6"));
        QVERIFY(scanToTheEnd(dialog));
        QCOMPARE(list->rowCount(), 0);
        QCOMPARE(statusText(dialog), QStringLiteral("扫描完成：1 个地址中没有找到面板"));
        // 确定 with nothing chosen keeps the dialog open.
        clickOk(dialog);
        QCOMPARE(m_recorder->lastText(), QStringLiteral("请选中一个面板"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.chosenPanel());
    }

    // What 扫描 refuses, each with its message, and no scan started.
    void refusesWrongRangesAndPorts() {
        struct Case {
            QString ranges;
            QString port;
            QString message;
        };
        const QList<Case> cases = {
            {QStringLiteral(" "), QStringLiteral("4800"), QStringLiteral("请输入要查找的地址或网段")},
            {QStringLiteral("10.0.0.0/8"), QStringLiteral("4800"),
             QStringLiteral(
                 "“10.0.0.0/8”不是地址或网段：请输入如 192.168.1.165 或 192.168.1.0/24 的范围（网段前缀 "
                 "16 到 32）")},
            {QStringLiteral("127.0.79.2 127.0.79"), QStringLiteral("4800"),
             QStringLiteral(
                 "“127.0.79”不是地址或网段：请输入如 192.168.1.165 或 192.168.1.0/24 的范围（网段前缀 "
                 "16 到 32）")},
            {QStringLiteral("127.0.79.2"), QStringLiteral(""), QStringLiteral("端口范围为1到65535")},
            {QStringLiteral("127.0.79.2"), QStringLiteral("0"), QStringLiteral("端口范围为1到65535")},
            {QStringLiteral("127.0.79.2"), QStringLiteral("65536"), QStringLiteral("端口范围为1到65535")},
        };
        for (const Case& c : cases) {
            CFindPanelDialog dialog;
            dialog.setRanges(c.ranges);
            dialog.findChild<QLineEdit*>(QStringLiteral("portEdit"))->setText(c.port);
            m_recorder->messages.clear();
            dialog.findChild<QPushButton*>(QStringLiteral("scanButton"))->click();
            QVERIFY2(!dialog.scanning(), qPrintable(c.ranges));
            QCOMPARE(m_recorder->messages.size(), 1);
            QCOMPARE(m_recorder->messages[0].title, QStringLiteral("错误"));
            QCOMPARE(m_recorder->messages[0].text, c.message);
        }
    }

    // 停止 while the silent peer keeps the scan waiting: the scan ends at once, what it found stays
    // and can be chosen.
    void stopKeepsWhatWasFound() {
        CFindPanelDialog dialog;
        ScanOptions options;
        options.jobs = 1;
        options.timeoutMs = 60000;
        dialog.setScanOptions(options);
        dialog.setRanges(QStringLiteral("127.0.79.6 127.0.79.5 127.0.79.2"));
        dialog.setPort(m_floor.port);
        QVERIFY(dialog.startScan());
        QPushButton* scan = dialog.findChild<QPushButton*>(QStringLiteral("scanButton"));
        QCOMPARE(scan->text(), QStringLiteral("停止"));
        // .2 answers; then the scan waits on .5.
        QTRY_COMPARE_WITH_TIMEOUT(panelList(dialog)->rowCount(), 1, 10000);
        QSignalSpy finished(&dialog, &CFindPanelDialog::scanFinished);
        scan->click();
        QVERIFY(!dialog.scanning());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(scan->text(), QStringLiteral("扫描"));
        QVERIFY(statusText(dialog).startsWith(QStringLiteral("已停止：")));
        QVERIFY(statusText(dialog).endsWith(QStringLiteral("3 个地址，找到 1 个面板")));
        // Nothing of the stopped scan arrives later: what its thread posted is in the queue by now.
        QCoreApplication::processEvents();
        QCOMPARE(panelList(dialog)->rowCount(), 1);
        QVERIFY(statusText(dialog).startsWith(QStringLiteral("已停止：")));
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenPanel()->address, kBlock + 2);
    }

    // Closing the dialog in the middle of a scan ends it; nothing is left running.
    void closingEndsTheScan() {
        auto dialog = std::make_unique<CFindPanelDialog>();
        ScanOptions options;
        options.timeoutMs = 60000;
        dialog->setScanOptions(options);
        dialog->setRanges(QStringLiteral("127.0.79.5"));
        dialog->setPort(m_floor.port);
        QVERIFY(dialog->startScan());
        dialog->reject();
        QVERIFY(!dialog->scanning());
        dialog.reset();
        QCoreApplication::processEvents();
    }

    // Ctrl+F on the form: the dialog offers the computer's networks and the form's port, and the
    // panel double-clicked goes into the address fields. Without a project (连接 disabled) the key
    // opens nothing.
    void ctrlFPutsTheChosenPanelIntoTheForm() {
        CMainFrame frame;
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        CVelkView& view = *frame.view();
        const MainFormControls& c = view.controls();
        int opened = 0;
        QString offeredRanges;
        QString offeredPort;
        ModalHandlerGuard modal([&](QDialog& shown) {
            ++opened;
            auto* dialog = qobject_cast<CFindPanelDialog*>(&shown);
            if (dialog == nullptr) {
                return int(QDialog::Rejected);
            }
            offeredRanges = dialog->findChild<QLineEdit*>(QStringLiteral("rangeEdit"))->text();
            offeredPort = dialog->findChild<QLineEdit*>(QStringLiteral("portEdit"))->text();
            dialog->setScanOptions(quickOptions());
            dialog->setRanges(QStringLiteral("127.0.79.0/29"));
            if (!scanToTheEnd(*dialog)) {
                return int(QDialog::Rejected);
            }
            dialog->show();
            if (!QTest::qWaitForWindowExposed(dialog)) {
                return int(QDialog::Rejected);
            }
            QTableWidget* list = panelList(*dialog);
            const QRect cell = list->visualItemRect(list->item(2, 0));
            // A double click is a click and then the second press.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            return dialog->result();
        });

        QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(opened, 0);

        const QString path = m_dir.filePath(QStringLiteral("find.db"));
        {
            FileDialogGuard chosen([path](bool) { return path; });
            c.newButton->click();
        }
        QVERIFY(view.settleProjectFile());
        view.setPanelAddress(kDefaultPanelIp, m_floor.port);
        QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(opened, 1);
        QCOMPARE(offeredPort, QString::number(m_floor.port));
        QCOMPARE(offeredRanges, localNetworkRanges());
        QCOMPARE(c.ipEdit->address(), kBlock + 4);
        QCOMPARE(c.portEdit->text(), QString::number(m_floor.port));
        QVERIFY(m_recorder->messages.isEmpty());
        view.shutdown();
    }

    // 连接's right-click menu holds 查找面板; cancelling leaves the address as it was.
    void theConnectMenuOpensIt() {
        CVelkView view;
        const MainFormControls& c = view.controls();
        const QString path = m_dir.filePath(QStringLiteral("menu.db"));
        {
            FileDialogGuard chosen([path](bool) { return path; });
            c.newButton->click();
        }
        QVERIFY(view.settleProjectFile());
        view.setPanelAddress(kBlock + 3, 4801);
        int opened = 0;
        ModalHandlerGuard modal([&](QDialog& shown) {
            opened += qobject_cast<CFindPanelDialog*>(&shown) != nullptr ? 1 : 0;
            return int(QDialog::Rejected);
        });
        QString entry;
        QTimer::singleShot(0, [&entry] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu != nullptr && !menu->actions().isEmpty()) {
                entry = menu->actions().first()->text();
                menu->actions().first()->trigger();
                menu->close();
            }
        });
        emit c.connectButton->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(entry, QStringLiteral("查找面板…"));
        QCOMPARE(opened, 1);
        QCOMPARE(c.ipEdit->address(), kBlock + 3);
        QCOMPARE(c.portEdit->text(), QStringLiteral("4801"));
        view.shutdown();
    }
};

QTEST_MAIN(FindPanelTest)
#include "FindPanelTest.moc"
