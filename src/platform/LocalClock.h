#pragma once
// The PC's local clock: read the local date and time of day, and set it.
//
// Everything that reads or sets the PC clock goes through localClock(), so a
// test can put a fake in its place with setLocalClock().
#include <stdexcept>
#include <string>

namespace platform {

// A local calendar date and time of day, to the millisecond.
struct LocalDateTime {
    int year = 1970;
    int month = 1;        // 1..12
    int day = 1;          // 1..31
    int hour = 0;         // 0..23
    int minute = 0;       // 0..59
    int second = 0;       // 0..59
    int millisecond = 0;  // 0..999

    bool operator==(const LocalDateTime&) const = default;
};

// Raised when the clock cannot be set; what() says why, in plain words.
class LocalClockError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    // The current local date and time.
    virtual LocalDateTime now() = 0;
    // Sets the local date and time; raises LocalClockError on failure.
    virtual void set(const LocalDateTime& when) = 0;
};

// The clock in use: the system clock unless a test has put another in place.
LocalClock& localClock();
// Puts `clock` in place (not owned); nullptr puts the system clock back.
// Returns the clock in place before.
LocalClock* setLocalClock(LocalClock* clock);

// The environment variable that, when present, makes the system clock refuse
// to be set. Every test program sets it.
inline constexpr const char* kNoSystemClockVariable = "STARTCLOCK_NO_SYSTEM_CLOCK";

} // namespace platform
