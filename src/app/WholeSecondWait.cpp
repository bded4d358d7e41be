#include "app/WholeSecondWait.h"

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

TTid waitForWholeSecond(WaitClock& clock)
{
    TTid t = TidNow();
    if (t % kTidSecond < kSecondStartWindow)
        return t;
    const TTid startSecond = t / kTidSecond;
    const auto bound = clock.monotonicNow() + (kTidSecond - t % kTidSecond) * kTidUnit + kWaitMargin;
    for (;;) {
        const auto now = clock.monotonicNow();
        if (now >= bound)
            return t;
        const auto untilSecond = std::chrono::duration_cast<std::chrono::nanoseconds>(
            (kTidSecond - t % kTidSecond) * kTidUnit);
        if (untilSecond > kSpinStretch)
            clock.sleepFor(std::min<std::chrono::nanoseconds>(untilSecond - kSpinStretch, bound - now));
        t = TidNow();
        if (t % kTidSecond < kSecondStartWindow || t / kTidSecond != startSecond)
            return t;
    }
}

} // namespace app
