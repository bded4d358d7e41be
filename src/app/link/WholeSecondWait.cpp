#include "app/link/WholeSecondWait.h"

#include <algorithm>
#include <thread>

namespace app {
namespace {

class SystemWaitClock final : public WaitClock {
public:
    std::chrono::nanoseconds monotonicNow() override
    {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
    void sleepFor(std::chrono::nanoseconds duration) override { std::this_thread::sleep_for(duration); }
};

// One unit of TTid.
constexpr std::chrono::microseconds kTidUnit{100};

} // namespace

WaitClock& systemWaitClock()
{
    static SystemWaitClock clock;
    return clock;
}

timevalues::TTid waitForWholeSecond(WaitClock& clock)
{
    // Only the change of second, seen by reading the clock over and over,
    // says where the second begins: a first reading that already lies in
    // the second's first milliseconds may be up to 4 ms late, so the wait
    // is for the next second then too.
    using timevalues::kTidSecond;
    timevalues::TTid t = timevalues::TidNow();
    const timevalues::TTid startSecond = t / kTidSecond;
    const auto bound = clock.monotonicNow() + (kTidSecond - t % kTidSecond) * kTidUnit + kWaitMargin;
    for (;;) {
        const auto now = clock.monotonicNow();
        if (now >= bound)
            return t;
        const auto untilSecond = std::chrono::duration_cast<std::chrono::nanoseconds>(
            (kTidSecond - t % kTidSecond) * kTidUnit);
        if (untilSecond > kSpinStretch)
            clock.sleepFor(std::min<std::chrono::nanoseconds>(untilSecond - kSpinStretch, bound - now));
        t = timevalues::TidNow();
        if (t / kTidSecond != startSecond)
            return t;
    }
}

} // namespace app
