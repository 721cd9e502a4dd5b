#pragma once

#include <QList>
#include <QString>

#include "ui/common/FileDialogs.h"
#include "ui/common/UiSeams.h"

class QDialog;

// What the widget tests share: guards that hold a seam of ui/common for as long as they live, and
// a recorder of message boxes. A guard puts the handler it replaced back when it goes, also when a
// failed check leaves the test early, so no handler outlives the locals it points at.
namespace velk::test {

class MessageHandlerGuard {
public:
    explicit MessageHandlerGuard(ui::MessageHandler handler);
    ~MessageHandlerGuard();
    MessageHandlerGuard(const MessageHandlerGuard&) = delete;
    MessageHandlerGuard& operator=(const MessageHandlerGuard&) = delete;

private:
    ui::MessageHandler m_previous;
};

class ModalHandlerGuard {
public:
    explicit ModalHandlerGuard(ui::ModalHandler handler);
    ~ModalHandlerGuard();
    ModalHandlerGuard(const ModalHandlerGuard&) = delete;
    ModalHandlerGuard& operator=(const ModalHandlerGuard&) = delete;

private:
    ui::ModalHandler m_previous;
};

class FileDialogGuard {
public:
    explicit FileDialogGuard(ui::FileDialogHandler handler);
    ~FileDialogGuard();
    FileDialogGuard(const FileDialogGuard&) = delete;
    FileDialogGuard& operator=(const FileDialogGuard&) = delete;

private:
    ui::FileDialogHandler m_previous;
};

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

// Clicks the dialog's OK button (the child named "okButton").
void clickOk(QDialog& dialog);

}  // namespace velk::test
