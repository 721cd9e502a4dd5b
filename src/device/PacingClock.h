#pragma once

#include <cstdint>

namespace velk {

// Sleeps and the whole-seconds clock of the device side. The product uses SystemClock with the
// real pacing; tests pass a faster clock to shorten the acknowledgement waits.
class PacingClock {
public:
    virtual ~PacingClock() = default;
    virtual void sleepMs(int milliseconds) = 0;
    virtual int64_t nowSeconds() = 0;
};

class SystemClock : public PacingClock {
public:
    void sleepMs(int milliseconds) override;
    int64_t nowSeconds() override;
};

}  // namespace velk
