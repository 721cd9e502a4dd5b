#include "ui/common/UiSeams.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
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

QuestionHandler& questionHandler() {
    static QuestionHandler handler;
    return handler;
}

ScreenAreaHandler& screenAreaHandler() {
    static ScreenAreaHandler handler;
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

bool askQuestion(QWidget* parent, const QString& title, const QString& text) {
    if (questionHandler()) {
        return questionHandler()(ShownMessage{parent, title, text, QMessageBox::Question});
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    return box.exec() == QMessageBox::Yes;
}

QRect availableScreenArea(const QWidget* widget) {
    if (screenAreaHandler()) {
        return screenAreaHandler()(widget);
    }
    QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

MessageHandler setMessageHandler(MessageHandler handler) {
    return std::exchange(messageHandler(), std::move(handler));
}

ModalHandler setModalHandler(ModalHandler handler) {
    return std::exchange(modalHandler(), std::move(handler));
}

QuestionHandler setQuestionHandler(QuestionHandler handler) {
    return std::exchange(questionHandler(), std::move(handler));
}

ScreenAreaHandler setScreenAreaHandler(ScreenAreaHandler handler) {
    return std::exchange(screenAreaHandler(), std::move(handler));
}

}  // namespace velk::ui
