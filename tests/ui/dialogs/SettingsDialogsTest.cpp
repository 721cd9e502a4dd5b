#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "model/Gbk.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/dialogs/CAddCommandDlg.h"
#include "ui/dialogs/CSetIpDialog.h"
#include "ui/dialogs/CSetTimeDlg.h"
#include "ui/dialogs/CWritingTip.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/support/WidgetTestSupport.h"

Q_DECLARE_METATYPE(velk::EventSettings)

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

// A record whose every field differs from the defaults, to see which fields a dialog touches.
EventSettings fullRecord() {
    return EventSettings{1, 300, 1, 2500, 1, "PLAY"};
}

PanelNetworkReply panelReply() {
    PanelNetworkReply reply;
    reply.ip = 0xC0A801A5u;
    reply.mask = 0xFFFFFF00u;
    reply.gateway = 0xC0A80101u;
    reply.mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0xfe};
    reply.tcpPort = 4800;
    reply.udpPort = 4801;
    return reply;
}

}  // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void timeOk_data() {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("timeEnable");
        QTest::addColumn<int>("time");

        QTest::newRow("on with 300") << true << "300" << 1 << 300;
        QTest::newRow("off keeps the time") << false << "300" << 0 << 300;
        QTest::newRow("letters give 0") << true << "abc" << 1 << 0;
        QTest::newRow("leading digits") << true << "12ms" << 1 << 12;
        QTest::newRow("negative kept") << true << "-20" << 1 << -20;
        QTest::newRow("leading blanks") << true << "  45" << 1 << 45;
        QTest::newRow("empty gives 0") << true << "" << 1 << 0;
        QTest::newRow("beyond int saturates") << true << "99999999999" << 1 << 2147483647;
    }

    void timeOk() {
        QFETCH(bool, checked);
        QFETCH(QString, text);
        QFETCH(int, timeEnable);
        QFETCH(int, time);

        CSetTimeDlg dialog;
        EventSettings record = fullRecord();
        record.timeEnable = checked ? 0 : 1;
        dialog.setSettings(record);
        dialog.show();
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("timeEnableBox"));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("timeEdit"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), checked);
        QCOMPARE(edit->isEnabled(), checked);
        edit->setText(text);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        EventSettings expected = fullRecord();
        expected.timeEnable = timeEnable;
        expected.time = time;
        QCOMPARE(dialog.settings(), expected);
    }

    void timeOpensWithTheRecord() {
        CSetTimeDlg dialog;
        EventSettings record;
        record.time = 300;
        dialog.setSettings(record);
        QVERIFY(!dialog.findChild<QCheckBox*>(QStringLiteral("timeEnableBox"))->isChecked());
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("timeEdit"));
        QCOMPARE(edit->text(), QStringLiteral("300"));
        QVERIFY(!edit->isEnabled());
    }

    void appendOk_data() {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<EventSettings>("expected");

        EventSettings on = fullRecord();
        on.addTimeOut = 800;
        on.addString = utf8ToGbk("播放 'x'").value();
        QTest::newRow("on, chinese command") << true << "800" << true << "播放 'x'" << QString() << on;

        EventSettings off = fullRecord();
        off.addEnable = 0;
        off.addIsSend = 0;
        off.addTimeOut = 0;
        off.addString = "KEEP";
        QTest::newRow("off keeps the values, letters give 0")
            << false << "abc" << false << "KEEP" << QString() << off;

        QTest::newRow("command outside GBK refused")
            << true << "800" << true << QString::fromUtf8("go \xF0\x9F\x98\x80")
            << gbkRefusedMessage(QStringLiteral("追加指令")) << EventSettings{};
    }

    void appendOk() {
        QFETCH(bool, enable);
        QFETCH(QString, timeout);
        QFETCH(bool, send);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(EventSettings, expected);

        MessageRecorder recorder;
        CAddCommandDlg dialog;
        dialog.setSettings(fullRecord());
        dialog.show();
        auto* enableBox = dialog.findChild<QCheckBox*>(QStringLiteral("addEnableBox"));
        auto* sendBox = dialog.findChild<QCheckBox*>(QStringLiteral("sendBox"));
        dialog.findChild<QLineEdit*>(QStringLiteral("timeoutEdit"))->setText(timeout);
        dialog.findChild<QLineEdit*>(QStringLiteral("commandEdit"))->setText(command);
        sendBox->setChecked(send);
        enableBox->setChecked(enable);
        clickOk(dialog);
        if (message.isEmpty()) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.settings(), expected);
        } else {
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
            QCOMPARE(recorder.messages[0].text, message);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.settings(), fullRecord());
        }
    }

    void appendEnablingFollowsTheBox() {
        CAddCommandDlg dialog;
        EventSettings record;
        record.addString = "CMD";
        dialog.setSettings(record);
        dialog.show();
        auto* enableBox = dialog.findChild<QCheckBox*>(QStringLiteral("addEnableBox"));
        QList<QWidget*> fields{dialog.findChild<QLineEdit*>(QStringLiteral("timeoutEdit")),
                               dialog.findChild<QCheckBox*>(QStringLiteral("sendBox")),
                               dialog.findChild<QLineEdit*>(QStringLiteral("commandEdit"))};
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("timeoutEdit"))->text(), QStringLiteral("5000"));
        for (QWidget* field : fields) {
            QVERIFY(!field->isEnabled());
        }
        QTest::mouseClick(enableBox, Qt::LeftButton, {}, QPoint(6, enableBox->height() / 2));
        for (QWidget* field : fields) {
            QVERIFY(field->isEnabled());
        }
    }

    void appendCommandTooLongForItsCommandIsRefused() {
        CAddCommandDlg dialog;
        dialog.setSettings(fullRecord());
        auto* command = dialog.findChild<QLineEdit*>(QStringLiteral("commandEdit"));
        // Pasted whole, longer than an edit's usual limit, and kept so.
        command->selectAll();
        command->insert(QString(65520, QLatin1Char('x')));
        QCOMPARE(command->text().size(), 65520);
        MessageRecorder recorder;
        clickOk(dialog);
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
        QCOMPARE(
            recorder.messages[0].text,
            QStringLiteral("追加指令过长：写入指令共65542字节，面板一次最多接收65530字节，请缩短追加指令。"));
        QVERIFY(dialog.result() != int(QDialog::Accepted));
        QCOMPARE(dialog.settings(), fullRecord());
        // Append off sends no command: the text is kept as it is.
        dialog.findChild<QCheckBox*>(QStringLiteral("addEnableBox"))->setChecked(false);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.settings().addString.size(), size_t(65520));
    }

    void disabledFieldsSayWhy() {
        CAddCommandDlg append;
        append.setSettings(EventSettings{});
        QCOMPARE(append.findChild<QLineEdit*>(QStringLiteral("commandEdit"))->toolTip(),
                 QStringLiteral("勾选“追加”后才能修改"));
        CSetTimeDlg time;
        time.setSettings(EventSettings{});
        QCOMPARE(time.findChild<QLineEdit*>(QStringLiteral("timeEdit"))->toolTip(),
                 QStringLiteral("勾选“设置时间”后才能填写时间"));
        time.findChild<QCheckBox*>(QStringLiteral("timeEnableBox"))->setChecked(true);
        QVERIFY(time.findChild<QLineEdit*>(QStringLiteral("timeEdit"))->toolTip().isEmpty());
    }

    void appendUntouchedCommandKeepsItsBytes() {
        CAddCommandDlg dialog;
        EventSettings record = fullRecord();
        record.addString = "A\x81";  // not valid GBK: shown with a replacement character
        dialog.setSettings(record);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.settings(), record);
    }

    void writingTipShowsItsTextAndRange() {
        CWritingTip tip;
        QCOMPARE(tip.windowTitle(), QStringLiteral("正在写入"));
        QCOMPARE(tip.findChild<QLabel*>(QStringLiteral("tipText"))->text(),
                 QStringLiteral("    请勿操作TAV16 PLAN，关闭软件或者断开网络"));
        auto* bar = tip.findChild<QProgressBar*>(QStringLiteral("progressBar"));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 400);
        QVERIFY(!tip.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        tip.setPosition(380);
        QCOMPARE(tip.position(), 380);
        tip.setPosition(401);
        QCOMPARE(tip.position(), 380);
        tip.setPosition(400);
        QCOMPARE(tip.position(), 400);
    }

    void writingTipIgnoresEscapeAndClose() {
        CWritingTip tip;
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        QTest::keyClick(&tip, Qt::Key_Escape);
        QVERIFY(tip.isVisible());
        QVERIFY(!tip.close());
        QVERIFY(tip.isVisible());
        tip.reject();
        QVERIFY(tip.isVisible());
        tip.finish();
        QVERIFY(!tip.isVisible());
        // The same window serves the next write.
        tip.show();
        QTest::keyClick(&tip, Qt::Key_Escape);
        QVERIFY(tip.isVisible());
        tip.finish();
        QVERIFY(!tip.isVisible());
    }

    void writingTipModalRunEndsOnlyWithFinish() {
        CWritingTip tip;
        ModalHandlerGuard modal([](QDialog& dialog) {
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            dialog.close();
            bool stillOpen = dialog.isVisible();
            static_cast<CWritingTip&>(dialog).finish();
            return stillOpen && !dialog.isVisible() ? dialog.result() : -1;
        });
        int result = runModal(tip);
        QCOMPARE(result, int(QDialog::Accepted));
    }

    void panelNetworkPrefillsAndHidesThePorts() {
        CSetIpDialog dialog;
        dialog.setPanelValues(panelReply());
        dialog.show();
        QCOMPARE(dialog.findChild<Ipv4Edit*>(QStringLiteral("ipEdit"))->address(), 0xC0A801A5u);
        QCOMPARE(dialog.findChild<Ipv4Edit*>(QStringLiteral("maskEdit"))->address(), 0xFFFFFF00u);
        QCOMPARE(dialog.findChild<Ipv4Edit*>(QStringLiteral("gatewayEdit"))->address(), 0xC0A80101u);
        QStringList macs;
        for (int i = 1; i <= 6; ++i) {
            macs << dialog.findChild<QLineEdit*>(QStringLiteral("mac%1").arg(i))->text();
        }
        QCOMPARE(macs, (QStringList{"00", "1A", "2B", "3C", "4D", "FE"}));
        auto* tcp = dialog.findChild<QLineEdit*>(QStringLiteral("tcpPortEdit"));
        auto* udp = dialog.findChild<QLineEdit*>(QStringLiteral("udpPortEdit"));
        QCOMPARE(tcp->text(), QStringLiteral("4800"));
        QCOMPARE(udp->text(), QStringLiteral("4801"));
        QVERIFY(!tcp->isVisible());
        QVERIFY(!udp->isVisible());
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            QVERIFY(!label->isVisible() || !label->text().contains(QStringLiteral("端口")));
        }
    }

    // Each of the three address controls takes every typed shape as typed, and OK sends the command
    // of exactly that address.
    void panelNetworkAddressesAreTakenAsTyped() {
        for (const char* name : {"ipEdit", "maskEdit", "gatewayEdit"}) {
            for (const TypedAddress& typed : typedAddresses()) {
                const QString what = QStringLiteral("%1, %2: %3")
                                         .arg(QString::fromLatin1(name), QString::fromLatin1(typed.name),
                                              QString::fromLatin1(typed.keys));
                MessageRecorder recorder;
                CSetIpDialog dialog;
                PanelNetworkReply reply = panelReply();
                PanelNetworkSettings expected{reply.ip,  reply.mask,    reply.gateway,
                                              reply.mac, reply.tcpPort, reply.udpPort};
                const QString control = QString::fromLatin1(name);
                if (control == QStringLiteral("ipEdit")) {
                    reply.ip = typed.before;
                    expected.ip = typed.expected;
                } else if (control == QStringLiteral("maskEdit")) {
                    reply.mask = typed.before;
                    expected.mask = typed.expected;
                } else {
                    reply.gateway = typed.before;
                    expected.gateway = typed.expected;
                }
                dialog.setPanelValues(reply);
                dialog.show();
                typeAddress(dialog.findChild<Ipv4Edit*>(control), QString::fromLatin1(typed.keys));
                clickOk(dialog);
                QVERIFY2(recorder.messages.isEmpty(), qPrintable(what));
                QVERIFY2(dialog.settings() == expected, qPrintable(what));
                QVERIFY2(
                    panelNetworkChanges(reply, dialog.settings()) == panelNetworkChanges(reply, expected),
                    qPrintable(what));
            }
        }
    }

    void panelNetworkMacEditsTurnLettersUpperCase() {
        CSetIpDialog dialog;
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("mac2"));
        QCOMPARE(typedInto(edit, QStringLiteral("fc9")), QStringLiteral("FC"));
    }

    void panelNetworkOk_data() {
        QTest::addColumn<int>("macEdit");
        QTest::addColumn<QString>("macText");
        QTest::addColumn<int>("tcpPort");
        QTest::addColumn<QString>("udpText");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("macByte");

        QTest::newRow("unchanged") << 1 << "00" << 4800 << "4801" << QString() << 0x00;
        QTest::newRow("one digit reads as a byte") << 3 << "a" << 4800 << "4801" << QString() << 0x0A;
        QTest::newRow("leading space") << 4 << " B" << 4800 << "4801" << QString() << 0x0B;
        QTest::newRow("G is not hex") << 3 << "G1" << 4800 << "4801"
                                      << "MAC3错误，只能为数字和字母A到F" << 0;
        QTest::newRow("empty MAC") << 6 << "" << 4800 << "4801"
                                   << "MAC6为空" << 0;
        QTest::newRow("panel reports TCP port 0") << 1 << "00" << 0 << "4801"
                                                  << "TCP端口范围为0到65536" << 0;
        QTest::newRow("TCP port above 65535") << 1 << "00" << 65536 << "4801"
                                              << "TCP端口范围为0到65536" << 0;
        QTest::newRow("empty UDP port") << 1 << "00" << 4800 << ""
                                        << "UDP端口不能为空" << 0;
        QTest::newRow("UDP port 0") << 1 << "00" << 4800 << "0"
                                    << "UDP端口范围为0到65536" << 0;
        QTest::newRow("MAC checked before ports") << 2 << "x" << 0 << ""
                                                  << "MAC2错误，只能为数字和字母A到F" << 0;
    }

    void panelNetworkOk() {
        QFETCH(int, macEdit);
        QFETCH(QString, macText);
        QFETCH(int, tcpPort);
        QFETCH(QString, udpText);
        QFETCH(QString, message);
        QFETCH(int, macByte);

        MessageRecorder recorder;
        CSetIpDialog dialog;
        PanelNetworkReply reply = panelReply();
        reply.tcpPort = tcpPort;
        dialog.setPanelValues(reply);
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("mac%1").arg(macEdit))->setText(macText);
        dialog.findChild<QLineEdit*>(QStringLiteral("udpPortEdit"))->setText(udpText);
        dialog.findChild<Ipv4Edit*>(QStringLiteral("gatewayEdit"))->field(3)->setText(QStringLiteral("254"));
        clickOk(dialog);
        if (message.isEmpty()) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            PanelNetworkSettings expected{reply.ip,  reply.mask, 0xC0A801FEu,
                                          reply.mac, tcpPort,    udpText.toInt()};
            expected.mac[static_cast<size_t>(macEdit - 1)] = static_cast<uint8_t>(macByte);
            QCOMPARE(dialog.settings(), expected);
            // Only the gateway (and a retyped MAC byte) would go to the panel.
            std::vector<std::string> changes = panelNetworkChanges(reply, dialog.settings());
            QVERIFY(!changes.empty());
            QVERIFY(QString::fromStdString(changes[0]).startsWith(QStringLiteral("QM-PANEL-setgate-")));
        } else {
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
            QCOMPARE(recorder.messages[0].text, message);
            QVERIFY(dialog.isVisible());
        }
    }
};

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
