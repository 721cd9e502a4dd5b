#include "cli/StopSignals.h"

#include <pthread.h>

#include <ctime>

namespace velk::cli {

StopSignals::StopSignals() {
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_signals, &m_previous);
}

StopSignals::~StopSignals() {
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

bool StopSignals::arrived() {
    const timespec now{0, 0};
    return sigtimedwait(&m_signals, nullptr, &now) > 0;
}

}  // namespace velk::cli
