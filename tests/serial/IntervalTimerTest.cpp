// The timer's window-timer rules on a hand-moved clock, and the Qt ticker.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "ManualTicker.h"
#include "SelectorTestSupport.h"
#include "serial/IntervalTimer.h"

using namespace serial;

namespace {

struct Step {
    enum Op { Enable, Disable, Interval, Wait } op;
    int value = 0;
};

struct RuleCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> fired;  // clock times of each OnTimer
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class IntervalTimerRules : public testing::TestWithParam<RuleCase> {};

TEST_P(IntervalTimerRules, FiresAtTheTimesTheRulesGive)
{
    ledtest::ManualClock clock;
    TIntervalTimer timer(std::make_unique<ledtest::ManualTicker>(clock));
    std::vector<int> fired;
    timer.OnTimer = [&] { fired.push_back(clock.now()); };
    for (const Step& s : GetParam().steps) {
        switch (s.op) {
        case Step::Enable: timer.SetEnabled(true); break;
        case Step::Disable: timer.SetEnabled(false); break;
        case Step::Interval: timer.SetInterval(s.value); break;
        case Step::Wait: clock.advance(s.value); break;
        }
    }
    EXPECT_EQ(fired, GetParam().fired);
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Cases, IntervalTimerRules,
    testing::Values(
        RuleCase{"DefaultIntervalRepeats", {{S::Enable}, {S::Wait, 2500}}, {1000, 2000}},
        RuleCase{"EnablingARunningTimerKeepsItsCount",
                 {{S::Interval, 100}, {S::Enable}, {S::Wait, 60}, {S::Enable}, {S::Wait, 60}}, {100}},
        RuleCase{"TheSameIntervalKeepsTheCount",
                 {{S::Interval, 100}, {S::Enable}, {S::Wait, 60}, {S::Interval, 100}, {S::Wait, 60}}, {100}},
        RuleCase{"ANewIntervalRestartsTheCount",
                 {{S::Interval, 100}, {S::Enable}, {S::Wait, 60}, {S::Interval, 50}, {S::Wait, 60}}, {110}},
        RuleCase{"DisableAndEnableRestartsTheCount",
                 {{S::Interval, 100}, {S::Enable}, {S::Wait, 60}, {S::Disable}, {S::Enable}, {S::Wait, 120}},
                 {160}},
        RuleCase{"IntervalSetWhileDisabledOnlyStores",
                 {{S::Interval, 50}, {S::Wait, 200}, {S::Enable}, {S::Wait, 60}}, {250}},
        RuleCase{"ZeroIntervalNeverFires",
                 {{S::Interval, 0}, {S::Enable}, {S::Wait, 100000}, {S::Interval, 100}, {S::Wait, 100}},
                 {100100}},
        RuleCase{"NegativeIntervalNeverFires", {{S::Interval, -5}, {S::Enable}, {S::Wait, 100000}}, {}},
        RuleCase{"ZeroIntervalStopsARunningCount",
                 {{S::Interval, 100}, {S::Enable}, {S::Wait, 60}, {S::Interval, 0}, {S::Wait, 1000}}, {}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(IntervalTimer, AnExceptionFromTheHandlerGoesToTheHookAndTheTimerRunsOn)
{
    seltest::HookedErrors hook;
    ledtest::ManualClock clock;
    TIntervalTimer timer(std::make_unique<ledtest::ManualTicker>(clock));
    int calls = 0;
    timer.OnTimer = [&] {
        ++calls;
        throw std::runtime_error("handler failed");
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    EXPECT_NO_THROW(clock.advance(25));
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(hook.errors.size(), 2u);
    EXPECT_EQ(serial::ExceptionMessage(hook.errors[0]), "handler failed");
}

TEST(IntervalTimer, HandlerMayStopTheTimer)
{
    ledtest::ManualClock clock;
    TIntervalTimer timer(std::make_unique<ledtest::ManualTicker>(clock));
    int calls = 0;
    timer.OnTimer = [&] {
        ++calls;
        timer.SetEnabled(false);
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    clock.advance(100);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(timer.Counting());
}

TEST(IntervalTimer, QtTickerFiresRepeatedlyInTheEventLoop)
{
    TIntervalTimer timer;
    int calls = 0;
    timer.OnTimer = [&] { ++calls; };
    timer.SetInterval(5);
    timer.SetEnabled(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (calls < 3 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_GE(calls, 3);
}

} // namespace
