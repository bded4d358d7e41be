// Shifting the PC clock within the day, from one reading of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "app/ClockShift.h"
#include "support/FakeLocalClock.h"

using platform::LocalDateTime;

namespace {

// Puts a time zone in place for the life of the scope.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

struct ShiftCase {
    const char* name;
    LocalDateTime now;
    TTid diff;
    std::optional<LocalDateTime> result;
};

const ShiftCase kShiftCases[] = {
    {"second up", {2026, 6, 15, 12, 0, 0, 0}, 10000, LocalDateTime{2026, 6, 15, 12, 0, 1, 0}},
    {"tenth down", {2026, 6, 15, 12, 0, 0, 0}, -1000, LocalDateTime{2026, 6, 15, 11, 59, 59, 900}},
    {"up past midnight", {2026, 6, 15, 23, 59, 59, 500}, 10000, std::nullopt},
    {"down before midnight", {2026, 6, 15, 0, 0, 0, 50}, -1000, std::nullopt},
    {"up to the last millisecond", {2026, 6, 15, 23, 59, 58, 999}, 10000, LocalDateTime{2026, 6, 15, 23, 59, 59, 999}},
    {"down to midnight itself", {2026, 6, 15, 0, 0, 0, 100}, -1000, LocalDateTime{2026, 6, 15, 0, 0, 0, 0}},
    {"not into the new year", {2026, 12, 31, 23, 59, 59, 0}, 10000, std::nullopt},
    {"part of a millisecond is cut", {2026, 6, 15, 12, 0, 0, 7}, 5, LocalDateTime{2026, 6, 15, 12, 0, 0, 7}},
    // Local times around the daylight-saving changes of both zones below.
    {"EU spring gap", {2026, 3, 29, 1, 59, 59, 500}, 10000, LocalDateTime{2026, 3, 29, 2, 0, 0, 500}},
    {"EU autumn repeat", {2026, 10, 25, 2, 59, 59, 900}, 1000, LocalDateTime{2026, 10, 25, 3, 0, 0, 0}},
    {"US spring gap", {2026, 3, 8, 1, 59, 59, 950}, 1000, LocalDateTime{2026, 3, 8, 2, 0, 0, 50}},
};

TEST(ClockShift, PureShiftStaysWithinTheDayInAnyTimeZone)
{
    for (const char* zone : {"Europe/Stockholm", "America/New_York"}) {
        ScopedTimeZone tz(zone);
        for (const ShiftCase& c : kShiftCases) {
            SCOPED_TRACE(std::string(zone) + ": " + c.name);
            EXPECT_EQ(app::shiftedWithinDay(c.now, c.diff), c.result);
        }
    }
}

class ClockShiftTest : public ::testing::Test {
protected:
    testenv::FakeLocalClock pc{{2026, 6, 15, 12, 0, 0, 0}};
    testenv::ScopedFakeClock scope{pc};
    std::vector<std::string> told;
    app::ClockShift shift{[this](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const app::ClockShiftError& x) {
            told.push_back(x.what());
        }
    }};
};

TEST_F(ClockShiftTest, TheFourArrowsSetThePcClock)
{
    struct Case { void (app::ClockShift::*click)(); LocalDateTime expected; };
    const Case cases[] = {
        {&app::ClockShift::SESekundUpClick, {2026, 6, 15, 12, 0, 1, 0}},
        {&app::ClockShift::SESekundDownClick, {2026, 6, 15, 11, 59, 59, 0}},
        {&app::ClockShift::SETiondelUpClick, {2026, 6, 15, 12, 0, 0, 100}},
        {&app::ClockShift::SETiondelDownClick, {2026, 6, 15, 11, 59, 59, 900}},
    };
    for (const Case& c : cases) {
        testenv::FakeLocalClock clock({2026, 6, 15, 12, 0, 0, 0});
        testenv::ScopedFakeClock inPlace(clock);
        (shift.*c.click)();
        ASSERT_EQ(clock.setCalls().size(), 1u);
        EXPECT_EQ(clock.setCalls()[0], c.expected);
    }
}

TEST_F(ClockShiftTest, DateAndTimeComeFromOneReading)
{
    // The clock passes midnight right after the reading; a second reading
    // would put yesterday's time on today's date.
    pc.set({2026, 6, 15, 23, 59, 59, 990});
    pc.setStepPerRead(20);
    const int readsBefore = pc.reads();
    EXPECT_EQ(shift.Settiddiff(-1000), app::ClockShift::Outcome::Shifted);
    EXPECT_EQ(pc.reads() - readsBefore, 1);
    EXPECT_EQ(pc.setCalls().back(), (LocalDateTime{2026, 6, 15, 23, 59, 59, 890}));
}

TEST_F(ClockShiftTest, ShiftOutsideTheDayIsRefusedWithoutSetting)
{
    pc.set({2026, 6, 15, 23, 59, 59, 500});
    const std::size_t sets = pc.setCalls().size();
    EXPECT_EQ(shift.Settiddiff(10000), app::ClockShift::Outcome::OutsideDay);
    EXPECT_EQ(pc.setCalls().size(), sets);
    EXPECT_TRUE(told.empty());
}

TEST_F(ClockShiftTest, FailureToSetIsToldOnceUntilASetSucceeds)
{
    pc.failSetWith("no right to set the clock");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shift.Settiddiff(1000), app::ClockShift::Outcome::SetFailed);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("no right to set the clock"), std::string::npos);
    EXPECT_NE(told[0].find("Datorns klocka"), std::string::npos);

    pc.failSetWith(std::nullopt);
    EXPECT_EQ(shift.Settiddiff(1000), app::ClockShift::Outcome::Shifted);
    pc.failSetWith("again");
    shift.Settiddiff(1000);
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(ClockShiftTest, RealClockIsNeverSetUnderTest)
{
    platform::setLocalClock(nullptr);
    EXPECT_EQ(shift.Settiddiff(1000), app::ClockShift::Outcome::SetFailed);
    EXPECT_EQ(told.size(), 1u);
}

} // namespace
