#include <gtest/gtest.h>

#include "platform/LocalClock.h"
#include "support/FakeLocalClock.h"

using platform::LocalDateTime;

TEST(SystemLocalClock, RefusesToSetTheRealClockUnderTest)
{
    platform::setLocalClock(nullptr);
    const LocalDateTime now = platform::localClock().now();
    EXPECT_GE(now.year, 2000);
    EXPECT_THROW(platform::localClock().set(now), platform::LocalClockError);
}

TEST(FakeLocalClock, AdvancesAcrossMidnightAndMonthEnds)
{
    struct Case { LocalDateTime start; long long ms; LocalDateTime expected; };
    const Case cases[] = {
        {{2026, 12, 31, 23, 59, 59, 900}, 200, {2027, 1, 1, 0, 0, 0, 100}},
        {{2024, 2, 28, 23, 0, 0, 0}, 3600000, {2024, 2, 29, 0, 0, 0, 0}},
        {{2026, 3, 1, 0, 0, 0, 50}, -100, {2026, 2, 28, 23, 59, 59, 950}},
    };
    for (const Case& c : cases) {
        testenv::FakeLocalClock clock(c.start);
        clock.advance(c.ms);
        EXPECT_EQ(clock.current(), c.expected);
    }
}

TEST(FakeLocalClock, StepsOnEveryReadAndRecordsSets)
{
    testenv::FakeLocalClock clock({2026, 1, 1, 12, 0, 0, 0});
    testenv::ScopedFakeClock scope(clock);
    clock.setStepPerRead(3);
    EXPECT_EQ(platform::localClock().now().millisecond, 0);
    EXPECT_EQ(platform::localClock().now().millisecond, 3);
    platform::localClock().set({2026, 1, 2, 8, 0, 0, 0});
    ASSERT_EQ(clock.setCalls().size(), 1u);
    clock.failSetWith("nope");
    EXPECT_THROW(platform::localClock().set({}), platform::LocalClockError);
}
