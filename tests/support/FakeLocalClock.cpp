#include "support/FakeLocalClock.h"

#include <ctime>

namespace testenv {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

} // namespace

FakeLocalClock::FakeLocalClock(platform::LocalDateTime start) : now_(start) {}

FakeLocalClock::~FakeLocalClock()
{
    if (&platform::localClock() == this)
        platform::setLocalClock(nullptr);
}

platform::LocalDateTime FakeLocalClock::now()
{
    ++reads_;
    const platform::LocalDateTime t = now_;
    if (step_ != 0)
        advance(step_);
    return t;
}

void FakeLocalClock::set(const platform::LocalDateTime& when)
{
    if (failSet_)
        throw platform::LocalClockError(*failSet_);
    sets_.push_back(when);
    now_ = when;
}

void FakeLocalClock::advance(long long ms)
{
    long long days = daysFromCivil(now_.year, now_.month, now_.day);
    long long msOfDay = ((now_.hour * 60LL + now_.minute) * 60LL + now_.second) * 1000LL + now_.millisecond + ms;
    const long long dayMs = 86400000LL;
    long long carry = msOfDay >= 0 ? msOfDay / dayMs : -((-msOfDay + dayMs - 1) / dayMs);
    msOfDay -= carry * dayMs;
    days += carry;
    civilFromDays(days, now_.year, now_.month, now_.day);
    now_.hour = static_cast<int>(msOfDay / 3600000LL);
    now_.minute = static_cast<int>(msOfDay / 60000LL % 60);
    now_.second = static_cast<int>(msOfDay / 1000LL % 60);
    now_.millisecond = static_cast<int>(msOfDay % 1000);
}

} // namespace testenv
