#pragma once
// The wait for the start of a PC clock second before the clock's time is set.
//
// The command that sets the clock must leave within the first 4 ms of a
// second of the PC clock. The wait sleeps until shortly before the second,
// reads the PC clock continuously over the last stretch, and is bounded by the
// monotonic clock, so a PC clock that stands still or jumps cannot hold the
// program for more than about a second.
#include <chrono>

#include "timevalues/TidRut.h"

namespace app {

// The monotonic clock and the sleep the wait uses; tests put a fake in.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual std::chrono::nanoseconds monotonicNow() = 0;
    virtual void sleepFor(std::chrono::nanoseconds duration) = 0;
};

// steady_clock and this_thread::sleep_for.
WaitClock& systemWaitClock();

// Readings of the PC clock count as "at the start of a second" while their
// fraction is below this (4 ms).
inline constexpr timevalues::TTid kSecondStartWindow = 40;
// The last stretch before the second is spun, not slept.
inline constexpr std::chrono::microseconds kSpinStretch{3000};
// How much longer than the PC clock's own promise the wait may take.
inline constexpr std::chrono::milliseconds kWaitMargin{50};

// Waits for the start of the next PC clock second (TidNow) and answers the
// reading to send: the first one in a later second, which lies within the
// first 4 ms unless the PC clock advances in coarser steps. A wait that begins
// within the first 4 ms of a second also waits for the next one: where in
// those milliseconds it began cannot be told. When the bound (time left in
// the second plus kWaitMargin) passes first, the latest reading is answered.
timevalues::TTid waitForWholeSecond(WaitClock& clock);

} // namespace app
