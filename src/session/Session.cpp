#include "session/Session.h"

namespace velk {

Session::Session(SessionObserver& observer, UiPoster& poster, PacingClock& clock)
    : m_project(observer, poster), m_device(m_project, observer, poster, clock) {}

Session::~Session() {
    shutdown();
}

void Session::handle(const ViewMessage& message) {
    switch (message.id) {
        case WM_LINK_CONNECTED:
        case WM_LINK_CLOSED:
        case WM_LINK_DATA:
        case WM_LINK_QUIET:
        case WM_LINK_FAILED:
        case WM_WRITE_TIMEOUT:
        case WM_WRITE_PROGRESS:
        case WM_WRITE_DONE:
            m_device.handle(message);
            break;
        default:
            m_project.handle(message);
            break;
    }
}

void Session::shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    m_project.shutdown();
    m_device.shutdown();
}

}  // namespace velk
