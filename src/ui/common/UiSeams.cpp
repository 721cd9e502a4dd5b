#include "ui/common/UiSeams.h"

#include <QDialog>
#include <utility>

namespace velk::ui {
namespace {

MessageHandler& messageHandler() {
    static MessageHandler handler;
    return handler;
}

ModalHandler& modalHandler() {
    static ModalHandler handler;
    return handler;
}

}  // namespace

void showMessage(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon) {
    if (messageHandler()) {
        messageHandler()(ShownMessage{parent, title, text, icon});
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void showError(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    showMessage(parent, QStringLiteral("错误"), text, icon);
}

int runModal(QDialog& dialog) {
    if (modalHandler()) {
        return modalHandler()(dialog);
    }
    return dialog.exec();
}

MessageHandler setMessageHandler(MessageHandler handler) {
    return std::exchange(messageHandler(), std::move(handler));
}

ModalHandler setModalHandler(ModalHandler handler) {
    return std::exchange(modalHandler(), std::move(handler));
}

}  // namespace velk::ui
