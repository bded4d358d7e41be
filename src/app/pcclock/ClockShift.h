#pragma once
// Moving the PC's local clock forward or back in small steps ("Sekund" by a
// second, "1 / 10Sek." by a tenth of a second per click).
//
// The shift works within the current day: the date stays as it is, and a
// shift whose result would leave the day is refused. Date and time of day come
// from one reading, so a shift near midnight cannot move the clock by a day.
#include <optional>
#include <stdexcept>

#include "platform/ErrorHandler.h"
#include "platform/LocalClock.h"
#include "timevalues/TidRut.h"

namespace app {

// The shift of "1 / 10Sek." (a second's is kTidSecond).
inline constexpr timevalues::TTid kShiftTenth = timevalues::kTidSecond / 10;

// The local date and time `diff` (1/10000 s) after `now`, on the date of
// `now`, to the millisecond (the part below a millisecond is cut off); nullopt
// when the result falls outside 00:00:00.000-23:59:59.999.
std::optional<platform::LocalDateTime> shiftedWithinDay(const platform::LocalDateTime& now, timevalues::TTid diff);

// What the user is told once when the PC clock cannot be set.
class ClockShiftError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ClockShift {
public:
    enum class Outcome { Shifted, OutsideDay, SetFailed };

    // `reportError` receives a ClockShiftError the first time setting the
    // clock fails, and again only after a later shift has succeeded.
    explicit ClockShift(platform::ErrorHandler reportError);

    // Shifts the PC's local clock (platform::localClock()) by `diff`.
    Outcome Settiddiff(timevalues::TTid diff);

private:
    platform::ErrorHandler reportError_;
    bool failureTold_ = false;
};

} // namespace app
