#pragma once

#include <QMessageBox>
#include <QRect>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace velk::ui {

// Every message box and every modal dialog of the program goes through these two calls, so that
// widget tests can answer them instead of blocking on a nested event loop.

struct ShownMessage {
    QWidget* parent = nullptr;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows a message box with only an OK button.
void showMessage(QWidget* parent, const QString& title, const QString& text,
                 QMessageBox::Icon icon = QMessageBox::NoIcon);

// "错误" with the given icon, the title of every validation message.
void showError(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);

// Runs a dialog modally and returns its result code (QDialog::Accepted or Rejected).
int runModal(QDialog& dialog);

// Asks a yes-or-no question (是 / 否, 否 the default); true for yes.
bool askQuestion(QWidget* parent, const QString& title, const QString& text);

// The part of the screen a window may take (QScreen::availableGeometry, in device-independent
// pixels): of the screen widget is on, or the primary one.
QRect availableScreenArea(const QWidget* widget);

using MessageHandler = std::function<void(const ShownMessage&)>;
using ModalHandler = std::function<int(QDialog&)>;
using QuestionHandler = std::function<bool(const ShownMessage&)>;
using ScreenAreaHandler = std::function<QRect(const QWidget*)>;

// Test hooks: while set, messages are handed to the handler instead of being shown, and modal
// runs call the handler (which drives the dialog and returns a result) instead of exec(). Each
// returns the handler it replaces, so a test can put it back.
MessageHandler setMessageHandler(MessageHandler handler);
ModalHandler setModalHandler(ModalHandler handler);
// Questions go to the handler, which answers them.
QuestionHandler setQuestionHandler(QuestionHandler handler);
// The handler gives the available area instead of the screen (a 1366x768 laptop in a test).
ScreenAreaHandler setScreenAreaHandler(ScreenAreaHandler handler);

}  // namespace velk::ui
