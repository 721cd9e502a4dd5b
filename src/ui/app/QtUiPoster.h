#pragma once

#include <QObject>
#include <functional>

#include "model/UiPoster.h"

namespace velk::ui {

// Hands messages from the worker threads to the Qt event loop; the handler runs on the thread
// that owns the receiver (the user-interface thread).
class QtUiPoster : public UiPoster {
public:
    QtUiPoster(QObject* receiver, std::function<void(const ViewMessage&)> handler);

    void post(ViewMessage message) override;

private:
    QObject* m_receiver;  // outlives every thread that posts
    std::function<void(const ViewMessage&)> m_handler;
};

}  // namespace velk::ui
