#pragma once

#include <QComboBox>
#include <QList>
#include <QStringList>

#include "ui/common/UiSeams.h"

// A message box no test expects would block the run: stop with its text instead.
inline void failOnMessages() {
    velk::ui::setMessageHandler(
        [](const velk::ui::ShownMessage& m) { qFatal("unexpected message box: %s", qPrintable(m.text)); });
}

// Records every message box instead of showing it, for as long as it lives.
class MessageRecorder {
public:
    MessageRecorder() {
        velk::ui::setMessageHandler([this](const velk::ui::ShownMessage& m) { messages.append(m); });
    }
    ~MessageRecorder() { failOnMessages(); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

    QList<velk::ui::ShownMessage> messages;
};

// The texts of a list's entries, in order.
inline QStringList entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out.append(list->itemText(i));
    }
    return out;
}
