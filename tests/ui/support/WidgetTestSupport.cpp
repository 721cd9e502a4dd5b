#include "ui/support/WidgetTestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <utility>

#include "ui/common/Ipv4Edit.h"

namespace velk::test {

MessageRecorder::MessageRecorder() : m_guard([this](const ui::ShownMessage& m) { messages.append(m); }) {}

void failOnMessages() {
    ui::setMessageHandler(
        [](const ui::ShownMessage& m) { qFatal("unexpected message box: %s", qPrintable(m.text)); });
}

QString typedInto(QLineEdit* edit, const QString& keys) {
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, keys);
    return edit->text();
}

void typeAddress(ui::Ipv4Edit* edit, const QString& keys, int field) {
    QLineEdit* start = edit->field(field);
    start->setFocus(Qt::TabFocusReason);
    start->selectAll();
    for (QChar key : keys) {
        QWidget* focused = edit->focusWidget();
        QWidget* target = focused != nullptr ? focused : start;
        if (key == QLatin1Char('\b')) {
            QTest::keyClick(target, Qt::Key_Backspace);
        } else {
            QTest::keyClick(target, key.toLatin1());
        }
    }
}

const std::vector<TypedAddress>& typedAddresses() {
    static const std::vector<TypedAddress> cases{
        {"three, one, one, one", 0, "127.0.0.1", 0x7F000001u},
        {"three, two, two, two", 0, "127.10.20.30", 0x7F0A141Eu},
        {"three digits each", 0, "127.100.200.250", 0x7F64C8FAu},
        {"three digits each, no dots", 0, "127100200250", 0x7F64C8FAu},
        {"three, one, two, three", 0, "127.1.22.133", 0x7F011685u},
        {"three digits last", 0, "127.0.0.100", 0x7F000064u},
        {"leading zeros", 0, "127.001.002.003", 0x7F010203u},
        {"256 is not taken", 0, "127.1.256.3", 0x7F011903u},
        // The first Backspace takes the selected "0" of the third field, the second goes back.
        {"Backspace goes back a field", 0, "127.168\b\b\b\b0.1.2", 0x7F0A0102u},
        {"over an address, three digits", 0xC0A801A5u, "127.100.20.3", 0x7F641403u},
        {"over an address, two fields", 0x0A000005u, "127.16", 0x7F100005u},
        {"one digit each", 0, "1.2.3.4", 0x01020304u},
        {"two digits each", 0, "10.20.30.40", 0x0A141E28u},
        {"three, three, one, two", 0, "192.168.1.20", 0xC0A80114u},
        {"three, three, one, three", 0, "192.168.1.100", 0xC0A80164u},
        {"the default panel", 0, "192.168.1.165", 0xC0A801A5u},
        {"a mask", 0, "255.255.255.0", 0xFFFFFF00u},
        {"over an address, one field", 0xC0A801A5u, "10", 0x0AA801A5u},
        {"over an address, all fields", 0x7F000001u, "10.0.0.254", 0x0A0000FEu},
    };
    return cases;
}

void pinScreenArea(const QRect& area) {
    ui::setScreenAreaHandler([area](const QWidget*) { return area; });
}

QStringList rowTexts(const QTableWidget* list, int row) {
    QStringList texts;
    for (int column = 0; column < list->columnCount(); ++column) {
        const QTableWidgetItem* item = list->item(row, column);
        texts << (item ? item->text() : QString());
    }
    return texts;
}

void clickOk(QDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
}

}  // namespace velk::test
