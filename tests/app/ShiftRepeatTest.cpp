// The auto-repeat of a held spin arrow: at once, after 400 ms, then every 100 ms.
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
    QTRY_VERIFY_WITH_TIMEOUT(shifts.size() >= 4, 3000);
    repeat.release();
    EXPECT_FALSE(repeat.repeating());

    EXPECT_EQ(shifts[0].second, 0);
    EXPECT_GE(shifts[1].second, app::kRepeatDelayMs - 5);
    EXPECT_GE(shifts[2].second - shifts[1].second, app::kRepeatIntervalMs - 5);
    EXPECT_LT(shifts[2].second - shifts[1].second, app::kRepeatDelayMs - 50);
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
    QTRY_VERIFY_WITH_TIMEOUT(amounts.size() >= 2, 3000);
    repeat.release();
    amounts.clear();
    repeat.press(-10000);
    QTest::qWait(150);  // well inside the first 400 ms: only the press itself
    repeat.release();
    EXPECT_EQ(amounts, std::vector<int>{-10000});
}

} // namespace
