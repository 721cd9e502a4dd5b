#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "model/Gbk.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/dialogs/CAddEnumDialog.h"
#include "ui/dialogs/CAddNet.h"
#include "ui/dialogs/CAddVariableDialog.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

QLineEdit* valueEdit(QDialog& dialog, int k) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("value%1").arg(k));
}

std::vector<std::string> gbkList(const QStringList& texts) {
    std::vector<std::string> result;
    for (const QString& text : texts) {
        result.push_back(utf8ToGbk(text.toStdString()).value());
    }
    return result;
}

}  // namespace

class RecordDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void enumOk_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("hex values take their normal form")
            << 1 << 3 << QStringList{"1 2 AB 3f0", "ff", "A"} << QString()
            << QStringList{"01 02 ab ff", "ff", "0a"};
        QTest::newRow("second value empty")
            << 1 << 3 << QStringList{"1", "", "A"} << "数据2不能为空" << QStringList{};
        QTest::newRow("0x prefix is not hex")
            << 1 << 1 << QStringList{"0x12"} << "数据1错误，hex格式的数据只能为数字和字母A到F"
            << QStringList{};
        QTest::newRow("first failing row decides")
            << 1 << 3 << QStringList{"12", "zz", ""} << "数据2错误，hex格式的数据只能为数字和字母A到F"
            << QStringList{};
        QTest::newRow("non-ascii is not hex")
            << 1 << 1 << QStringList{"１２"} << "数据1错误，hex格式的数据只能为数字和字母A到F"
            << QStringList{};
        QTest::newRow("hex of spaces only is dropped")
            << 1 << 3 << QStringList{"ab", "   ", "7"} << QString() << QStringList{"ab", "07"};
        QTest::newRow("ascii kept as typed") << 0 << 3 << QStringList{" a$b ", "'q'", "开机"} << QString()
                                             << QStringList{" a$b ", "'q'", "开机"};
        QTest::newRow("ascii blank is not empty")
            << 0 << 1 << QStringList{" "} << QString() << QStringList{" "};
        QTest::newRow("character outside GBK refused naming the row")
            << 0 << 2 << QStringList{"ok", QString::fromUtf8("\xF0\x9F\x98\x80")}
            << gbkRefusedMessage(QStringLiteral("数据2")) << QStringList{};
        QTest::newRow("only rows up to the count are read")
            << 0 << 2 << QStringList{"a", "b", "", "zz"} << QString() << QStringList{"a", "b"};
    }

    void enumOk() {
        QFETCH(int, format);
        QFETCH(int, count);
        QFETCH(QStringList, values);
        QFETCH(QString, message);
        QFETCH(QStringList, expected);

        MessageRecorder recorder;
        CAddEnumDialog dialog;
        dialog.setRecord(EnumVariable{3, kAscii, {"old"}}, 2);
        dialog.show();
        dialog.findChild<QComboBox*>(QStringLiteral("formatList"))->setCurrentIndex(format);
        dialog.findChild<QComboBox*>(QStringLiteral("countList"))->setCurrentIndex(count - 1);
        for (int k = 0; k < values.size(); ++k) {
            valueEdit(dialog, k + 1)->setText(values[k]);
        }
        clickOk(dialog);

        if (message.isEmpty()) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            EnumVariable record = dialog.record();
            QCOMPARE(record.index, 3);
            QCOMPARE(record.type, format);
            QCOMPARE(record.data, gbkList(expected));
        } else {
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
            QCOMPARE(recorder.messages[0].text, message);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            // Everything typed stays for the user to correct.
            for (int k = 0; k < values.size(); ++k) {
                QCOMPARE(valueEdit(dialog, k + 1)->text(), values[k]);
            }
        }
    }

    void enumOpensWithTheRecord() {
        CAddEnumDialog dialog;
        dialog.setRecord(EnumVariable{5, kHex, {"01 02", "ff"}}, 4);
        auto* index = dialog.findChild<QComboBox*>(QStringLiteral("indexList"));
        QCOMPARE(index->count(), 10);
        QCOMPARE(index->currentText(), QStringLiteral("E5"));
        QVERIFY(!index->isEnabled());
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("formatList"))->currentText(),
                 QStringLiteral("Hex"));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("countList"))->currentText(),
                 QStringLiteral("2"));
        QCOMPARE(valueEdit(dialog, 1)->text(), QStringLiteral("01 02"));
        QCOMPARE(valueEdit(dialog, 2)->text(), QStringLiteral("ff"));
        QVERIFY(valueEdit(dialog, 2)->isEnabled());
        QVERIFY(!valueEdit(dialog, 3)->isEnabled());
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("valueLabel3"))->isEnabled());
    }

    void enumFreshRecordNeedsItsFirstValue() {
        MessageRecorder recorder;
        CAddEnumDialog dialog;
        dialog.setRecord(EnumVariable{}, 0);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("formatList"))->currentText(),
                 QStringLiteral("Ascii"));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("countList"))->currentText(),
                 QStringLiteral("1"));
        QVERIFY(valueEdit(dialog, 1)->isEnabled());
        QVERIFY(!valueEdit(dialog, 2)->isEnabled());
        clickOk(dialog);
        QCOMPARE(recorder.lastText(), QStringLiteral("数据1不能为空"));
    }

    void enumWithoutValuesHasNoCountAndKeepsNone() {
        CAddEnumDialog dialog;
        dialog.setRecord(EnumVariable{2, kAscii, {}}, 1);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("countList"))->currentIndex(), -1);
        for (int k = 1; k <= 10; ++k) {
            QVERIFY(!valueEdit(dialog, k)->isEnabled());
        }
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.record().data.empty());
        QCOMPARE(dialog.record().index, 2);
    }

    void enumLoweredCountDisablesRowsButKeepsTheirText() {
        CAddEnumDialog dialog;
        auto* countList = dialog.findChild<QComboBox*>(QStringLiteral("countList"));
        countList->setCurrentIndex(4);
        for (int k = 1; k <= 5; ++k) {
            QVERIFY(valueEdit(dialog, k)->isEnabled());
            valueEdit(dialog, k)->setText(QStringLiteral("v%1").arg(k));
        }
        countList->setCurrentIndex(1);
        QVERIFY(valueEdit(dialog, 2)->isEnabled());
        for (int k = 3; k <= 5; ++k) {
            QVERIFY(!valueEdit(dialog, k)->isEnabled());
            QCOMPARE(valueEdit(dialog, k)->text(), QStringLiteral("v%1").arg(k));
        }
        clickOk(dialog);
        QCOMPARE(dialog.record().data, (std::vector<std::string>{"v1", "v2"}));
    }

    void enumMoreThanTenStoredValuesShowTheFirstTen() {
        EnumVariable record{1, kAscii, {}};
        for (int i = 0; i < 12; ++i) {
            record.data.push_back(std::to_string(i));
        }
        CAddEnumDialog dialog;
        dialog.setRecord(record, 0);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("countList"))->currentText(),
                 QStringLiteral("10"));
        clickOk(dialog);
        QCOMPARE(dialog.record().data.size(), size_t(10));
        QCOMPARE(dialog.record().data[9], std::string("9"));
    }

    void enumUntouchedValueKeepsBytesTheDisplayCannotShow() {
        // A lone lead byte is not valid GBK; the edit shows a replacement character for it.
        EnumVariable record{1, kAscii, {"ab\x81"}};
        CAddEnumDialog dialog;
        dialog.setRecord(record, 0);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.record().data, record.data);
    }

    void enumValueIsKeptWholeAsTypedOrPasted() {
        const QString longValue = QStringLiteral("POWER_ON_PROJECTOR_HDMI1_INPUT_SELECT_ABCDEFG");
        CAddEnumDialog dialog;
        dialog.show();
        QLineEdit* typed = valueEdit(dialog, 1);
        QCOMPARE(typedInto(typed, longValue), longValue);
        // Pasted, the same: nothing is cut, however narrow or wide the letters.
        auto* countList = dialog.findChild<QComboBox*>(QStringLiteral("countList"));
        countList->setCurrentIndex(1);
        QLineEdit* pasted = valueEdit(dialog, 2);
        const QString wide = QString(300, QChar(0x6ee1)) + QStringLiteral("iiii");
        pasted->setFocus();
        pasted->insert(wide);
        QCOMPARE(pasted->text(), wide);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(dialog.record().data.at(0)), longValue);
        QCOMPARE(dialog.record().data.at(1).size(), size_t(604));  // 300 GBK characters and four letters
    }

    void enumValuesTooLongForTheirCommandAreRefused() {
        CAddEnumDialog dialog;
        dialog.setRecord(EnumVariable{3, kAscii, {"a"}}, 2);
        dialog.findChild<QComboBox*>(QStringLiteral("countList"))->setCurrentIndex(1);
        valueEdit(dialog, 1)->setText(QString(40000, QLatin1Char('a')));
        valueEdit(dialog, 2)->setText(QString(30000, QLatin1Char('b')));
        MessageRecorder recorder;
        clickOk(dialog);
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
        QCOMPARE(
            recorder.messages[0].text,
            QStringLiteral("E3的数据过长：写入指令共70026字节，面板一次最多接收65530字节，请缩短数据。"));
        QVERIFY(dialog.result() != int(QDialog::Accepted));
        QCOMPARE(valueEdit(dialog, 1)->text().size(), 40000);
        // Shortened, it is taken.
        valueEdit(dialog, 2)->setText(QStringLiteral("b"));
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void disabledRowsSayWhy() {
        CAddEnumDialog dialog;
        dialog.findChild<QComboBox*>(QStringLiteral("countList"))->setCurrentIndex(2);
        QVERIFY(!valueEdit(dialog, 4)->isEnabled());
        QCOMPARE(valueEdit(dialog, 4)->toolTip(), QStringLiteral("数量为3，只用前3行"));
        QVERIFY(valueEdit(dialog, 3)->toolTip().isEmpty());
        auto* index = dialog.findChild<QComboBox*>(QStringLiteral("indexList"));
        QCOMPARE(index->toolTip(), QStringLiteral("序号由所修改的行决定"));
    }

    void variableOk_data() {
        QTest::addColumn<QString>("init");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("max");
        QTest::addColumn<int>("save");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("failingEdit");

        auto row = [](const char* name, const char* init, const char* min, const char* max, int save,
                      const char* failingEdit) {
            QTest::newRow(name) << QString::fromUtf8(init) << QString::fromUtf8(min) << QString::fromUtf8(max)
                                << save << (failingEdit == nullptr) << QString::fromUtf8(failingEdit);
        };
        row("relations are not checked", "5", "10", "0", 1, nullptr);
        row("largest int", "2147483647", "0", "0", 0, nullptr);
        row("empty initial value", "", "1", "2", 0, "initEdit");
        row("empty minimum", "1", "", "", 0, "minEdit");
        row("empty maximum", "1", "2", "", 0, "maxEdit");
        row("beyond int", "2147483648", "0", "0", 0, "initEdit");
        row("a lone minus", "-", "0", "0", 0, "initEdit");
    }

    void variableOk() {
        QFETCH(QString, init);
        QFETCH(QString, min);
        QFETCH(QString, max);
        QFETCH(int, save);
        QFETCH(bool, accepted);
        QFETCH(QString, failingEdit);

        MessageRecorder recorder;
        CAddVariableDialog dialog;
        dialog.setRecord(Variable{16, 1, 2, 3, 0}, 15);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.findChild<QLineEdit*>(QStringLiteral("initEdit"))->setText(init);
        dialog.findChild<QLineEdit*>(QStringLiteral("minEdit"))->setText(min);
        dialog.findChild<QLineEdit*>(QStringLiteral("maxEdit"))->setText(max);
        dialog.findChild<QComboBox*>(QStringLiteral("saveList"))->setCurrentIndex(save);
        clickOk(dialog);
        if (accepted) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            Variable expected{16, min.toInt(), init.toInt(), max.toInt(), save};
            QCOMPARE(dialog.record(), expected);
        } else {
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
            QCOMPARE(recorder.messages[0].text, QStringLiteral("请输入一个整数。"));
            QVERIFY(dialog.isVisible());
            QVERIFY(QApplication::focusWidget() != nullptr);
            QCOMPARE(QApplication::focusWidget()->objectName(), failingEdit);
        }
    }

    void variableOpensWithTheRecord() {
        CAddVariableDialog dialog;
        dialog.setRecord(Variable{7, -3, 4, 9, 1}, 6);
        auto* index = dialog.findChild<QComboBox*>(QStringLiteral("indexList"));
        QCOMPARE(index->count(), 16);
        QCOMPARE(index->currentText(), QStringLiteral("V7"));
        QVERIFY(!index->isEnabled());
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("initEdit"))->text(), QStringLiteral("4"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("maxEdit"))->text(), QStringLiteral("9"));
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("saveList"))->currentText(),
                 QStringLiteral("不保存"));
    }

    void variableNegativeLoadedValuesSurviveOk() {
        CAddVariableDialog dialog;
        Variable record{2, -2147483647 - 1, -5, 7, 0};
        dialog.setRecord(record, 1);
        clickOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.record(), record);
    }

    void numberEditsTakeOnlyDigits() {
        CAddVariableDialog dialog;
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("minEdit"));
        QCOMPARE(typedInto(edit, QStringLiteral("-1a2+3")), QStringLiteral("123"));
    }

    void netOk_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("expectedPort");
        QTest::addColumn<int>("expectedIndex");

        QTest::newRow("UDP2 keeps the low 16 bits of its port") << 5 << "70000" << true << 4464 << 6;
        QTest::newRow("TCP1 port 0 is allowed") << 0 << "0" << true << 0 << 1;
        QTest::newRow("TCP4 port 65535") << 3 << "65535" << true << 65535 << 4;
        QTest::newRow("UDP3 port 65536 wraps to 0") << 6 << "65536" << true << 0 << 7;
        QTest::newRow("empty port") << 2 << "" << false << 0 << 0;
        QTest::newRow("port beyond int") << 2 << "99999999999" << false << 0 << 0;
    }

    void netOk() {
        QFETCH(int, row);
        QFETCH(QString, port);
        QFETCH(bool, accepted);
        QFETCH(int, expectedPort);
        QFETCH(int, expectedIndex);

        MessageRecorder recorder;
        CAddNet dialog;
        dialog.setRecord(NetTarget{0x0A000001u, 80, row + 1}, row);
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("portEdit"))->setText(port);
        auto* ip = dialog.findChild<Ipv4Edit*>(QStringLiteral("ipEdit"));
        ip->field(0)->setText(QStringLiteral("192"));
        ip->field(2)->clear();
        clickOk(dialog);
        if (accepted) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            NetTarget record = dialog.record();
            QCOMPARE(int(record.port), expectedPort);
            QCOMPARE(record.index, expectedIndex);
            QCOMPARE(record.ip, 0xC0000001u);
        } else {
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages[0].title, QStringLiteral("错误"));
            QCOMPARE(recorder.messages[0].text, QStringLiteral("请输入一个整数。"));
            QVERIFY(dialog.isVisible());
        }
    }

    void netChannelListShowsTheTargetFirst() {
        CAddNet dialog;
        dialog.setRecord(NetTarget{0xC0A80114u, 5000, 6}, 5);
        auto* channels = dialog.findChild<QComboBox*>(QStringLiteral("channelList"));
        QStringList items;
        for (int i = 0; i < channels->count(); ++i) {
            items << channels->itemText(i);
        }
        QCOMPARE(items, (QStringList{"UDP2", "TCP1", "TCP2", "TCP3", "TCP4", "UDP1", "UDP2", "UDP3"}));
        QCOMPARE(channels->currentIndex(), 0);
        QVERIFY(!channels->isEnabled());
        QCOMPARE(dialog.findChild<Ipv4Edit*>(QStringLiteral("ipEdit"))->address(), 0xC0A80114u);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("portEdit"))->text(), QStringLiteral("5000"));
    }

    void cancelLeavesTheRecordAsGiven() {
        CAddVariableDialog dialog;
        Variable record{3, 1, 2, 3, 0};
        dialog.setRecord(record, 2);
        dialog.findChild<QLineEdit*>(QStringLiteral("initEdit"))->setText(QStringLiteral("99"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.record(), record);
    }
};

QTEST_MAIN(RecordDialogsTest)
#include "RecordDialogsTest.moc"
