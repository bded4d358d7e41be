#include "app/pcclock/ClockShift.h"

#include <cstdint>
#include <string>

namespace app {

std::optional<platform::LocalDateTime> shiftedWithinDay(const platform::LocalDateTime& now, timevalues::TTid diff)
{
    // From one reading, so the date and the time of day belong together.
    const std::int64_t t = std::int64_t{timevalues::tidOfDay(now)} + diff;
    if (t < 0 || t >= timevalues::kTidDay)
        return std::nullopt;
    platform::LocalDateTime out = now;
    out.hour = static_cast<int>(t / timevalues::kTidHour);
    out.minute = static_cast<int>(t % timevalues::kTidHour / timevalues::kTidMinute);
    out.second = static_cast<int>(t % timevalues::kTidMinute / timevalues::kTidSecond);
    out.millisecond = static_cast<int>(t % timevalues::kTidSecond / 10);
    return out;
}

ClockShift::ClockShift(platform::ErrorHandler reportError) : reportError_(std::move(reportError)) {}

ClockShift::Outcome ClockShift::Settiddiff(timevalues::TTid diff)
{
    platform::LocalClock& clock = platform::localClock();
    const std::optional<platform::LocalDateTime> target = shiftedWithinDay(clock.now(), diff);
    if (!target)
        return Outcome::OutsideDay;
    try {
        clock.set(*target);
    } catch (const std::exception& e) {
        if (!failureTold_ && reportError_) {
            failureTold_ = true;
            reportError_(std::make_exception_ptr(
                ClockShiftError(std::string("Datorns klocka kunde inte ställas.\n") + e.what())));
        }
        return Outcome::SetFailed;
    }
    failureTold_ = false;
    return Outcome::Shifted;
}

} // namespace app
