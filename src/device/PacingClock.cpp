#include "device/PacingClock.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

namespace velk {
namespace {

constexpr int64_t kMicrosPerSecond = 1000000;
// The slack a paced wake-up may be late by on purpose; the kernel's default is 50 µs.
constexpr unsigned long kTimerSlackNs = 1000;

// The ready events of an epoll instance, without waiting.
int takeEvents(int epollFd, epoll_event* events, int max) {
    int ready = 0;
    do {
        ready = epoll_wait(epollFd, events, max, 0);
    } while (ready < 0 && errno == EINTR);
    return ready < 0 ? 0 : ready;
}

}  // namespace

int PacingClock::waitForEvents(int64_t deadlineUs, int epollFd, epoll_event* events, int max) {
    sleepUntilUsOrReadable(deadlineUs, epollFd);
    return takeEvents(epollFd, events, max);
}

int SystemClock::waitForEvents(int64_t deadlineUs, int epollFd, epoll_event* events, int max) {
    for (;;) {
        const int64_t leftUs = deadlineUs - nowUs();
        if (leftUs <= 0) {
            return takeEvents(epollFd, events, max);
        }
        timespec left{};
        left.tv_sec = static_cast<time_t>(leftUs / kMicrosPerSecond);
        left.tv_nsec = static_cast<long>(leftUs % kMicrosPerSecond) * 1000;
        const int ready = epoll_pwait2(epollFd, events, max, &left, nullptr);
        if (ready >= 0) {
            return ready;  // none: the time has come (the caller looks at the clock anyway)
        }
        if (errno != EINTR) {
            sleepUntilUs(deadlineUs);  // nothing to watch: the plain pause
            return 0;
        }
    }
}

int64_t SystemClock::nowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * kMicrosPerSecond + now.tv_nsec / 1000;
}

void SystemClock::sleepUntilUs(int64_t deadlineUs) {
    timespec deadline{};
    deadline.tv_sec = static_cast<time_t>(deadlineUs / kMicrosPerSecond);
    deadline.tv_nsec = static_cast<long>(deadlineUs % kMicrosPerSecond) * 1000;
    // A signal wakes the sleep early; the absolute deadline lets it simply go on.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

bool SystemClock::sleepUntilUsOrReadable(int64_t deadlineUs, int fd) {
    for (;;) {
        const int64_t leftUs = deadlineUs - nowUs();
        if (leftUs <= 0) {
            return false;
        }
        timespec left{};
        left.tv_sec = static_cast<time_t>(leftUs / kMicrosPerSecond);
        left.tv_nsec = static_cast<long>(leftUs % kMicrosPerSecond) * 1000;
        pollfd watched{fd, POLLIN, 0};
        const int ready = ppoll(&watched, 1, &left, nullptr);
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            sleepUntilUs(deadlineUs);  // nothing to watch: the plain pause
            return false;
        }
    }
}

int64_t SystemClock::nowSeconds() {
    return nowUs() / kMicrosPerSecond;
}

void SystemClock::prepareThread() {
    prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0);
}

}  // namespace velk
