#include <QDialog>
#include <QLineEdit>
#include <QtTest>

#include "ui/common/FileDialogs.h"
#include "ui/common/GbkText.h"
#include "ui/common/Ipv4Edit.h"
#include "ui/common/UiSeams.h"
#include "ui/support/WidgetTestSupport.h"

using namespace velk::ui;
using namespace velk::test;

class UiCommonTest : public QObject {
    Q_OBJECT
private slots:
    void ipv4EditRoundTripsAndTreatsEmptyFieldsAsZero() {
        Ipv4Edit edit;
        edit.setAddress(0xC0A801A5u);
        QCOMPARE(edit.field(0)->text(), QStringLiteral("192"));
        QCOMPARE(edit.field(3)->text(), QStringLiteral("165"));
        QCOMPARE(edit.address(), 0xC0A801A5u);
        edit.field(1)->clear();
        QCOMPARE(edit.address(), 0xC00001A5u);
    }

    void ipv4EditRefusesOctetsAbove255() {
        Ipv4Edit edit;
        edit.field(0)->setFocus();
        QTest::keyClicks(edit.field(0), QStringLiteral("300"));
        QVERIFY(edit.field(0)->text().toInt() <= 255);
    }

    void gbkConversionRefusesWhatGbkCannotHold() {
        auto bytes = toGbk(QStringLiteral("按键1"));
        QVERIFY(bytes.has_value());
        QCOMPARE(fromGbk(*bytes), QStringLiteral("按键1"));
        QVERIFY(!toGbk(QString::fromUtf8("\xF0\x9F\x98\x80")).has_value());
    }

    void seamsAnswerMessagesAndModalRuns() {
        QList<ShownMessage> seen;
        {
            MessageHandlerGuard messages([&](const ShownMessage& m) { seen.append(m); });
            showError(nullptr, QStringLiteral("请输入一个整数。"));
        }
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].title, QStringLiteral("错误"));

        ModalHandlerGuard modal([](QDialog&) { return int(QDialog::Accepted); });
        QDialog dialog;
        QCOMPARE(runModal(dialog), int(QDialog::Accepted));
    }

    void guardsPutBackTheHandlerTheyReplaced() {
        QStringList shown;
        {
            MessageHandlerGuard outer(
                [&](const ShownMessage& m) { shown << QStringLiteral("outer ") + m.text; });
            {
                MessageHandlerGuard inner(
                    [&](const ShownMessage& m) { shown << QStringLiteral("inner ") + m.text; });
                showMessage(nullptr, QStringLiteral("提示"), QStringLiteral("a"));
            }
            showMessage(nullptr, QStringLiteral("提示"), QStringLiteral("b"));
            MessageRecorder recorder;
            showError(nullptr, QStringLiteral("c"));
            QCOMPARE(recorder.lastText(), QStringLiteral("c"));
        }
        QCOMPARE(shown, QStringList({QStringLiteral("inner a"), QStringLiteral("outer b")}));
        QVERIFY(!setMessageHandler(nullptr));

        {
            ModalHandlerGuard outer([](QDialog&) { return 7; });
            {
                ModalHandlerGuard inner([](QDialog&) { return 8; });
                QDialog dialog;
                QCOMPARE(runModal(dialog), 8);
            }
            QDialog dialog;
            QCOMPARE(runModal(dialog), 7);
        }
        QVERIFY(!setModalHandler(nullptr));

        {
            FileDialogGuard chosen(
                [](bool save) { return save ? QStringLiteral("new.db") : QStringLiteral("old.db"); });
            QCOMPARE(chooseNewProjectFile(nullptr), QStringLiteral("new.db"));
            QCOMPARE(chooseProjectFileToOpen(nullptr), QStringLiteral("old.db"));
        }
        QVERIFY(!setFileDialogHandler(nullptr));
    }
};

QTEST_MAIN(UiCommonTest)
#include "UiCommonTest.moc"
