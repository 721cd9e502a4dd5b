#include "ui/support/WidgetTestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <utility>

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
