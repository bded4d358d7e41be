// The PC clock: shifting it within the day, and its time as shown.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTest>

#include <chrono>
#include <tuple>

#include "app/pcclock/ClockShift.h"
#include "app/pcclock/PcTimeText.h"
#include "app/pcclock/ShiftRepeat.h"
#include "support/FakeLocalClock.h"
#include "support/KeepTexts.h"

using namespace timevalues;

using testenv::at;
using testenv::keepTexts;
using std::make_tuple;
using Lines = std::vector<std::string>;

namespace {

// Date and time come from one reading: a clock passing midnight right after
// it must not get yesterday's time on today's date. A shift out of the day
// (to midnight itself, too) sets and tells nothing. A clock that cannot be
// set is told once, and again only after a success.
TEST(ClockShift, ShiftsWithinTheDayFromOneReadingAndTellsAFailureOnce)
{
    testenv::FakeLocalClock pc{at(23, 59, 59, 990)};
    testenv::ScopedFakeClock scope{pc};
    Lines told;
    app::ClockShift shift{keepTexts(told)};
    pc.setStepPerRead(20);
    EXPECT_EQ(shift.Settiddiff(-1000), app::ClockShift::Outcome::Shifted);
    EXPECT_EQ(make_tuple(pc.reads(), pc.setCalls()), make_tuple(1, std::vector{at(23, 59, 59, 890)}));
    pc.setStepPerRead(0);
    EXPECT_EQ(shift.Settiddiff(1100), app::ClockShift::Outcome::OutsideDay);  // midnight itself is the next day
    EXPECT_EQ(make_tuple(pc.setCalls().size(), told.size()), make_tuple(1u, 0u));
    pc.failSetWith("no right to set the clock");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(shift.Settiddiff(-1000), app::ClockShift::Outcome::SetFailed);
    EXPECT_EQ(told, Lines{"Datorns klocka kunde inte ställas.\nno right to set the clock"});
    pc.failSetWith(std::nullopt);
    EXPECT_EQ(shift.Settiddiff(-1000), app::ClockShift::Outcome::Shifted);
    pc.failSetWith("again");
    shift.Settiddiff(-1000);
    EXPECT_EQ(told.size(), 2u);
}

// An arrow held down shifts by its amount at once, again after 400 ms, then
// every 100 ms until it is released.
TEST(ShiftRepeat, RepeatsAfter400MsThenEvery100Ms)
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::pair<int, Clock::time_point>> shifts;
    app::ShiftRepeat repeat([&](int amount) { shifts.emplace_back(amount, Clock::now()); });
    repeat.press(-5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shifts.size() >= 4; }, 5000));
    repeat.release();
    EXPECT_EQ(std::tuple(shifts[0].first, shifts[3].first, repeat.repeating()), std::tuple(-5, -5, false));
    EXPECT_GE(shifts[1].second - shifts[0].second, std::chrono::milliseconds(app::kRepeatDelayMs - 1));
    EXPECT_LT(shifts[3].second - shifts[2].second, std::chrono::milliseconds(app::kRepeatDelayMs - 50));
}

// The PC time is shown as a time of day only: no time zone follows it.
TEST(PcTimeText, ShowsTheTimeOfDayWithoutItsZone)
{
    const QString text = app::pcTimeText(10 * kTidHour + 5 * kTidSecond);
    EXPECT_TRUE(text.contains("10") && text.contains("05")) << text.toStdString();
    EXPECT_FALSE(text.contains(QDateTime::currentDateTime().timeZoneAbbreviation())) << text.toStdString();
}

} // namespace
