// The transfer steps on a fake port: the order of the setting commands and
// records for both command sets and table kinds, what they put on the line,
// and a transfer that changes course midway. Then whole tables sent to the
// simulated clock over a pty.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <ostream>

#include "LinkFakes.h"
#include "PtyLinkPort.h"
#include "app/ClockLink.h"
#include "app/StartTableEncoders.h"
#include "app/TransferSequence.h"
#include "sim/ClockSim.h"

using clocksim::framed;
using clocksim::hexBytes;
using namespace linkfakes;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

namespace {

constexpr int kInterval = app::kIntervalStartTab;
constexpr int kPursuit = app::kPursuitStartTab;
constexpr int kUpdate = 2;

class TransferSequenceTest : public ::testing::Test {
protected:
    testenv::FakeLocalClock pc;
    testenv::ScopedFakeClock scope{pc};
    FakePort port;
    FakeLabels labels;
    FakeWaitClock wait{&pc};
    int errors = 0;
    app::ClockLink link{port, labels, [this](std::exception_ptr) { ++errors; }, wait};
    app::TransferSettings settings;
    app::TransferSequence sequence{[this] { return settings; }};

    void SetUp() override { link.setTransferStep(&sequence); }

    void identify(const char* line)
    {
        port.arrive(framed(line));
        link.receive();
    }
    // One tick; answers the command it sent, "" when none.
    std::string tick()
    {
        const std::size_t before = port.writes.size();
        link.Tick();
        if (port.writes.size() == before)
            return {};
        const std::string& frame = port.writes.back();
        frames[frame.substr(0, frame.size() - 2)] = frame;
        return frame.substr(0, frame.size() - 2);
    }
    void acknowledge()
    {
        port.arrive(kAck + "\r");
        link.receive();
    }
    // Runs the transfer already started to its end, the clock acknowledging
    // every command at once; answers the commands in order.
    Lines runToEnd()
    {
        Lines sent;
        for (int i = 0; i < 100 && link.TidSand() > 0; ++i) {
            const std::string command = tick();
            if (!command.empty()) {
                sent.push_back(command);
                acknowledge();
            }
        }
        EXPECT_EQ(link.TidSand(), 0);
        return sent;
    }
    Lines transfer(Lines records)
    {
        link.startTransfer(std::move(records));
        return runToEnd();
    }

