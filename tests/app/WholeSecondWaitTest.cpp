// The bounded wait for the start of a PC clock second.
#include <gtest/gtest.h>

#include <chrono>

#include "LinkFakes.h"
#include "app/WholeSecondWait.h"

using linkfakes::FakeWaitClock;
using namespace std::chrono_literals;

namespace {

TEST(WholeSecondWait, AnswersTheFirstReadingOfTheNextSecond)
{
    struct Case {
        const char* name;
        platform::LocalDateTime start;
        long long msPerRead;
        bool stuck;
        TTid second;      // the whole second of the answer
        bool inWindow;    // the answer lies within the first 4 ms
        std::chrono::milliseconds maxWait;
    };
    const Case cases[] = {
        // Where within its first milliseconds a second already begun began
        // cannot be told: the wait is for the next one.
        {"already within the first 4 ms", {2026, 6, 15, 10, 0, 0, 3}, 1, false, 36001, true, 997ms},
        {"at the very start of a second", {2026, 6, 15, 10, 0, 0, 0}, 1, false, 36001, true, 1000ms},
        {"fine clock", {2026, 6, 15, 9, 59, 59, 500}, 1, false, 36000, true, 501ms},
        {"just before midnight", {2026, 6, 15, 23, 59, 59, 990}, 1, false, 0, true, 11ms},
        // A clock that moves 7 ms per reading skips the first 4 ms: the first
        // reading in the new second is taken.
        {"coarse clock", {2026, 6, 15, 9, 59, 59, 500}, 7, false, 36000, false, 501ms},
        // A clock that stands still: the wait ends at its bound with the
        // latest reading.
        {"stuck clock", {2026, 6, 15, 9, 59, 59, 500}, 0, true, 35999, false, 500ms + app::kWaitMargin + 1ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testenv::FakeLocalClock pc(c.start);
        testenv::ScopedFakeClock scope(pc);
        pc.setStepPerRead(c.msPerRead);
        FakeWaitClock wait(&pc);
        wait.pcClockStuck = c.stuck;
        const TTid t = app::waitForWholeSecond(wait);
        EXPECT_EQ(t / kTidSecond, c.second);
        EXPECT_EQ(t % kTidSecond < app::kSecondStartWindow, c.inWindow) << t;
        EXPECT_LE(wait.now, std::chrono::nanoseconds(c.maxWait) + 1ms);
    }
}

TEST(WholeSecondWait, MeetsTheFirstFourMillisecondsOnTheRealClocks)
{
    platform::setLocalClock(nullptr);
    // A loaded machine may wake the wait late or preempt its spin; five tries
    // must not all miss.
    int hits = 0;
    for (int attempt = 0; attempt < 5 && hits == 0; ++attempt) {
        const TTid before = TidNow();
        const auto start = std::chrono::steady_clock::now();
        const TTid t = app::waitForWholeSecond(app::systemWaitClock());
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1100ms);
        if (t % kTidSecond < app::kSecondStartWindow && t / kTidSecond == (before / kTidSecond + 1) % 86400)
            ++hits;
    }
    EXPECT_EQ(hits, 1);
}

} // namespace
