// The timer's window-timer rules on a hand-moved clock, and the Qt ticker.
#include <gtest/gtest.h>

#include <QTest>

#include <string>
#include <vector>

#include "ManualTicker.h"
#include "serial/IntervalTimer.h"

using serial::TIntervalTimer;

namespace {

// Steps: "E" enable, "D" disable, "I<ms>" interval, "W<ms>" wait.
struct RuleCase {
    const char* name;
    std::vector<std::string> steps;
    std::vector<int> fired;  // clock times of each OnTimer
};
void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class IntervalTimerRules : public testing::TestWithParam<RuleCase> {};

TEST_P(IntervalTimerRules, FiresWhenTheRulesSay)
{
    ledtest::ManualClock clock;
    TIntervalTimer timer(std::make_unique<ledtest::ManualTicker>(clock));
    std::vector<int> fired;
    timer.OnTimer = [&] { fired.push_back(clock.now); };
    for (const std::string& s : GetParam().steps) {
        const int value = s.size() > 1 ? std::stoi(s.substr(1)) : 0;
        switch (s[0]) {
        case 'E': timer.SetEnabled(true); break;
        case 'D': timer.SetEnabled(false); break;
        case 'I': timer.SetInterval(value); break;
        case 'W': clock.advance(value); break;
        }
    }
    EXPECT_EQ(fired, GetParam().fired);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntervalTimerRules,
    testing::Values(
        RuleCase{"DefaultIntervalRepeats", {"E", "W2500"}, {1000, 2000}},
        RuleCase{"EnablingAgainOrTheSameIntervalKeepsTheCount", {"I100", "E", "W60", "E", "I100", "W60"}, {100}},
        RuleCase{"ANewIntervalRestartsTheCount", {"I100", "E", "W60", "I50", "W60"}, {110}},
        RuleCase{"DisableAndEnableRestartsTheCount", {"I100", "E", "W60", "D", "E", "W120"}, {160}},
        RuleCase{"IntervalSetWhileDisabledOnlyStores", {"I50", "W200", "E", "W60"}, {250}},
        RuleCase{"ZeroOrNegativeIntervalNeverFires", {"I100", "E", "W60", "I0", "W9000", "I-5", "W9000"}, {}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(IntervalTimer, QtTickerFiresRepeatedlyInTheEventLoop)
{
    TIntervalTimer timer;
    int calls = 0;
    timer.OnTimer = [&] { ++calls; };
    timer.SetInterval(5);
    timer.SetEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 3; }, 5000));
}

} // namespace
