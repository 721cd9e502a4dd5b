#include "ui/app/QtUiPoster.h"

#include <QMetaObject>
#include <utility>

namespace velk::ui {

QtUiPoster::QtUiPoster(QObject* receiver, std::function<void(const ViewMessage&)> handler)
    : m_receiver(receiver), m_handler(std::move(handler)) {}

void QtUiPoster::post(ViewMessage message) {
    // The receiver context drops the call if the view is already gone.
    QMetaObject::invokeMethod(
        m_receiver, [handler = m_handler, message = std::move(message)]() { handler(message); },
        Qt::QueuedConnection);
}

}  // namespace velk::ui
