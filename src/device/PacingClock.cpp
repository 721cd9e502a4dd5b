#include "device/PacingClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace velk {
namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

// A sleep may give back at most this share of itself to make up for earlier late wake-ups, so
// every pause the panel sees stays well above half its length.
constexpr int kMaxRecoveryPercent = 50;
// Lateness beyond this (the machine stalled) is not chased.
constexpr Micros kMaxDebt{50000};

}  // namespace

// A write is thousands of short paced sleeps; each wakes a little late, and on a busy machine that
// adds several percent to the whole. Each thread keeps how late its sleeps woke and takes it off
// the following ones, so the pacing of a sequence sums to what it asks for.
void SystemClock::sleepMs(int milliseconds) {
    thread_local Micros debt{0};
    if (milliseconds <= 0) {
        return;
    }
    Micros asked = std::chrono::milliseconds(milliseconds);
    Micros recovered = std::min(debt, asked * kMaxRecoveryPercent / 100);
    Clock::time_point start = Clock::now();
    std::this_thread::sleep_until(start + (asked - recovered));
    Micros slept = std::chrono::duration_cast<Micros>(Clock::now() - start);
    debt = std::clamp(debt + slept - asked, Micros{0}, kMaxDebt);
}

int64_t SystemClock::nowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch()).count();
}

}  // namespace velk
