#pragma once

#include <csignal>

namespace velk::cli {

// Ctrl+C (SIGINT) and SIGTERM taken by the main loop instead of ending the process where it
// stands: blocked from construction on, in this thread and every thread started after, and looked
// for with arrived(). A run that touches a panel can then say what state it leaves it in.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Whether one of the signals came since the last call; takes it.
    bool arrived();

private:
    sigset_t m_signals{};
    sigset_t m_previous{};
};

}  // namespace velk::cli
