// The transfer steps on a fake port: the setting commands and records of both
// command sets and table kinds, and a transfer that changes course midway.
// Then a table sent to the simulated clock over a pty.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

#include "LinkFakes.h"
#include "PtyLinkPort.h"
#include "app/ClockLink.h"
#include "app/StartTableEncoders.h"
#include "app/TransferSequence.h"
#include "sim/ClockSim.h"

using clocksim::framed;
using namespace linkfakes;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

namespace {

constexpr int kInterval = app::kIntervalStartTab;
constexpr int kPursuit = app::kPursuitStartTab;

class TransferSequenceTest : public ::testing::Test {
protected:
    testenv::FakeLocalClock pc;
    testenv::ScopedFakeClock scope{pc};
    FakePort port;
    FakeLabels labels;
    FakeWaitClock wait{&pc};
    app::ClockLink link{port, labels, {}, wait};
    app::TransferSettings settings;
    app::TransferSequence sequence{[this] { return settings; }};

    void SetUp() override { link.setTransferStep(&sequence); }
    void identify(const char* line)
    {
        port.arrive(framed(line));
        link.receive();
    }
    // One tick; the command it sent, acknowledged at once ("" when none).
    std::string tick()
    {
        const std::size_t before = port.writes.size();
        link.Tick();
        if (port.writes.size() == before)
            return {};
        port.arrive(kAck + "\r");
        link.receive();
        return port.writes.back().substr(0, port.writes.back().size() - 2);
    }
    // The commands up to the end of the transfer.
    Lines runToEnd()
    {
        Lines sent;
        for (int i = 0; i < 100 && link.TidSand() > 0; ++i)
            if (const std::string command = tick(); !command.empty())
                sent.push_back(command);
        EXPECT_EQ(link.TidSand(), 0);
        return sent;
    }
};

struct SequenceCase {
    const char* name;
    bool oldSet;
    app::TransferSettings settings;
    Lines records;
    Lines expected;
};
void PrintTo(const SequenceCase& c, std::ostream* out) { *out << c.name; }

class Sequences : public TransferSequenceTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(Sequences, SendTheSettingsThenTheRecords)
{
    if (GetParam().oldSet)
        identify(clocksim::kIdentification2003);
    settings = GetParam().settings;
    link.startTransfer(GetParam().records);
    EXPECT_EQ(runToEnd(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Transfers, Sequences, ::testing::Values(
    SequenceCase{"NewInterval", false, {kInterval, 0, false, "1"}, {"000-108C63", "001-FFFFFF"},
                 {"RESET", "TOOT-0", "TREE-0", "TAB-000-108C63", "TAB-001-FFFFFF"}},
    SequenceCase{"NewIntervalBeepsAndTree", false, {kInterval, 3, true, "1"}, {}, {"RESET", "TOOT-3", "TREE-1"}},
    SequenceCase{"NewPursuitIgnoresBeepsAndTree", false, {kPursuit, 2, true, "2"}, {"000-508C63"},
                 {"RESET", "TOOT-0", "LINE-2", "TREE-0", "TAB-000-508C63"}},
    SequenceCase{"NewUpdateTabTakesThePursuitSettings", false, {2, 1, true, "7"}, {},
                 {"RESET", "TOOT-0", "LINE-7", "TREE-0"}},
    SequenceCase{"OldInterval", true, {kInterval, 3, true, "1"}, {"S-0001-36000", "S-0002-36030"},
                 {"RESET", "TUTA=3", "TUTH=064", "TUTL=128", "S-0001-36000", "S-0002-36030"}},
    SequenceCase{"OldPursuit", true, {kPursuit, 3, true, "1"}, {"ELAPSE-1-36000"},
                 {"RESET", "TUTA=0", "ELAPSE-1-36000"}},
    SequenceCase{"OldPursuitEmptyList", true, {kPursuit, 3, false, "1"}, {}, {"RESET", "TUTA=0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferSequenceTest, IntervalStartWaitsOneTickBeforeReset)
{
    link.startTransfer({});
    EXPECT_EQ(tick(), "");
    EXPECT_EQ(tick(), "RESET");
}

TEST_F(TransferSequenceTest, SwitchingTabsGoesOnWithTheOtherSequenceAtTheSameStep)
{
    settings = {kInterval, 0, false, "3"};
    link.startTransfer({"000-508C63"});
    EXPECT_EQ((Lines{tick(), tick()}), (Lines{"", "RESET"}));
    settings.tabIndex = kPursuit;
    EXPECT_EQ(runToEnd(), (Lines{"LINE-3", "TREE-0", "TAB-000-508C63"}));
}

TEST_F(TransferSequenceTest, CommandSetChangedByAPollTakesOverAtTheSameStep)
{
    settings = {kInterval, 2, false, "1"};
    link.startTransfer({"S-0001-36000"});
    EXPECT_EQ((Lines{tick(), tick(), tick(), tick()}), (Lines{"", "RESET", "TOOT-2", "TREE-0"}));
    identify(clocksim::kIdentification2003);
    EXPECT_EQ(runToEnd(), (Lines{"TUTL=128", "S-0001-36000"}));
}

TEST(TransferSim, TableReachesTheClockAlsoPastARefusal)
{
    platform::setLocalClock(nullptr);
    clocksim::ClockSim sim;
    PtyLinkPort port{sim.slavePath()};
    FakeLabels labels;
    app::ClockLink link{port, labels, {}};
    app::TransferSequence sequence{[] { return app::TransferSettings{kInterval, 3, false, "1"}; }};
    link.setTransferStep(&sequence);
    const auto pump = [&] { link.receive(); };
    link.startPolling();
    ASSERT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1 && !link.busy(); }, 3000ms, pump));
    sim.clearRecords();
    sim.nakCopy("TAB-001-20013D", 1);

    app::MemoryGrid grid(5, 3);
    for (int c = 0; c < 5; ++c)
        grid.SetCell(c, 1, Lines{"1", "3", "10.00.00", " 0.30", "1"}[static_cast<std::size_t>(c)]);
    link.startTransfer(app::buildSendList(link.OldKlsw(), kInterval, grid, grid, "1"));
    for (int i = 0; i < 50 && link.TidSand() > 0; ++i) {
        link.Tick();
        ASSERT_TRUE(sim.waitUntil([&] { return !link.busy(); }, 3000ms, pump));
    }
    EXPECT_EQ(sim.commands(), (Lines{"RESET", "TOOT-3", "TREE-0", "TAB-000-108C63", "TAB-001-20013D", "TAB-001-20013D",
                                     "TAB-002-30031E", "TAB-003-FFFFFF"}));
    EXPECT_TRUE(sim.failures().empty());
}

} // namespace
