#pragma once

#include "session/DeviceSession.h"
#include "session/ProjectSession.h"

namespace velk {

// The whole form without widgets: the project side and the device side, fed by the messages the
// worker threads post to the user-interface thread.
class Session {
public:
    Session(SessionObserver& observer, UiPoster& poster, PacingClock& clock);
    ~Session();

    ProjectSession& project() { return m_project; }
    DeviceSession& device() { return m_device; }

    // One posted message, on the user-interface thread.
    void handle(const ViewMessage& message);

    // The program ends: the database worker runs what is queued (at most 20 s), the link closes.
    void shutdown();

private:
    ProjectSession m_project;
    DeviceSession m_device;
    bool m_shutDown = false;
};

}  // namespace velk
