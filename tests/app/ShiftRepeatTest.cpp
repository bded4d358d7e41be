// The auto-repeat of a held spin arrow: at once, after 400 ms, then every 100 ms.
// Only lower bounds on the real timer: a loaded machine may fire it late.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "app/ShiftRepeat.h"

namespace {

TEST(ShiftRepeat, RepeatsAfter400msThenEvery100msUntilReleased)
{
    std::vector<std::pair<int, qint64>> shifts;  // amount, ms since the press
    QElapsedTimer clock;
    app::ShiftRepeat repeat([&](int amount) { shifts.emplace_back(amount, clock.elapsed()); });

    clock.start();
    repeat.press(-1000);
    ASSERT_EQ(shifts.size(), 1u);
    EXPECT_TRUE(repeat.repeating());
    EXPECT_EQ(repeat.nextShiftMs(), app::kRepeatDelayMs);
    QTRY_VERIFY_WITH_TIMEOUT(shifts.size() >= 3, 10000);
    EXPECT_EQ(repeat.nextShiftMs(), app::kRepeatIntervalMs);
    repeat.release();
    EXPECT_FALSE(repeat.repeating());

    EXPECT_GE(shifts[1].second, app::kRepeatDelayMs - 5);
    EXPECT_GE(shifts[2].second - shifts[1].second, app::kRepeatIntervalMs - 5);
    for (const auto& s : shifts)
        EXPECT_EQ(s.first, -1000);

    const std::size_t held = shifts.size();
    QTest::qWait(250);
    EXPECT_EQ(shifts.size(), held);
}

TEST(ShiftRepeat, ANewPressStartsOverWithItsOwnAmount)
{
    std::vector<int> amounts;
    app::ShiftRepeat repeat([&](int amount) { amounts.push_back(amount); });
    repeat.press(10000);
    QTRY_VERIFY_WITH_TIMEOUT(amounts.size() >= 2, 10000);
    amounts.clear();
    repeat.press(-10000);
    EXPECT_EQ(amounts, std::vector<int>{-10000});
    EXPECT_EQ(repeat.nextShiftMs(), app::kRepeatDelayMs);
}

} // namespace
