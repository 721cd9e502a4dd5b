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

    // Typed key by key, every shape of address comes out as typed: a "." right after the third
    // digit's move skips no field.
    void ipv4EditTakesEveryTypedAddressAsTyped() {
        for (const TypedAddress& typed : typedAddresses()) {
            Ipv4Edit edit;
            edit.setAddress(typed.before);
            typeAddress(&edit, QString::fromLatin1(typed.keys));
            QVERIFY2(edit.address() == typed.expected,
                     qPrintable(QStringLiteral("%1: %2 gave %3")
                                    .arg(QString::fromLatin1(typed.name), QString::fromLatin1(typed.keys))
                                    .arg(edit.address(), 8, 16, QLatin1Char('0'))));
        }
    }

    void ipv4EditWalksTheFieldsAsThePlatformControlDoes() {
        Ipv4Edit edit;
        edit.setAddress(0xC0A801A5u);  // 192.168.1.165
        // A "." in an empty field, or at a field's start, stays where it is.
        edit.field(1)->clear();
        edit.field(1)->setFocus();
        QTest::keyClick(edit.field(1), '.');
        QCOMPARE(edit.focusWidget(), edit.field(1));
        edit.field(2)->setFocus();
        edit.field(2)->setCursorPosition(0);
        QTest::keyClick(edit.field(2), '.');
        QCOMPARE(edit.focusWidget(), edit.field(2));
        // In the last field it does nothing either.
        edit.field(3)->setFocus();
        edit.field(3)->setCursorPosition(3);
        QTest::keyClick(edit.field(3), '.');
        QCOMPARE(edit.focusWidget(), edit.field(3));
        QCOMPARE(edit.field(3)->text(), QStringLiteral("165"));
        // The arrow keys cross at a field's edges; Backspace at the start goes back and deletes
        // nothing until the next press.
        QTest::keyClick(edit.field(3), Qt::Key_Left);
        QTest::keyClick(edit.field(3), Qt::Key_Left);
        QTest::keyClick(edit.field(3), Qt::Key_Left);
        QCOMPARE(edit.focusWidget(), edit.field(3));
        QTest::keyClick(edit.field(3), Qt::Key_Left);
        QCOMPARE(edit.focusWidget(), edit.field(2));
        QCOMPARE(edit.field(2)->cursorPosition(), 1);
        QTest::keyClick(edit.field(2), Qt::Key_Right);
        QCOMPARE(edit.focusWidget(), edit.field(3));
        QCOMPARE(edit.field(3)->cursorPosition(), 0);
        QTest::keyClick(edit.field(3), Qt::Key_Backspace);
        QCOMPARE(edit.focusWidget(), edit.field(2));
        QCOMPARE(edit.address(), 0xC00001A5u);
        QTest::keyClick(edit.field(2), Qt::Key_Backspace);
        QCOMPARE(edit.field(2)->text(), QString());
        // A digit that would make the octet above 255 is not taken, and the caret stays.
        edit.field(0)->setFocus();
        edit.field(0)->setText(QStringLiteral("25"));
        QTest::keyClick(edit.field(0), '6');
        QCOMPARE(edit.field(0)->text(), QStringLiteral("25"));
        QCOMPARE(edit.focusWidget(), edit.field(0));
        QTest::keyClick(edit.field(0), '5');
        QCOMPARE(edit.focusWidget(), edit.field(1));
        QCOMPARE(edit.address(), 0xFF0000A5u);
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
