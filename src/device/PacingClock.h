#pragma once

#include <cstdint>

struct epoll_event;

namespace velk {

// Sleeps and clocks of the device side. The product uses SystemClock with the real pacing; tests
// pass a faster clock to shorten the acknowledgement waits.
//
// Pauses are slept to absolute deadlines on a monotonic clock: the sequence fixes each deadline
// from the moment the command before it left, so a late wake-up never shortens the next pause.
class PacingClock {
public:
    virtual ~PacingClock() = default;
    // A monotonic time in microseconds.
    virtual int64_t nowUs() = 0;
    // Returns no earlier than deadlineUs on the nowUs() clock.
    virtual void sleepUntilUs(int64_t deadlineUs) = 0;
    // Whole seconds, the clock the acknowledgement time-outs are counted on.
    virtual int64_t nowSeconds() = 0;
    // Prepares the calling thread for paced sleeps; the sequence thread calls it once.
    virtual void prepareThread() {}
    // Sleeps as sleepUntilUs does, but may return early, true, once fd has bytes to read (or is
    // closed). This one never returns early: the caller then finds the bytes when it looks.
    virtual bool sleepUntilUsOrReadable(int64_t deadlineUs, int fd) {
        static_cast<void>(fd);
        sleepUntilUs(deadlineUs);
        return false;
    }

    // Sleeps as sleepUntilUsOrReadable does on an epoll instance, then takes up to max of its
    // ready events without waiting: how many.
    virtual int waitForEvents(int64_t deadlineUs, int epollFd, epoll_event* events, int max);

    void sleepMs(int milliseconds) { sleepUntilUs(nowUs() + int64_t{milliseconds} * 1000); }
};

// CLOCK_MONOTONIC with clock_nanosleep(TIMER_ABSTIME), and a small timer slack on the pacing
// thread so the kernel does not add its default 50 µs to every wake-up.
class SystemClock : public PacingClock {
public:
    int64_t nowUs() override;
    void sleepUntilUs(int64_t deadlineUs) override;
    int64_t nowSeconds() override;
    void prepareThread() override;
    bool sleepUntilUsOrReadable(int64_t deadlineUs, int fd) override;
    int waitForEvents(int64_t deadlineUs, int epollFd, epoll_event* events, int max) override;
};

}  // namespace velk
