#pragma once

#include <QList>
#include <QString>
#include <utility>

#include "ui/common/FileDialogs.h"
#include "ui/common/UiSeams.h"

class QDialog;
class QLineEdit;
class QTableWidget;

// What the widget tests share: guards that hold a seam of ui/common for as long as they live, and
// a recorder of message boxes. A guard puts the handler it replaced back when it goes, also when a
// failed check leaves the test early, so no handler outlives the locals it points at.
namespace velk::test {

// Holds one seam (its handler type and setter) for as long as it lives.
template <typename Handler, Handler (*set)(Handler)>
class SeamGuard {
public:
    explicit SeamGuard(Handler handler) : m_previous(set(std::move(handler))) {}
    ~SeamGuard() { set(std::move(m_previous)); }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;

private:
    Handler m_previous;
};

using MessageHandlerGuard = SeamGuard<ui::MessageHandler, ui::setMessageHandler>;
using ModalHandlerGuard = SeamGuard<ui::ModalHandler, ui::setModalHandler>;
using FileDialogGuard = SeamGuard<ui::FileDialogHandler, ui::setFileDialogHandler>;
using QuestionGuard = SeamGuard<ui::QuestionHandler, ui::setQuestionHandler>;
using ScreenAreaGuard = SeamGuard<ui::ScreenAreaHandler, ui::setScreenAreaHandler>;

// A screen of this available area for every window, whatever the platform offers (the offscreen
// platform's screen is 800x600). For the whole test program (initTestCase).
void pinScreenArea(const QRect& area);
// A roomy desktop, where every window has its designed size.
constexpr QRect kLargeScreen{0, 0, 1920, 1050};

// Records every message box instead of showing it, for as long as it lives.
class MessageRecorder {
public:
    MessageRecorder();

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

    QList<ui::ShownMessage> messages;

private:
    MessageHandlerGuard m_guard;
};

// A message box no test expects would block the run: stop with its text instead. For the whole
// test program (initTestCase); recorders and guards put it back when they end.
void failOnMessages();

// Types keys into an emptied edit as a user would, focus first; what the edit then holds.
QString typedInto(QLineEdit* edit, const QString& keys);

// Clicks the dialog's OK button (the child named "okButton").
void clickOk(QDialog& dialog);

// The texts of one row of a list, column by column (empty for a cell without an item).
QStringList rowTexts(const QTableWidget* list, int row);

}  // namespace velk::test
