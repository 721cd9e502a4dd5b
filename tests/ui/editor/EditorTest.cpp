#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QtTest>

#include "EditorTestSupport.h"
#include "action/ActionText.h"
#include "support/ActionMaker.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/WindowPlacement.h"
#include "ui/editor/CEditDialog.h"
#include "ui/editor/CNetComData.h"

Q_DECLARE_METATYPE(velk::KeyAction)

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

ProjectSession::ActionEditRequest request(int mask, std::optional<KeyAction> source = std::nullopt) {
    ProjectSession::ActionEditRequest r;
    r.slot = 0;
    r.disabledFunctions = mask;
    r.source = std::move(source);
    r.row = r.source ? 0 : -1;
    return r;
}

// Outcome of pressing 确定 on a shown editor.
struct Outcome {
    int accepted = 0;
    int rejected = 0;
    bool stillOpen() const { return accepted == 0 && rejected == 0; }
};

Outcome pressOk(CEditDialog& dialog) {
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    dialog.controls().ok->click();
    return Outcome{static_cast<int>(accepted.count()), static_cast<int>(rejected.count())};
}

}  // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        failOnMessages();
        pinScreenArea(kLargeScreen);
    }
    void init() { m_model.reset(); }

    void offersFunctionsOfTheMaskInFixedOrder_data() {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QString>("selected");
        QTest::newRow("empty slot") << 0 << QStringList{"红外", "IO", "继电器", "网络", "串口"}
                                    << QStringLiteral("网络");
        QTest::newRow("data action held")
            << (8 | 16) << QStringList{"红外", "IO", "继电器"} << QStringLiteral("红外");
        QTest::newRow("hold event") << (1 | 2 | 4) << QStringList{"网络", "串口"} << QStringLiteral("网络");
        QTest::newRow("only relay left")
            << (1 | 2 | 8 | 16) << QStringList{"继电器"} << QStringLiteral("继电器");
    }
    void offersFunctionsOfTheMaskInFixedOrder() {
        QFETCH(int, mask);
        QFETCH(QStringList, offered);
        QFETCH(QString, selected);
        CEditDialog dialog(m_model);
        dialog.setRequest(request(mask));
        QCOMPARE(entries(dialog.controls().function), offered);
        QCOMPARE(dialog.controls().function->currentText(), selected);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("添加数据"));
    }

    void modifySelectsTheSourceFunction_data() {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("selected");
        QTest::newRow("infrared") << int(FunctionCode::Infrared) << QStringLiteral("红外");
        QTest::newRow("io") << int(FunctionCode::Io) << QStringLiteral("IO");
        QTest::newRow("serial") << int(FunctionCode::Serial) << QStringLiteral("串口");
        QTest::newRow("network") << int(FunctionCode::Network) << QStringLiteral("网络");
        QTest::newRow("relay") << int(FunctionCode::Relay) << QStringLiteral("继电器");
    }
    void modifySelectsTheSourceFunction() {
        QFETCH(int, function);
        QFETCH(QString, selected);
        KeyAction source;
        source.function = static_cast<FunctionCode>(function);
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0, source));
        QCOMPARE(dialog.controls().function->currentText(), selected);
    }

    void addModeInitialValues() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        // Adding to an empty slot: network, TCP1, Ascii, no blanks, no custom address, narrow window.
        QCOMPARE(c.netChannel->currentText(), QStringLiteral("TCP1"));
        QCOMPARE(c.netType->currentText(), QStringLiteral("Ascii"));
        QCOMPARE(c.netCount->currentText(), QStringLiteral("0"));
        QCOMPARE(entries(c.netCount), (QStringList{"0", "1", "2", "3", "4", "5", "6"}));
        QVERIFY(c.customFrame->isHidden());
        QCOMPARE(dialog.width(), 320);
        QCOMPARE(c.customIp->address(), 0u);
        QCOMPARE(c.customPort->text(), QStringLiteral("0"));

        choose(dialog, QStringLiteral("红外"));
        QCOMPARE(c.irCode->text(), QStringLiteral("1"));
        for (QCheckBox* box : c.irChannels) {
            QVERIFY(!box->isChecked());
        }
        choose(dialog, QStringLiteral("IO"));
        QCOMPARE(c.ioOperation->currentText(), QStringLiteral("置高"));
        QVERIFY(!c.ioChannels[0]->isChecked() && !c.ioChannels[1]->isChecked());
        choose(dialog, QStringLiteral("继电器"));
        QCOMPARE(c.relayOperation->currentText(), QStringLiteral("打开"));
        QVERIFY(!c.relayChannels[0]->isChecked() && !c.relayChannels[1]->isChecked());
        choose(dialog, QStringLiteral("串口"));
        QCOMPARE(c.serialChannel->currentText(), QStringLiteral("RS232-1"));
        QCOMPARE(c.serialType->currentText(), QStringLiteral("Ascii"));
        QCOMPARE(c.serialCount->currentText(), QStringLiteral("0"));
        QCOMPARE(c.baudrate->currentText(), QStringLiteral("115200"));
        QCOMPARE(c.dataWidth->currentText(), QStringLiteral("8位"));
        QCOMPARE(c.parity->currentText(), QStringLiteral("无校验"));
        QCOMPARE(c.stop->currentText(), QStringLiteral("1位"));
        QCOMPARE(entries(c.parity), (QStringList{"无校验", "偶校验", "奇校验", "强制1校验", "强制0校验"}));
        QCOMPARE(entries(c.baudrate).size(), 10);
    }

    void modifyModeInitialValues() {
        const auto& check = [this](const KeyAction& source, auto verify) {
            CEditDialog dialog(m_model);
            dialog.setRequest(request(0, source));
            verify(dialog.controls());
        };
        KeyAction ir;
        ir.function = FunctionCode::Infrared;
        ir.irChannels = 8 | 2;
        ir.irCode = 37;
        check(ir, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.irCode->text(), QStringLiteral("37"));
            QVERIFY(!c.irChannels[0]->isChecked() && c.irChannels[1]->isChecked());
            QVERIFY(!c.irChannels[2]->isChecked() && c.irChannels[3]->isChecked());
        });
        KeyAction io;
        io.function = FunctionCode::Io;
        io.ioOperation = 2;
        io.ioChannels = 2;
        check(io, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.ioOperation->currentText(), QStringLiteral("反转"));
            QVERIFY(!c.ioChannels[0]->isChecked() && c.ioChannels[1]->isChecked());
        });
        KeyAction relay;
        relay.function = FunctionCode::Relay;
        relay.relayOperation = 1;
        relay.relayChannels = 3;
        check(relay, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.relayOperation->currentText(), QStringLiteral("关闭"));
            QVERIFY(c.relayChannels[0]->isChecked() && c.relayChannels[1]->isChecked());
        });
        KeyAction net =
            networkAction(1, {"a", "b", "c"}, {enumBlank(2, 7, 1, 1, 2, 1), inputBlank(2, 4, 2, 1)});
        net.network.type = kHex;
        net.network.ip = 0x0A000001;
        net.network.port = 4800;
        check(net, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.netChannel->currentText(), QStringLiteral("UDP(自定义地址)"));
            QCOMPARE(c.netType->currentText(), QStringLiteral("Hex"));
            QCOMPARE(c.netCount->currentText(), QStringLiteral("2"));
            QCOMPARE(c.customIp->address(), 0x0A000001u);
            QCOMPARE(c.customPort->text(), QStringLiteral("4800"));
            QVERIFY(!c.customFrame->isHidden());
        });
        KeyAction serial;
        serial.function = FunctionCode::Serial;
        serial.serial.channel = 1;
        serial.serial.type = kHex;
        serial.serial.baudrate = 5;
        serial.serial.dataWidth = 2;
        serial.serial.adjust = 4;
        serial.serial.stop = 1;
        serial.serial.varNum = 1;
        serial.serial.texts = {"01", "02"};
        serial.serial.placeholders = {varBlank(15, -3, 250, 1, 10)};
        check(serial, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.serialChannel->currentText(), QStringLiteral("RS232-2"));
            QCOMPARE(c.serialType->currentText(), QStringLiteral("Hex"));
            QCOMPARE(c.serialCount->currentText(), QStringLiteral("1"));
            QCOMPARE(c.baudrate->currentText(), QStringLiteral("9600"));
            QCOMPARE(c.dataWidth->currentText(), QStringLiteral("7位"));
            QCOMPARE(c.parity->currentText(), QStringLiteral("强制0校验"));
            QCOMPARE(c.stop->currentText(), QStringLiteral("2位"));
        });
        // A source of another function opens the infrared controls in their add-mode values.
        check(io, [](const CEditDialog::Controls& c) { QCOMPARE(c.irCode->text(), QStringLiteral("1")); });
        // The custom address of a network action on a configured target starts empty.
        KeyAction tcp2 = networkAction(3, {"x"}, {});
        tcp2.network.ip = 0x01020304;
        tcp2.network.port = 99;
        check(tcp2, [](const CEditDialog::Controls& c) {
            QCOMPARE(c.customIp->address(), 0u);
            QCOMPARE(c.customPort->text(), QStringLiteral("0"));
        });
    }

    void windowSizesAndButtonRows_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("ok");
        QTest::addColumn<QPoint>("cancel");
        QTest::newRow("infrared") << "红外" << 0 << 2 << QSize(320, 170) << QPoint(15, 105)
                                  << QPoint(145, 105);
        QTest::newRow("io") << "IO" << 0 << 2 << QSize(320, 170) << QPoint(15, 105) << QPoint(145, 105);
        QTest::newRow("relay") << "继电器" << 0 << 2 << QSize(320, 170) << QPoint(50, 105)
                               << QPoint(180, 105);
        QTest::newRow("net 0") << "网络" << 0 << 2 << QSize(320, 245) << QPoint(25, 185) << QPoint(165, 185);
        QTest::newRow("net 0 custom")
            << "网络" << 0 << 0 << QSize(640, 245) << QPoint(80, 185) << QPoint(370, 185);
        QTest::newRow("net 1") << "网络" << 1 << 8 << QSize(640, 245) << QPoint(80, 185) << QPoint(370, 185);
        QTest::newRow("net 2") << "网络" << 2 << 2 << QSize(955, 245) << QPoint(220, 185) << QPoint(510, 185);
        QTest::newRow("net 3") << "网络" << 3 << 1 << QSize(955, 325) << QPoint(220, 265) << QPoint(510, 265);
        QTest::newRow("net 6") << "网络" << 6 << 2 << QSize(955, 405) << QPoint(220, 345) << QPoint(510, 345);
        QTest::newRow("serial 0") << "串口" << 0 << 2 << QSize(640, 245) << QPoint(80, 185)
                                  << QPoint(370, 185);
        QTest::newRow("serial 1") << "串口" << 1 << 2 << QSize(640, 245) << QPoint(80, 185)
                                  << QPoint(370, 185);
        QTest::newRow("serial 5") << "串口" << 5 << 2 << QSize(955, 325) << QPoint(220, 265)
                                  << QPoint(510, 265);
        QTest::newRow("serial 6") << "串口" << 6 << 2 << QSize(955, 405) << QPoint(220, 345)
                                  << QPoint(510, 345);
    }
    void windowSizesAndButtonRows() {
        QFETCH(QString, function);
        QFETCH(int, count);
        QFETCH(int, channel);
        QFETCH(QSize, size);
        QFETCH(QPoint, ok);
        QFETCH(QPoint, cancel);
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        choose(dialog, function);
        c.netChannel->setCurrentIndex(channel);
        (function == QStringLiteral("串口") ? c.serialCount : c.netCount)->setCurrentIndex(count);
        QCOMPARE(dialog.size(), size);
        QCOMPARE(c.ok->pos(), ok);
        QCOMPARE(c.cancel->pos(), cancel);
        // Every shown control lies inside the window.
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (child->isVisibleTo(&dialog) && child->parentWidget() == &dialog &&
                child != dialog.composerArea()) {  // the composer panels may reach past it, as designed
                QVERIFY2(QRect(QPoint(), size).contains(child->geometry()), qPrintable(child->objectName()));
            }
        }
    }

    void theComposerSitsBelowTheEditorsOwnControls() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        choose(dialog, QStringLiteral("网络"));
        dialog.controls().netCount->setCurrentIndex(4);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.netPanel()->mapTo(&dialog, QPoint()), QPoint(0, 90));
        // On a roomy screen it is shown whole: nothing to scroll.
        QCOMPARE(dialog.composerArea()->size(), dialog.netPanel()->size());
        choose(dialog, QStringLiteral("串口"));
        QCOMPARE(dialog.serialPanel()->mapTo(&dialog, QPoint()), QPoint(0, 90));
        choose(dialog, QStringLiteral("红外"));
        QVERIFY(dialog.composerArea()->isHidden());
    }

    void sixBlanksFitTheScreen_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("designedSize");
        QTest::newRow("1366x768") << QRect(0, 0, 1366, 768) << true;
        QTest::newRow("1366x768 at 150%") << QRect(0, 0, 910, 480) << false;
        QTest::newRow("1280x800 at 200%, panel on the left") << QRect(48, 0, 592, 400) << false;
    }
    void sixBlanksFitTheScreen() {
        QFETCH(QRect, area);
        QFETCH(bool, designedSize);
        ScreenAreaGuard screen([area](const QWidget*) { return area; });
        std::vector<Placeholder> blanks(6, enumBlank(2, 7, 1, 1, 2, 1));
        std::vector<std::string> texts(7, "SEG");
        // The window it opens over stands at the right edge, where a centred editor would stick out.
        QWidget owner;
        owner.setGeometry(area.right() - 150, area.top() + 40, 200, 150);
        owner.show();
        CEditDialog dialog(m_model, &owner);
        dialog.setWindowFlag(Qt::Dialog);
        dialog.setRequest(request(0, networkAction(2, texts, blanks)));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect window = dialog.geometry().marginsAdded(kExpectedFrame);
        QVERIFY2(area.contains(window), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                       .arg(window.x())
                                                       .arg(window.y())
                                                       .arg(window.width())
                                                       .arg(window.height())));
        const CEditDialog::Controls& c = dialog.controls();
        for (QPushButton* button : {c.ok, c.cancel}) {
            QVERIFY(QRect(QPoint(), dialog.size()).contains(button->geometry()));
        }
        QScrollArea* composer = dialog.composerArea();
        QVERIFY(QRect(QPoint(), dialog.size()).contains(composer->geometry()));
        if (designedSize) {
            QCOMPARE(dialog.size(), QSize(955, 405));
            QCOMPARE(c.ok->pos(), QPoint(220, 345));
            QCOMPARE(composer->size(), dialog.netPanel()->size());
            return;
        }
        QVERIFY(composer->height() < dialog.netPanel()->height() ||
                composer->width() < dialog.netPanel()->width());
        // Every segment edit can still be reached: the area scrolls to it.
        for (int cell = 0; cell <= 6; ++cell) {
            QLineEdit* edit = dialog.netPanel()->textEdit(cell);
            composer->ensureWidgetVisible(edit);
            const QRect shown = QRect(edit->mapTo(composer->viewport(), QPoint()), edit->size());
            QVERIFY2(composer->viewport()->rect().intersects(shown), qPrintable(QString::number(cell)));
        }
        // Still the same editor: confirming takes all six blanks.
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(dialog.action().network.placeholders.size(), size_t(6));
    }

    void customAddressOnlyForCustomChannels() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        for (int channel = 0; channel < c.netChannel->count(); ++channel) {
            c.netChannel->setCurrentIndex(channel);
            QCOMPARE(!c.customFrame->isHidden(), channel <= 1);
        }
        c.netChannel->setCurrentIndex(0);
        choose(dialog, QStringLiteral("串口"));
        QVERIFY(c.customFrame->isHidden());
        choose(dialog, QStringLiteral("网络"));
        QVERIFY(!c.customFrame->isHidden());
    }

    void infraredChannelsAndId() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        choose(dialog, QStringLiteral("红外"));
        c.irChannels[0]->setChecked(true);
        c.irChannels[2]->setChecked(true);
        MessageRecorder messages;
        for (const char* bad : {"65", "0", "", "0065", "99999999999999999999999"}) {
            c.irCode->setText(QString::fromLatin1(bad));
            QVERIFY2(pressOk(dialog).stillOpen(), bad);
            QCOMPARE(messages.lastText(), QStringLiteral("红外ID范围 1~64"));
            QCOMPARE(messages.messages.last().title, QStringLiteral("错误"));
            QCOMPARE(messages.messages.last().icon, QMessageBox::NoIcon);
        }
        c.irCode->setText(QStringLiteral("64"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(int(dialog.action().function), int(FunctionCode::Infrared));
        QCOMPARE(dialog.action().irChannels, 5);
        QCOMPARE(dialog.action().irCode, 64);
        KeyAction expected;
        expected.irChannels = 5;
        expected.irCode = 64;
        QCOMPARE(dialog.action(), expected);
    }

    void noChannelIsNamedAndTheEditorStaysOpen_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("message");
        QTest::newRow("infrared") << "红外"
                                  << "请至少选择一个红外通道。";
        QTest::newRow("io") << "IO"
                            << "请至少选择一个IO通道。";
        QTest::newRow("relay") << "继电器"
                               << "请至少选择一个继电器通道。";
    }
    void noChannelIsNamedAndTheEditorStaysOpen() {
        QFETCH(QString, function);
        QFETCH(QString, message);
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        choose(dialog, function);
        dialog.controls().irCode->setText(QStringLiteral("77"));  // not reached: channels come first
        MessageRecorder messages;
        QVERIFY(pressOk(dialog).stillOpen());
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.lastText(), message);
        QCOMPARE(messages.messages.last().title, QStringLiteral("错误"));
        // Nothing typed is lost: ticking a channel then confirms.
        const CEditDialog::Controls& c = dialog.controls();
        (function == QStringLiteral("红外") ? c.irChannels[1]
         : function == QStringLiteral("IO") ? c.ioChannels[1]
                                            : c.relayChannels[1])
            ->setChecked(true);
        dialog.controls().irCode->setText(QStringLiteral("7"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(messages.messages.size(), 1);
    }

    void emptiedPortFieldIsRefusedWhateverTheFunction_data() {
        QTest::addColumn<QString>("function");
        QTest::newRow("infrared") << "红外";
        QTest::newRow("io") << "IO";
        QTest::newRow("relay") << "继电器";
        QTest::newRow("network") << "网络";
        QTest::newRow("serial") << "串口";
    }
    void emptiedPortFieldIsRefusedWhateverTheFunction() {
        QFETCH(QString, function);
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        c.netChannel->setCurrentIndex(0);
        c.customPort->clear();
        choose(dialog, function);
        c.irChannels[0]->setChecked(true);
        MessageRecorder messages;
        QVERIFY(pressOk(dialog).stillOpen());
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.lastText(), QStringLiteral("请输入一个整数。"));
        QCOMPARE(messages.messages.last().icon, QMessageBox::Warning);
        QCOMPARE(messages.messages.last().title, QGuiApplication::applicationDisplayName());
    }

    void customAddressAndPortLowBits() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        c.netChannel->setCurrentIndex(1);
        c.customIp->setAddress(0xC0A80114u);
        c.customPort->setText(QStringLiteral("5000"));
        dialog.netPanel()->textEdit(0)->setText(QStringLiteral("hello"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(int(dialog.action().function), int(FunctionCode::Network));
        QCOMPARE(dialog.action().network.channel, 1);
        QCOMPARE(dialog.action().network.ip, 0xC0A80114u);
        QCOMPARE(dialog.action().network.port, 5000);
        QCOMPARE(dialog.action().network.texts, std::vector<std::string>{"hello"});

        c.customPort->setText(QStringLiteral("70000"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(dialog.action().network.port, 4464);
        // A port beyond int32 is not an integer the field can hold.
        MessageRecorder messages;
        c.customPort->setText(QStringLiteral("9999999999"));
        QVERIFY(pressOk(dialog).stillOpen());
        QCOMPARE(messages.lastText(), QStringLiteral("请输入一个整数。"));
    }

    // The custom address of a network action takes every typed shape as typed.
    void customAddressTypedKeyByKey() {
        for (const TypedAddress& typed : typedAddresses()) {
            CEditDialog dialog(m_model);
            dialog.setRequest(request(0));
            const auto& c = dialog.controls();
            c.netChannel->setCurrentIndex(0);
            c.customIp->setAddress(typed.before);
            c.customPort->setText(QStringLiteral("5000"));
            dialog.netPanel()->textEdit(0)->setText(QStringLiteral("hello"));
            typeAddress(c.customIp, QString::fromLatin1(typed.keys));
            QCOMPARE(pressOk(dialog).accepted, 1);
            QVERIFY2(dialog.action().network.ip == typed.expected, typed.name);
        }
    }

    void segmentFailuresKeepTheEditorOpen() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        dialog.controls().netCount->setCurrentIndex(2);
        CNetComData* panel = dialog.netPanel();
        panel->textEdit(0)->setText(QStringLiteral("a"));
        panel->textEdit(2)->setText(QStringLiteral("b"));
        MessageRecorder messages;
        QVERIFY(pressOk(dialog).stillOpen());
        QCOMPARE(messages.lastText(), QStringLiteral("文本2  不能为空"));
        QCOMPARE(messages.messages.last().icon, QMessageBox::Critical);
        // What the user typed is still there.
        QCOMPARE(panel->textEdit(0)->text(), QStringLiteral("a"));
        panel->textEdit(0)->clear();
        panel->textEdit(1)->setText(QStringLiteral("x"));
        panel->textEdit(2)->clear();
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(dialog.action().network.texts, (std::vector<std::string>{"", "x", ""}));
        QCOMPARE(dialog.action().network.varNum, 2);
        QCOMPARE(dialog.action().network.placeholders.size(), size_t(2));
    }

    void gbkRefusalNamesTheSegment() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        choose(dialog, QStringLiteral("串口"));
        dialog.controls().serialCount->setCurrentIndex(1);
        CNetComData* panel = dialog.serialPanel();
        panel->textEdit(0)->setText(QStringLiteral("开灯"));
        panel->textEdit(1)->setText(QString::fromUtf8("灯\xF0\x9F\x92\xA1"));
        MessageRecorder messages;
        QVERIFY(pressOk(dialog).stillOpen());
        QVERIFY2(messages.lastText().startsWith(QStringLiteral("文本2")), qPrintable(messages.lastText()));
        QVERIFY(messages.lastText().contains(QString::fromUtf8("\xF0\x9F\x92\xA1")));
        QCOMPARE(messages.messages.last().title, QStringLiteral("错误"));
        QCOMPARE(dialog.action(), KeyAction{});
        // Chinese text GBK can hold is stored as GBK bytes.
        panel->textEdit(1)->setText(QStringLiteral("关灯"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(dialog.action().serial.texts,
                 (std::vector<std::string>{"\xBF\xAA\xB5\xC6", "\xB9\xD8\xB5\xC6"}));
    }

    void serialKeepsDefaultDataWidth() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        choose(dialog, QStringLiteral("串口"));
        dialog.controls().serialChannel->setCurrentIndex(1);
        dialog.controls().baudrate->setCurrentIndex(9);
        dialog.serialPanel()->textEdit(0)->setText(QStringLiteral("AT$0d$0a"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        KeyAction expected;
        expected.function = FunctionCode::Serial;
        expected.serial.channel = 1;
        expected.serial.baudrate = 9;
        expected.serial.texts = {"AT$0d$0a"};
        QCOMPARE(dialog.action().serial.dataWidth, 3);
        QCOMPARE(dialog.action(), expected);
    }

    void modifiedNetworkBlanksReloadAfterSwitchingAway() {
        KeyAction source =
            networkAction(2, {"AB", "M", "CD"}, {enumBlank(2, 7, 1, 1, 2, 1), inputBlank(2, 4, 2, 1)});
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0, source));
        const auto& c = dialog.controls();
        CNetComData* panel = dialog.netPanel();
        QCOMPARE(c.netCount->currentText(), QStringLiteral("2"));
        QCOMPARE(panel->textEdit(0)->text(), QStringLiteral("AB"));
        QCOMPARE(panel->blank(0).index->currentText(), QStringLiteral("E3"));
        QCOMPARE(panel->blank(0).group->currentText(), QStringLiteral("8"));
        QCOMPARE(panel->blank(1).index->currentText(), QStringLiteral("Input"));
        QCOMPARE(panel->blank(1).overflow->currentText(), QStringLiteral("填入"));
        QVERIFY(panel->blank(1).count->isEnabled());

        panel->textEdit(0)->setText(QStringLiteral("changed"));
        panel->blank(0).index->setCurrentIndex(12);
        panel->blank(1).overflow->setCurrentIndex(0);
        choose(dialog, QStringLiteral("红外"));
        QVERIFY(panel->isHidden());
        choose(dialog, QStringLiteral("网络"));
        QCOMPARE(panel->textEdit(0)->text(), QStringLiteral("AB"));
        QCOMPARE(panel->blank(0).index->currentText(), QStringLiteral("E3"));
        QCOMPARE(panel->blank(1).overflow->currentText(), QStringLiteral("填入"));
        QCOMPARE(pressOk(dialog).accepted, 1);
        KeyAction result = dialog.action();
        QCOMPARE(result, source);
    }

    void addingSwitchAwayAndBackEmptiesTheShownTexts() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        dialog.controls().netCount->setCurrentIndex(1);
        CNetComData* panel = dialog.netPanel();
        panel->textEdit(0)->setText(QStringLiteral("a"));
        panel->textEdit(1)->setText(QStringLiteral("b"));
        const CNetComData::Blank& b = panel->blank(0);
        b.index->setCurrentIndex(26);
        b.mode->setCurrentIndex(2);
        b.count->setCurrentIndex(3);
        b.digits->setCurrentIndex(4);
        b.overflow->setCurrentIndex(2);
        choose(dialog, QStringLiteral("红外"));
        choose(dialog, QStringLiteral("网络"));
        QVERIFY(panel->textEdit(0)->text().isEmpty());
        QVERIFY(panel->textEdit(1)->text().isEmpty());
        QCOMPARE(b.overflow->currentText(), QStringLiteral("不发送"));
        QCOMPARE(b.index->currentText(), QStringLiteral("Input"));
        QCOMPARE(b.count->currentIndex(), 3);
        QCOMPARE(b.digits->currentIndex(), 4);
        QVERIFY(panel->blankShown(0) && panel->groupShown(0, CNetComData::Group::Input));
    }

    void countChangeKeepsHiddenCells() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        c.netCount->setCurrentIndex(3);
        dialog.netPanel()->textEdit(3)->setText(QStringLiteral("last"));
        c.netCount->setCurrentIndex(0);
        QCOMPARE(dialog.width(), 320);
        QVERIFY(!dialog.netPanel()->cellShown(1));
        c.netCount->setCurrentIndex(3);
        QCOMPARE(dialog.netPanel()->textEdit(3)->text(), QStringLiteral("last"));
        QCOMPARE(dialog.netPanel()->size(), QSize(945, 160));
    }

    void roundTripOfEveryFunction_data() {
        QTest::addColumn<KeyAction>("source");
        KeyAction ir;
        ir.irChannels = 15;
        ir.irCode = 1;
        QTest::newRow("infrared") << ir;
        KeyAction io;
        io.function = FunctionCode::Io;
        io.ioOperation = 1;
        io.ioChannels = 3;
        QTest::newRow("io") << io;
        KeyAction relay;
        relay.function = FunctionCode::Relay;
        relay.relayOperation = 2;
        relay.relayChannels = 1;
        QTest::newRow("relay") << relay;
        KeyAction net = networkAction(
            0, {"A$24", "y", "x", "\xD6\xD0\xCE\xC4"},
            {varBlank(15, -3, 250, 1, 10), enumBlank(2, 7, 1, 1, 2, 1), inputBlank(2, 4, 2, 1)});
        net.network.ip = 0xC0A80101;
        net.network.port = 65535;
        QTest::newRow("network custom, three blanks") << net;
        KeyAction hex =
            networkAction(8, {"", "01 ff", ""}, {inputBlank(2, 4, 2, 1), varBlank(15, -3, 250, 1, 10)});
        hex.network.type = kHex;
        QTest::newRow("network hex") << hex;
        KeyAction serial;
        serial.function = FunctionCode::Serial;
        serial.serial.channel = 1;
        serial.serial.baudrate = 7;
        serial.serial.dataWidth = 0;
        serial.serial.adjust = 2;
        serial.serial.stop = 1;
        serial.serial.varNum = 6;
        serial.serial.texts = {"1", "2", "3", "4", "5", "6", "7"};
        serial.serial.placeholders = {enumBlank(2, 7, 1, 1, 2, 1),  varBlank(15, -3, 250, 1, 10),
                                      inputBlank(2, 4, 2, 1),       inputBlank(2, 4, 2, 1),
                                      varBlank(15, -3, 250, 1, 10), enumBlank(2, 7, 1, 1, 2, 1)};
        QTest::newRow("serial six blanks") << serial;
        // The project file holds up to ten blanks; modifying such an action keeps them all.
        KeyAction many = networkAction(2, {"0", "1", "2", "3", "4", "5", "6", "7", "8"},
                                       std::vector<Placeholder>(8, varBlank(15, -3, 250, 1, 10)));
        QTest::newRow("network eight blanks from a file") << many;
    }
    void roundTripOfEveryFunction() {
        QFETCH(KeyAction, source);
        source.id = 7;
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0, source));
        QCOMPARE(pressOk(dialog).accepted, 1);
        KeyAction result = dialog.action();
        result.id = source.id;  // the caller keeps the id
        QCOMPARE(result, source);
        QCOMPARE(actionRowTextsOf(result), actionRowTextsOf(source));
    }

    void tabChainReachesTheComposerBeforeTheButtons() {
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0));
        const auto& c = dialog.controls();
        QList<QWidget*> chain;
        QWidget* widget = c.function;
        do {
            chain.append(widget);
            widget = widget->nextInFocusChain();
        } while (widget != c.function && chain.size() < 5000);
        const qsizetype ok = chain.indexOf(c.ok);
        QVERIFY(chain.indexOf(c.netCount) < chain.indexOf(dialog.netPanel()->textEdit(0)));
        QVERIFY(chain.indexOf(dialog.netPanel()->textEdit(0)) < ok);
        QVERIFY(chain.indexOf(dialog.serialPanel()->textEdit(CNetComData::kCellCount - 1)) < ok);
        QCOMPARE(chain.indexOf(c.cancel), ok + 1);
    }

    void keyActionIsNeverHandedBackUndetermined() {
        KeyAction key;
        key.function = FunctionCode::Key;
        key.keyChannel = 7;
        CEditDialog dialog(m_model);
        dialog.setRequest(request(0, key));
        QCOMPARE(dialog.controls().function->currentIndex(), -1);
        QVERIFY(!dialog.selectedFunction().has_value());
        QVERIFY(dialog.controls().infrared->isHidden());
        QVERIFY(dialog.controls().network->isHidden());
        {
            MessageRecorder messages;
            QVERIFY(pressOk(dialog).stillOpen());
            QCOMPARE(messages.lastText(), QStringLiteral("请选择功能。"));
        }
        // The user may still turn it into an offered function.
        choose(dialog, QStringLiteral("IO"));
        dialog.controls().ioChannels[1]->setChecked(true);
        QCOMPARE(pressOk(dialog).accepted, 1);
        QCOMPARE(int(dialog.action().function), int(FunctionCode::Io));
        QCOMPARE(dialog.action().keyChannel, 0);
    }

    void editRunsModallyThroughTheSeam() {
        ModalHandlerGuard relayEditor([](QDialog& d) {
            auto& editor = static_cast<CEditDialog&>(d);
            choose(editor, QStringLiteral("继电器"));
            editor.controls().relayChannels[1]->setChecked(true);
            editor.controls().relayOperation->setCurrentIndex(2);
            editor.controls().ok->click();
            return d.result();
        });
        std::optional<KeyAction> action = CEditDialog::edit(nullptr, m_model, request(8 | 16));
        QVERIFY(action.has_value());
        QCOMPARE(int(action->function), int(FunctionCode::Relay));
        QCOMPARE(action->relayChannels, 2);
        QCOMPARE(action->relayOperation, 2);

        ModalHandlerGuard cancellingEditor([](QDialog& d) {
            static_cast<CEditDialog&>(d).controls().cancel->click();
            return d.result();
        });
        QVERIFY(!CEditDialog::edit(nullptr, m_model, request(0)).has_value());
    }

private:
    ConfigModel m_model;
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
