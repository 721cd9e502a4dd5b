#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <limits>

#include "EditorTestSupport.h"
#include "ui/editor/CNetComData.h"

using namespace velk;
using namespace velk::ui;
using namespace velk::test;

namespace {

const QString kDollarMessage =
    QStringLiteral("数据格式错误,\"$\"后两位数据不正确,\n\n若要输入\"$\"，请使用$24。");

QStringList numbers(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i) {
        out.append(QString::number(i));
    }
    return out;
}

void fillTexts(CNetComData& panel, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i) {
        panel.textEdit(i)->setText(texts[i]);
    }
}

SendData sentinel() {
    SendData data;
    data.varNum = 9;
    data.type = kHex;
    data.texts = {"keep"};
    return data;
}

}  // namespace

class ComposerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { failOnMessages(); }
    void cellsAndTheirLists() {
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        QVERIFY(panel.isHidden());
        QStringList labels;
        for (QLabel* label : panel.findChildren<QLabel*>()) {
            labels.append(label->text());
        }
        for (int c = 0; c < CNetComData::kCellCount; ++c) {
            QVERIFY(labels.contains(QStringLiteral("文本%1：").arg(c + 1)));
            QWidget* cell = panel.textEdit(c)->parentWidget();
            QCOMPARE(cell->geometry(), QRect((c % 3) * 315 + 5, (c / 3) * 80 + 5, 315, 80));
        }
        QVERIFY(labels.contains(QStringLiteral("空缺10：")));
        QVERIFY(!labels.contains(QStringLiteral("空缺11：")));
        // A segment is never cut as it is typed: the 200-character limit is a refusal (collectSegments).
        QTest::keyClicks(panel.textEdit(0), QString(250, QLatin1Char('x')));
        QCOMPARE(panel.textEdit(0)->text(), QString(250, QLatin1Char('x')));

        const CNetComData::Blank& b = panel.blank(0);
        QStringList index;
        for (int i = 1; i <= 10; ++i) {
            index.append(QStringLiteral("E%1").arg(i));
        }
        for (int i = 1; i <= 16; ++i) {
            index.append(QStringLiteral("V%1").arg(i));
        }
        index.append(QStringLiteral("Input"));
        QCOMPARE(entries(b.index), index);
        QCOMPARE(entries(b.digits), numbers(1, 10));
        QCOMPARE(entries(b.mode), (QStringList{"full", "click", "count"}));
        QCOMPARE(entries(b.count), numbers(1, 5));
        QCOMPARE(entries(b.overflow), (QStringList{"不发送", "裁剪", "填入"}));
        QCOMPARE(entries(b.group), numbers(1, 20));
        QCOMPARE(entries(b.loop), (QStringList{"是", "否"}));
        QCOMPARE(entries(b.enumDirection), (QStringList{"add", "sub"}));
        QCOMPARE(entries(b.save), (QStringList{"是", "否"}));
        QCOMPARE(entries(b.varDirection), (QStringList{"add", "sub"}));
        QVERIFY(b.step->text().isEmpty() && b.interval->text().isEmpty());
        for (QComboBox* list : {b.index, b.digits, b.mode, b.count, b.overflow, b.group, b.loop, b.save}) {
            QCOMPARE(list->currentIndex(), 0);
        }
        QVERIFY(!b.count->isEnabled());
    }

    void showCellsSizesAndVisibility_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QSize>("size");
        QTest::newRow("0") << 0 << QSize(580, 80);
        QTest::newRow("1") << 1 << QSize(630, 80);
        QTest::newRow("2") << 2 << QSize(945, 80);
        QTest::newRow("3") << 3 << QSize(945, 160);
        QTest::newRow("5") << 5 << QSize(945, 160);
        QTest::newRow("6") << 6 << QSize(945, 240);
        QTest::newRow("10") << 10 << QSize(945, 320);
    }
    void showCellsSizesAndVisibility() {
        QFETCH(int, n);
        QFETCH(QSize, size);
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(10);
        panel.ShowCells(n);
        QCOMPARE(panel.size(), size);
        for (int c = 0; c < CNetComData::kCellCount; ++c) {
            QCOMPARE(panel.cellShown(c), c <= n);
        }
        for (int k = 0; k < CNetComData::kBlankCount; ++k) {
            QCOMPARE(panel.blankShown(k), k < n);
        }
        // Every shown cell lies inside the panel.
        for (int c = 0; c <= n; ++c) {
            if (c < CNetComData::kCellCount && (c / 3 + 1) * 80 <= size.height()) {
                QVERIFY(
                    QRect(QPoint(), size).contains(panel.textEdit(c)->parentWidget()->geometry().topLeft()));
            }
        }
    }

    void hiddenCellsKeepTheirContents() {
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(3);
        panel.textEdit(3)->setText(QStringLiteral("tail"));
        panel.blank(2).index->setCurrentIndex(26);
        panel.blank(2).overflow->setCurrentIndex(1);
        panel.ShowCells(1);
        QVERIFY(!panel.cellShown(3));
        panel.ShowCells(3);
        QCOMPARE(panel.textEdit(3)->text(), QStringLiteral("tail"));
        QCOMPARE(panel.blank(2).index->currentIndex(), 26);
        QCOMPARE(panel.blank(2).overflow->currentIndex(), 1);
        QVERIFY(panel.groupShown(2, CNetComData::Group::Input));
    }

    void optionGroupFollowsIndex_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("group");
        QTest::newRow("E1") << 0 << int(CNetComData::Group::Enum);
        QTest::newRow("E10") << 9 << int(CNetComData::Group::Enum);
        QTest::newRow("V1") << 10 << int(CNetComData::Group::Var);
        QTest::newRow("V3") << 12 << int(CNetComData::Group::Var);
        QTest::newRow("V16") << 25 << int(CNetComData::Group::Var);
        QTest::newRow("Input") << 26 << int(CNetComData::Group::Input);
    }
    void optionGroupFollowsIndex() {
        QFETCH(int, position);
        QFETCH(int, group);
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(2);
        panel.blank(1).index->setCurrentIndex(26);
        panel.blank(1).index->setCurrentIndex(position);
        for (auto g : {CNetComData::Group::Enum, CNetComData::Group::Var, CNetComData::Group::Input}) {
            QCOMPARE(panel.groupShown(1, g), int(g) == group);
        }
        QVERIFY(!panel.blank(1).index->isHidden() && !panel.blank(1).digits->isHidden());
        // The other blank is untouched.
        QVERIFY(panel.groupShown(0, CNetComData::Group::Enum));
    }

    void everyModeChangeResetsOverflow() {
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(1);
        const CNetComData::Blank& b = panel.blank(0);
        b.index->setCurrentIndex(26);
        b.overflow->setCurrentIndex(2);
        b.mode->setCurrentIndex(2);
        QVERIFY(b.count->isEnabled());
        QCOMPARE(b.overflow->currentText(), QStringLiteral("不发送"));
        QCOMPARE(entries(b.overflow), (QStringList{"不发送", "裁剪", "填入"}));
        b.overflow->setCurrentIndex(1);
        b.mode->setCurrentIndex(1);
        QVERIFY(!b.count->isEnabled());
        QCOMPARE(b.overflow->currentIndex(), 0);
    }

    void collectSegments_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("stored");
        const QStringList none;
        QTest::newRow("single empty") << 0 << 0 << QStringList{""} << "文本1  不能为空" << none;
        QTest::newRow("empty ends") << 2 << 0 << QStringList{"", "x", ""} << "" << QStringList{"", "x", ""};
        QTest::newRow("empty middle") << 2 << 0 << QStringList{"a", "", "b"} << "文本2  不能为空" << none;
        QTest::newRow("hex normal form")
            << 0 << 1 << QStringList{"1 2 AB 3f0"} << "" << QStringList{"01 02 ab ff"};
        QTest::newRow("hex 0x") << 0 << 1 << QStringList{"0x12"} << "数据格式错误" << none;
        QTest::newRow("hex spaces") << 0 << 1 << QStringList{"   "} << "数据格式错误" << none;
        QTest::newRow("hex empty first") << 1 << 1 << QStringList{"", " a "} << "" << QStringList{"", "0a"};
        QTest::newRow("dollar at end") << 0 << 0 << QStringList{"100$"} << kDollarMessage << none;
        QTest::newRow("dollar one digit") << 0 << 0 << QStringList{"$2"} << kDollarMessage << none;
        QTest::newRow("dollar not hex") << 0 << 0 << QStringList{"$g1"} << kDollarMessage << none;
        QTest::newRow("dollar dollar") << 0 << 0 << QStringList{"$$41"} << kDollarMessage << none;
        QTest::newRow("dollar literal") << 0 << 0 << QStringList{"$24"} << "" << QStringList{"$24"};
        QTest::newRow("dollar crlf") << 0 << 0 << QStringList{"A$0d$0a"} << "" << QStringList{"A$0d$0a"};
        QTest::newRow("first failure wins")
            << 3 << 0 << QStringList{"a", "$", "", "b"} << kDollarMessage << none;
        QTest::newRow("hex beyond blanks ignored")
            << 1 << 1 << QStringList{"ff", "", "zz"} << "" << QStringList{"ff", ""};
        // 200 characters are taken whole; one more is refused, naming the segment, never cut.
        QTest::newRow("200 characters") << 1 << 0 << QStringList{QString(200, QLatin1Char('y')), "x"} << ""
                                        << QStringList{QString(200, QLatin1Char('y')), "x"};
        QTest::newRow("201 characters") << 1 << 0 << QStringList{"a", QString(201, QLatin1Char('x'))}
                                        << "文本2  过长：最多200个字符，现有201个，请缩短后再试。" << none;
        QTest::newRow("a pasted long segment")
            << 0 << 1 << QStringList{QString(3000, QLatin1Char('f'))}
            << "文本1  过长：最多200个字符，现有3000个，请缩短后再试。" << none;
    }
    void collectSegments() {
        QFETCH(int, n);
        QFETCH(int, type);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QStringList, stored);
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(n);
        fillTexts(panel, typed);
        MessageRecorder messages;
        SendData data = sentinel();
        const bool ok = panel.CollectData(n, type, data);
        QCOMPARE(ok, message.isEmpty());
        if (!ok) {
            QCOMPARE(messages.messages.size(), 1);
            QCOMPARE(messages.lastText(), message);
            QCOMPARE(messages.messages.last().title, QStringLiteral("错误"));
            QCOMPARE(messages.messages.last().icon, QMessageBox::Critical);
            QCOMPARE(data, sentinel());
            return;
        }
        QVERIFY(messages.messages.isEmpty());
        std::vector<std::string> expected;
        for (const QString& text : stored) {
            expected.push_back(text.toStdString());
        }
        QCOMPARE(data.texts, expected);
        QCOMPARE(data.varNum, n);
        QCOMPARE(data.type, type);
        QCOMPARE(data.placeholders.size(), size_t(n));
        QCOMPARE(data.texts.size(), data.placeholders.size() + 1);
    }

    void stepAndIntervalReadLeadingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("trailing letters") << "12abc" << 12;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("negative") << "-7" << -7;
        QTest::newRow("plus") << "+5x" << 5;
        QTest::newRow("too large") << "99999999999" << std::numeric_limits<int32_t>::max();
        QTest::newRow("too small") << "-99999999999" << std::numeric_limits<int32_t>::min();
    }
    void stepAndIntervalReadLeadingNumbers() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(1);
        const CNetComData::Blank& b = panel.blank(0);
        b.index->setCurrentIndex(12);
        b.step->setText(text);
        b.interval->setText(text);
        fillTexts(panel, {"a", "b"});
        SendData data;
        QVERIFY(panel.CollectData(1, 0, data));
        QCOMPARE(data.placeholders[0].kind, int(kKindVar));
        QCOMPARE(data.placeholders[0].varIndex, 2);
        QCOMPARE(data.placeholders[0].step, value);
        QCOMPARE(data.placeholders[0].interval, value);
    }

    void collectBlanksFromPositions() {
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(3);
        fillTexts(panel, {"a", "b", "c", "d"});
        const CNetComData::Blank& e = panel.blank(0);
        e.index->setCurrentIndex(9);
        e.group->setCurrentIndex(19);
        e.loop->setCurrentIndex(1);
        e.enumDirection->setCurrentIndex(1);
        e.save->setCurrentIndex(1);
        e.digits->setCurrentIndex(9);
        e.step->setText(QStringLiteral("5"));  // belongs to another kind: not taken
        const CNetComData::Blank& in = panel.blank(1);
        in.index->setCurrentIndex(26);
        in.mode->setCurrentIndex(2);
        in.count->setCurrentIndex(4);
        in.overflow->setCurrentIndex(1);
        const CNetComData::Blank& v = panel.blank(2);
        v.index->setCurrentIndex(25);
        v.varDirection->setCurrentIndex(1);
        v.group->setCurrentIndex(3);  // not taken either
        SendData data;
        QVERIFY(panel.CollectData(3, 0, data));
        Placeholder enumBlank;
        enumBlank.kind = kKindEnum;
        enumBlank.enumIndex = 9;
        enumBlank.groupIndex = 19;
        enumBlank.loopIndex = 1;
        enumBlank.enumDirection = 1;
        enumBlank.saveIndex = 1;
        enumBlank.digits = 10;
        Placeholder inputBlank;
        inputBlank.kind = kKindInput;
        inputBlank.modeIndex = 2;
        inputBlank.countIndex = 4;
        inputBlank.overflowIndex = 1;
        inputBlank.digits = 1;
        Placeholder varBlank;
        varBlank.kind = kKindVar;
        varBlank.varIndex = 15;
        varBlank.varDirection = 1;
        varBlank.digits = 1;
        QCOMPARE(data.placeholders, (std::vector<Placeholder>{enumBlank, inputBlank, varBlank}));
    }

    void loadWithoutRecordEmptiesTextsAndResetsOverflow() {
        QWidget editor;
        CNetComData panel(&editor, nullptr);
        panel.ShowCells(2);
        fillTexts(panel, {"a", "b", "c", "d"});
        for (int k : {0, 1, 5}) {
            panel.blank(k).index->setCurrentIndex(26);
            panel.blank(k).mode->setCurrentIndex(2);
            panel.blank(k).count->setCurrentIndex(3);
            panel.blank(k).overflow->setCurrentIndex(2);
        }
        panel.LoadCells(2);
        QVERIFY(panel.textEdit(0)->text().isEmpty());
        QVERIFY(panel.textEdit(2)->text().isEmpty());
        QCOMPARE(panel.textEdit(3)->text(), QStringLiteral("d"));  // not shown: not emptied
        for (int k : {0, 1, 5}) {
            QCOMPARE(panel.blank(k).overflow->currentIndex(), 0);  // every blank, shown or not
            QCOMPARE(panel.blank(k).count->currentIndex(), 3);     // other options stay
            QVERIFY(panel.blank(k).count->isEnabled());
        }
    }

    void loadTakesTheBlockOfTheRecordsFunction() {
        KeyAction record;
        record.function = FunctionCode::Network;
        record.network.varNum = 1;
        record.network.texts = {"n0", "n1"};
        Placeholder p;
        p.kind = kKindInput;
        p.modeIndex = 1;
        p.overflowIndex = 1;
        p.digits = 4;
        record.network.placeholders = {p};
        QWidget editor;
        CNetComData serialPanel(&editor, &record);
        serialPanel.ShowCells(3);
        fillTexts(serialPanel, {"x", "y", "z", "w"});
        serialPanel.LoadCells(3);
        QCOMPARE(serialPanel.textEdit(0)->text(), QStringLiteral("n0"));
        QCOMPARE(serialPanel.textEdit(1)->text(), QStringLiteral("n1"));
        // Cells beyond the stored blanks keep what they hold.
        QCOMPARE(serialPanel.textEdit(2)->text(), QStringLiteral("z"));
        QCOMPARE(serialPanel.textEdit(3)->text(), QStringLiteral("w"));
        const CNetComData::Blank& b = serialPanel.blank(0);
        QCOMPARE(b.index->currentText(), QStringLiteral("Input"));
        QCOMPARE(b.mode->currentText(), QStringLiteral("click"));
        QCOMPARE(b.overflow->currentText(), QStringLiteral("裁剪"));
        QCOMPARE(b.digits->currentText(), QStringLiteral("4"));
        QVERIFY(serialPanel.groupShown(0, CNetComData::Group::Input));
    }

    void loadWithRecordOfAnotherFunctionChangesNothing() {
        KeyAction record;
        record.function = FunctionCode::Relay;
        QWidget editor;
        CNetComData panel(&editor, &record);
        panel.ShowCells(1);
        fillTexts(panel, {"keep", "this"});
        panel.blank(0).index->setCurrentIndex(26);
        panel.blank(0).overflow->setCurrentIndex(2);
        panel.LoadCells(1);
        QCOMPARE(panel.textEdit(0)->text(), QStringLiteral("keep"));
        QCOMPARE(panel.textEdit(1)->text(), QStringLiteral("this"));
        QCOMPARE(panel.blank(0).overflow->currentIndex(), 2);
    }

    void loadsOutOfRangeFieldsWithASelection() {
        KeyAction record;
        record.function = FunctionCode::Serial;
        record.serial.texts = {"a", "b"};
        Placeholder p;
        p.kind = kKindEnum;
        p.enumIndex = 40;
        p.groupIndex = -2;
        p.digits = 0;
        record.serial.placeholders = {p};
        QWidget editor;
        CNetComData panel(&editor, &record);
        panel.ShowCells(1);
        panel.LoadCells(1);
        for (QComboBox* list : {panel.blank(0).index, panel.blank(0).group, panel.blank(0).digits}) {
            QVERIFY(list->currentIndex() >= 0);
        }
    }
};

QTEST_MAIN(ComposerTest)
#include "ComposerTest.moc"