    // Every frame seen, by its command text.
    std::map<std::string, std::string> frames;
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
    const SequenceCase& c = GetParam();
    if (c.oldSet)
        identify(clocksim::kIdentification2003);
    settings = c.settings;
    EXPECT_EQ(transfer(c.records), c.expected);
    EXPECT_EQ(errors, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, Sequences,
    ::testing::Values(
        SequenceCase{"NewIntervalNoBeepsNoTree",
                     false,
                     {kInterval, 0, false, "1"},
                     {"000-108C63", "001-FFFFFF"},
                     {"RESET", "TOOT-0", "TREE-0", "TAB-000-108C63", "TAB-001-FFFFFF"}},
        SequenceCase{"NewIntervalAllBeepsTree",
                     false,
                     {kInterval, 3, true, "1"},
                     {"000-FFFFFF"},
                     {"RESET", "TOOT-3", "TREE-1", "TAB-000-FFFFFF"}},
        SequenceCase{"NewPursuitIgnoresBeepsAndTree",
                     false,
                     {kPursuit, 2, true, "2"},
                     {"000-508C63"},
                     {"RESET", "TOOT-0", "LINE-2", "TREE-0", "TAB-000-508C63"}},
        SequenceCase{"NewPursuitEmptyList", false, {kPursuit, 1, false, "1"}, {}, {"RESET", "TOOT-0", "LINE-1", "TREE-0"}},
        SequenceCase{"NewUpdateTabTakesThePursuitSettings",
                     false,
                     {kUpdate, 1, true, "7"},
                     {},
                     {"RESET", "TOOT-0", "LINE-7", "TREE-0"}},
        SequenceCase{"OldIntervalAllBeeps",
                     true,
                     {kInterval, 3, true, "1"},
                     {"S-0001-36000", "S-0002-36030"},
                     {"RESET", "TUTA=3", "TUTH=064", "TUTL=128", "S-0001-36000", "S-0002-36030"}},
        SequenceCase{"OldIntervalOneBeep", true, {kInterval, 1, false, "1"}, {}, {"RESET", "TUTA=1", "TUTH=064", "TUTL=128"}},
        SequenceCase{"OldPursuit",
                     true,
                     {kPursuit, 3, true, "1"},
                     {"ELAPSE-1-36000", "S-0012-36000"},
                     {"RESET", "TUTA=0", "ELAPSE-1-36000", "S-0012-36000"}},
        SequenceCase{"OldPursuitEmptyList", true, {kPursuit, 3, false, "1"}, {}, {"RESET", "TUTA=0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferSequenceTest, IntervalStartWaitsOneTickBeforeReset)
{
    settings = {kInterval, 0, false, "1"};
    link.startTransfer({"000-FFFFFF"});
    EXPECT_EQ(tick(), "");
    EXPECT_EQ(link.SandRad(), 1);
    EXPECT_EQ(tick(), "RESET");
}

TEST_F(TransferSequenceTest, FixedSettingCommandsOnTheLine)
{
    settings = {kInterval, 0, true, "1"};
    transfer({});
    settings = {kPursuit, 0, false, "1"};
    transfer({});
    identify(clocksim::kIdentification2003);
    transfer({});
    settings = {kInterval, 0, false, "1"};
    transfer({});
    const std::map<std::string, std::string> expected = {
        {"RESET", "52 45 53 45 54 7D 0D"},          {"TOOT-0", "54 4F 4F 54 2D 30 5D 0D"},
        {"TREE-1", "54 52 45 45 2D 31 72 0D"},       {"TREE-0", "54 52 45 45 2D 30 73 0D"},
        {"TUTA=0", "54 55 54 41 3D 30 55 0D"},       {"TUTH=064", "54 55 54 48 3D 30 36 34 64 0D"},
        {"TUTL=128", "54 55 54 4C 3D 31 32 38 5F 0D"}};
    for (const auto& [command, bytes] : expected)
        EXPECT_EQ(hexBytes(frames[command]), bytes) << command;
}

TEST_F(TransferSequenceTest, SwitchingTabsGoesOnWithTheOtherSequenceAtTheSameStep)
{
    settings = {kInterval, 0, false, "3"};
    link.startTransfer({"000-508C63"});
    tick();
    EXPECT_EQ(tick(), "RESET");
    acknowledge();
    settings.tabIndex = kPursuit;
    EXPECT_EQ(runToEnd(), (Lines{"LINE-3", "TREE-0", "TAB-000-508C63"}));
}

TEST_F(TransferSequenceTest, NewCommandSetIdentifiedMidwayTakesOverAtTheSameStep)
{
    settings = {kInterval, 2, false, "1"};
    link.startTransfer({"S-0001-36000"});
    Lines sent;
    for (int i = 0; i < 4; ++i) {
        sent.push_back(tick());
        acknowledge();
    }
    EXPECT_EQ(sent, (Lines{"", "RESET", "TOOT-2", "TREE-0"}));
    // A poll's answer: the clock takes the old set; step 4 there is "TUTL=".
    identify(clocksim::kIdentification2003);
    EXPECT_EQ(runToEnd(), (Lines{"TUTL=128", "S-0001-36000"}));
}

TEST_F(TransferSequenceTest, SendingAgainStartsOverWithTheNewList)
{
    settings = {kPursuit, 0, false, "1"};
    link.startTransfer({"000-508C63", "001-700C3D"});
    for (int i = 0; i < 5; ++i) {
        tick();
        acknowledge();
    }
    EXPECT_EQ(transfer({"000-509113"}), (Lines{"RESET", "TOOT-0", "LINE-1", "TREE-0", "TAB-000-509113"}));
}

TEST_F(TransferSequenceTest, SlowAcknowledgementHoldsTheNextRecord)
{
    settings = {kPursuit, 0, false, "1"};
    link.startTransfer({});
    EXPECT_EQ(tick(), "RESET");
    // Unanswered: the link resends RESET, the sequence waits.
    for (int i = 0; i < 12; ++i) {
        const std::string sent = tick();
        EXPECT_TRUE(sent.empty() || sent == "RESET") << sent;
    }
    acknowledge();
    EXPECT_EQ(runToEnd(), (Lines{"TOOT-0", "LINE-1", "TREE-0"}));
}

// ---- whole tables to the simulated clock ----

class TransferSimTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setLocalClock(nullptr); }

    clocksim::ClockSim sim;
    PtyLinkPort port{sim.slavePath()};
    FakeLabels labels;
    int errors = 0;
    app::ClockLink link{port, labels, [this](std::exception_ptr) { ++errors; }};
    app::TransferSettings settings{kInterval, 3, false, "1"};
    app::TransferSequence sequence{[this] { return settings; }};
    std::function<void()> pump = [this] { link.receive(); };

    // Identifies the clock, then sends the interval table of `grid` tick by
    // tick, each tick once the clock has answered the one before.
    Lines send(const app::StringGrid& grid)
    {
        link.setTransferStep(&sequence);
        link.startPolling();
        EXPECT_TRUE(sim.waitUntil([&] { return sim.acknowledgements() == 1 && !link.busy(); }, 3000ms, pump));
        sim.clearRecords();
        link.startTransfer(app::buildSendList(link.OldKlsw(), kInterval, grid, grid, "1"));
        for (int i = 0; i < 50 && link.TidSand() > 0; ++i) {
            link.Tick();
            EXPECT_TRUE(sim.waitUntil([&] { return !link.busy(); }, 3000ms, pump));
        }
        EXPECT_EQ(link.TidSand(), 0);
        EXPECT_TRUE(sim.failures().empty());
        EXPECT_EQ(errors, 0);
        return sim.commands();
    }

    app::MemoryGrid grid = [] {
        app::MemoryGrid g(5, 10);
        const Lines row = {"1", "3", "10.00.00", " 0.30", "1"};
        for (int c = 0; c < 5; ++c)
            g.SetCell(c, 1, row[static_cast<std::size_t>(c)]);
        return g;
    }();
};

TEST_F(TransferSimTest, NewCommandSetWithARefusedRecord)
{
    sim.nakCopy("TAB-001-20013D", 1);
    EXPECT_EQ(send(grid), (Lines{"RESET", "TOOT-3", "TREE-0", "TAB-000-108C63", "TAB-001-20013D", "TAB-001-20013D",
                                 "TAB-002-30031E", "TAB-003-FFFFFF"}));
}

TEST_F(TransferSimTest, OldCommandSet)
{
    sim.setIdentification(clocksim::kIdentification2003);
    EXPECT_EQ(send(grid), (Lines{"RESET", "TUTA=3", "TUTH=064", "TUTL=128", "S-0001-36000", "S-0002-36030",
                                 "S-0003-36060"}));
}

} // namespace
