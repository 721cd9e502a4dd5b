#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "ui/common/FileDialogs.h"
#include "ui/common/UiSeams.h"

class QDialog;
class QLineEdit;
class QTableWidget;

namespace velk::ui {
class Ipv4Edit;
}

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

// Types keys into an address control as a user does: the field takes the focus with its text
// selected (as Tab gives it), then each key goes to the field that has the focus then, so the
// control's own moves between fields decide where a key lands. "\b" is Backspace.
void typeAddress(ui::Ipv4Edit* edit, const QString& keys, int field = 0);

// One address typed key by key over the address the control held, and the address it must give.
struct TypedAddress {
    const char* name;
    uint32_t before;
    const char* keys;
    uint32_t expected;
};
// Every shape a typed address takes: fields of one, two and three digits, with and without the
// dots, values above 255, Backspace across a field, over an address the control already held.
// Those on 127.0.0.0/8 are the ones a test can connect to.
const std::vector<TypedAddress>& typedAddresses();

// Clicks the dialog's OK button (the child named "okButton").
void clickOk(QDialog& dialog);

// The texts of one row of a list, column by column (empty for a cell without an item).
QStringList rowTexts(const QTableWidget* list, int row);

}  // namespace velk::test
