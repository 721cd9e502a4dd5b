#pragma once

#include <QList>

#include "ui/common/UiSeams.h"

// Answers every message box of the code under test and keeps what it was asked to show.
class MessageRecorder {
public:
    MessageRecorder() {
        velk::ui::setMessageHandler([this](const velk::ui::ShownMessage& m) { messages.append(m); });
    }
    ~MessageRecorder() { velk::ui::setMessageHandler(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

    QList<velk::ui::ShownMessage> messages;
};
