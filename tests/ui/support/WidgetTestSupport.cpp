#include "ui/support/WidgetTestSupport.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <utility>

namespace velk::test {

MessageHandlerGuard::MessageHandlerGuard(ui::MessageHandler handler)
    : m_previous(ui::setMessageHandler(std::move(handler))) {}

MessageHandlerGuard::~MessageHandlerGuard() {
    ui::setMessageHandler(std::move(m_previous));
}

ModalHandlerGuard::ModalHandlerGuard(ui::ModalHandler handler)
    : m_previous(ui::setModalHandler(std::move(handler))) {}

ModalHandlerGuard::~ModalHandlerGuard() {
    ui::setModalHandler(std::move(m_previous));
}

FileDialogGuard::FileDialogGuard(ui::FileDialogHandler handler)
    : m_previous(ui::setFileDialogHandler(std::move(handler))) {}

FileDialogGuard::~FileDialogGuard() {
    ui::setFileDialogHandler(std::move(m_previous));
}

MessageRecorder::MessageRecorder() : m_guard([this](const ui::ShownMessage& m) { messages.append(m); }) {}

void failOnMessages() {
    ui::setMessageHandler(
        [](const ui::ShownMessage& m) { qFatal("unexpected message box: %s", qPrintable(m.text)); });
}

void clickOk(QDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
}

}  // namespace velk::test
