// The clock link against the simulated clock over a pty, on the real clocks.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "LinkFakes.h"
#include "PtyLinkPort.h"
#include "app/ClockLink.h"
#include "sim/ClockSim.h"

using namespace std::chrono_literals;

namespace {

class ClockLinkPtyTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setLocalClock(nullptr); }

    clocksim::ClockSim sim;
    PtyLinkPort port{sim.slavePath()};
    linkfakes::FakeLabels labels;
    int errors = 0;
    app::ClockLink link{port, labels, [this](std::exception_ptr) { ++errors; }};
    // The port's receive event, as the window's event loop would deliver it.
    std::function<void()> pump = [this] { link.receive(); };
};

TEST_F(ClockLinkPtyTest, IdentifiesTheClockAndAnswersItsLine)
{
    link.startPolling();
    ASSERT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1; }, 3000ms, pump));
    EXPECT_FALSE(link.busy());
    EXPECT_FALSE(link.OldKlsw());
    EXPECT_EQ(labels.version, QString(clocksim::kIdentification2004));
    EXPECT_EQ(sim.commands(), std::vector<std::string>{"VER"});
    EXPECT_TRUE(sim.failures().empty());
    EXPECT_EQ(errors, 0);
}

TEST_F(ClockLinkPtyTest, SetsTheClockWithinTheFirstFourMillisecondsOfASecond)
{
    // Timed where the program writes, so the simulated clock's own delays
    // do not count. A loaded machine may still preempt the program between
    // reading the PC clock and writing: five tries must not all miss.
    int hits = 0;
    for (int attempt = 0; attempt < 5 && hits == 0; ++attempt) {
        sim.clearRecords();
        port.written.clear();
        link.SetKlockaClick();
        ASSERT_TRUE(sim.waitUntil([&] { return link.TidSet() == 1; }, 3000ms, pump));
        link.Tick();
        ASSERT_TRUE(sim.waitUntil(
            [&] {
                const auto c = sim.commands();
                return !c.empty() && c.back().rfind("SET-", 0) == 0;
            },
            3000ms, pump));
        PtyLinkPort::Written set;
        for (const PtyLinkPort::Written& w : port.written)
            if (w.bytes.rfind("SET-", 0) == 0)
                set = w;
        const auto sinceEpoch = set.done.time_since_epoch();
        const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
        const auto fraction = sinceEpoch - std::chrono::seconds(seconds);
        std::tm local{};
        localtime_r(&seconds, &local);
        const long secondOfDay = (local.tm_hour * 60L + local.tm_min) * 60L + local.tm_sec;
        if (fraction < 4ms && set.bytes.rfind("SET-" + TidToSecStr(static_cast<TTid>(secondOfDay * kTidSecond), 0), 0) == 0)
            ++hits;
        ASSERT_TRUE(sim.waitUntil([&] { return !link.busy(); }, 3000ms, pump));
    }
    EXPECT_EQ(hits, 1);
    EXPECT_TRUE(sim.failures().empty());
}

} // namespace
