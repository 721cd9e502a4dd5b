#include "ui/common/UiSeams.h"

#include <QDialog>

namespace velk::ui {
namespace {

std::function<void(const ShownMessage&)>& messageHandler() {
    static std::function<void(const ShownMessage&)> handler;
    return handler;
}

std::function<int(QDialog&)>& modalHandler() {
    static std::function<int(QDialog&)> handler;
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

void setMessageHandler(std::function<void(const ShownMessage&)> handler) {
    messageHandler() = std::move(handler);
}

void setModalHandler(std::function<int(QDialog&)> handler) {
    modalHandler() = std::move(handler);
}

}  // namespace velk::ui
