#pragma once
// A local clock for tests: starts at a chosen time, can advance by a fixed
// step after every read, and records what the code under test tried to set.
#include <QDateTime>

#include <optional>
#include <string>
#include <vector>

#include "platform/LocalClock.h"
#include "support/ScopedOverride.h"

namespace testenv {

// A time of the fake clocks' day, 15 June 2026.
constexpr platform::LocalDateTime at(int h, int m, int s, int ms) { return {2026, 6, 15, h, m, s, ms}; }

class FakeLocalClock : public platform::LocalClock {
public:
    explicit FakeLocalClock(platform::LocalDateTime start = at(10, 0, 0, 0)) : now_(start) {}
    ~FakeLocalClock() override
    {
        if (&platform::localClock() == this)
            platform::setLocalClock(nullptr);
    }

    platform::LocalDateTime now() override
    {
        const platform::LocalDateTime t = now_;
        ++reads_;
        advance(step_);
        return t;
    }
    // Records the time, or raises LocalClockError after failSetWith().
    void set(const platform::LocalDateTime& when) override
    {
        if (failSet_)
            throw platform::LocalClockError(*failSet_);
        sets_.push_back(when);
        now_ = when;
    }
    // Moves the clock forward by `ms` milliseconds, across days and months.
    void advance(long long ms)
    {
        const QDateTime t = QDateTime(QDate(now_.year, now_.month, now_.day),
                                      QTime(now_.hour, now_.minute, now_.second, now_.millisecond), Qt::UTC)
                                .addMSecs(ms);
        now_ = {t.date().year(), t.date().month(), t.date().day(),
                t.time().hour(), t.time().minute(), t.time().second(), t.time().msec()};
    }
    // Every later read advances the clock by `ms` after returning.
    void setStepPerRead(long long ms) { step_ = ms; }
    void failSetWith(std::optional<std::string> message) { failSet_ = std::move(message); }

    const std::vector<platform::LocalDateTime>& setCalls() const { return sets_; }
    int reads() const { return reads_; }

private:
    platform::LocalDateTime now_;
    long long step_ = 0;
    int reads_ = 0;
    std::optional<std::string> failSet_;
    std::vector<platform::LocalDateTime> sets_;
};

// Installs a fake clock for the life of the scope.
struct ScopedFakeClock : ScopedOverride {
    explicit ScopedFakeClock(FakeLocalClock& clock) : ScopedOverride(platform::setLocalClock, &clock) {}
};

} // namespace testenv
