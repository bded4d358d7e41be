#pragma once
// A local clock for tests: starts at a chosen time, can advance by a fixed
// step on every read, and records what the code under test tried to set.
#include "platform/LocalClock.h"

#include <optional>
#include <vector>

namespace testenv {

class FakeLocalClock : public platform::LocalClock {
public:
    explicit FakeLocalClock(platform::LocalDateTime start = {2026, 6, 15, 10, 0, 0, 0});
    ~FakeLocalClock() override;

    platform::LocalDateTime now() override;
    void set(const platform::LocalDateTime& when) override;

    // Moves the clock forward by `ms` milliseconds (calendar-aware).
    void advance(long long ms);
    // Every later read advances the clock by `ms` after returning.
    void setStepPerRead(long long ms) { step_ = ms; }
    // Makes set() raise LocalClockError with this text.
    void failSetWith(std::optional<std::string> message) { failSet_ = std::move(message); }

    platform::LocalDateTime current() const { return now_; }
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
class ScopedFakeClock {
public:
    explicit ScopedFakeClock(FakeLocalClock& clock) { platform::setLocalClock(&clock); }
    ~ScopedFakeClock() { platform::setLocalClock(nullptr); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;
};

} // namespace testenv
