// The clock link: framing, the one outstanding command, the resend and poll
// rhythms, replies, the receive path, the setting of the clock's time on a
// whole second of the PC clock, and the table transfer's commands; on fakes,
// and over a pty to the simulated clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "LinkFakes.h"
#include "app/link/ClockVersion.h"
#include "app/link/ComLinkPort.h"
#include "app/link/LineSetup.h"
#include "app/link/TransferSequence.h"
#include "app/tables/StartTableEncoders.h"
#include "serial/ComPort.h"
#include "sim/ClockSim.h"

using namespace timevalues;

using namespace clocksim;
using namespace linkfakes;
using namespace std::chrono_literals;
using platform::LocalDateTime;
using testenv::at;
using std::make_tuple;
using Ticks = std::vector<int>;
using Lines = std::vector<std::string>;

namespace {

class ClockLinkTest : public ::testing::Test {
protected:
    testenv::FakeLocalClock pc{at(9, 59, 59, 500)};
    testenv::ScopedFakeClock scope{pc};
    FakeWaitClock wait{&pc};
    LinkRig rig{wait};
    FakePort& port = rig.port;
    app::ClockLink& link = rig.link;
};

// A command leaves as its text, its check character and CR, and waits 0.6 s
// for its first resend.
TEST_F(ClockLinkTest, FramesCommandsWithCheckCharacterAndCR)
{
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { link.Sand("VER"); }, "VER\x93\r"}, {[&] { link.Sand("RESET"); }, "RESET}\r"},
        {[&] { link.Sand("SET-36000"); }, "SET-36000n\r"}, {[&] { link.BSaveClick(); }, framed("SAVE")},
        {[&] { link.BLoadClick(); }, framed("LOAD")},
    };
    for (const auto& [send, wire] : cases) {
        port.writes.clear();
        send();
        EXPECT_EQ(make_tuple(port.writes, link.Utar() + '\r', link.Tid2()),
                  make_tuple(Lines{wire}, wire, app::kFirstResendTicks));
        link.HandleReply("\x06");
    }
}

// An unanswered command is resent at the 6th tick, then every 4th. The poll
// sends "VER" every 10 s; one that finds a command outstanding is dropped
// (as is any command then) but reloads; the resend step of the poll's own
// tick already counts.
TEST_F(ClockLinkTest, ResendAndPollRhythms)
{
    link.startPolling();
    Ticks resends;
    for (int t = 6; t <= 102; t += 4)
        resends.push_back(t);
    EXPECT_EQ(rig.ticksWithWrites(102), resends);  // the poll dropped at tick 100 changed nothing
    EXPECT_EQ(port.writes, Lines(resends.size() + 1, framed("VER")));
    EXPECT_EQ(make_tuple(link.Tid1(), link.Utar()), make_tuple(app::kPollTicks - 2, std::string("VER\x93")));
    rig.arrive(kAck);
    port.writes.clear();
    EXPECT_EQ(rig.ticksWithWrites(111), (Ticks{98, 103, 107, 111}));
    EXPECT_EQ(link.Tid1(), 100 - 13);
}

// ACK ends the outstanding command, NAK writes it again at once; both by
// their first byte, and neither does anything while idle.
TEST_F(ClockLinkTest, AckAndNak)
{
    // Outstanding command before; reply; NAK: rewritten and still outstanding.
    const std::tuple<bool, std::string, bool> cases[] = {
        {true, "\x06", false}, {true, "\x06xyz", false}, {true, "\x15", true},
        {true, "\x15" "1", true}, {false, "\x06", false}, {false, "\x15", false},
    };
    for (const auto& [busy, reply, nak] : cases) {
        LinkRig fresh(wait);
        if (busy)
            fresh.link.Sand("RESET");
        fresh.port.writes.clear();
        fresh.arrive(reply + '\r');
        // After the reply to a command sent, its resend count stands at a whole interval.
        EXPECT_EQ(make_tuple(fresh.port.writes, fresh.link.busy(), busy ? fresh.link.Tid2() : app::kResendTicks),
                  make_tuple(nak ? Lines{framed("RESET")} : Lines{}, nak, app::kResendTicks))
            << reply;
    }
}

// A text line of the clock is answered 06 0D only when its check character
// holds; "In:" shows every line without its CR.
TEST_F(ClockLinkTest, TextLinesAreAnsweredOnlyWhenTheirCheckHolds)
{
    std::string badCheck = framed("HELLO");
    badCheck[badCheck.size() - 2] ^= 1;
    const std::string twoBytes = std::string("A") + static_cast<char>(128 - 'A') + '\r';  // sums to 0, too short
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"valid text", framed("HELLO"), true}, {"valid with bytes above 127", framed("K\xC4LLA"), true},
        {"bad check character", badCheck, false}, {"one byte summing to 0", "\x80\r", false},
        {"two bytes summing to 0", twoBytes, false},
    };
    for (const auto& [name, bytes, answered] : cases) {
        port.writes.clear();
        rig.arrive(bytes);
        EXPECT_EQ(make_tuple(port.writes, rig.labels.received.size(), link.busy()),
                  make_tuple(answered ? Lines{kAck} : Lines{}, static_cast<qsizetype>(bytes.size() - 1), false))
            << name;
    }
}

// Lines are cut at CR whatever the reads; one receive event reads until
// nothing is left; a CR with nothing before it ends no line.
TEST_F(ClockLinkTest, ReceivePathCutsLinesAtCR)
{
    const std::string ident = framed(kIdentification2003);
    const std::tuple<const char*, Lines, int, bool> cases[] = {
        {"line split over two reads", {ident.substr(0, 7), ident.substr(7)}, 1, false},
        {"ACK and a line in one read", {kAck + ident}, 1, true},
        {"more in one event than one read takes", {framed(std::string(300, 'x')) + kAck + ident}, 2, true},
        {"lone CRs before and between lines", {"\r" + kAck + "\r\r" + ident}, 1, true},
    };
    for (const auto& [name, reads, answers, idleAfter] : cases) {
        LinkRig fresh(wait);
        fresh.link.Sand("VER");
        fresh.port.writes.clear();
        for (const std::string& r : reads)
            fresh.arrive(r);
        const auto answered = std::count(fresh.port.writes.begin(), fresh.port.writes.end(), kAck);
        EXPECT_EQ(make_tuple(answered, fresh.link.busy(), fresh.port.pending, fresh.link.Inar()),
                  make_tuple(answers, !idleAfter, std::string(), std::string()))
            << name;
    }
}

// A line longer than 1 KiB is noise: the buffer stops there and the rest is
// thrown away up to its CR; a line of exactly the limit is still a line.
TEST_F(ClockLinkTest, OverlongLineIsDiscardedUpToItsCR)
{
    link.Sand("VER");
    rig.arrive(std::string(app::kMaxLineLength, 'x') + kAck);
    EXPECT_EQ(make_tuple(link.busy(), link.Inar()), make_tuple(true, std::string()));
    rig.arrive(std::string(5000, 'y'));
    EXPECT_LE(link.Inar().size(), app::kMaxLineLength);
    rig.arrive("\r" + kAck);
    EXPECT_FALSE(link.busy());
    port.writes.clear();
    rig.arrive(framed(std::string(app::kMaxLineLength - 1, 'z')));
    EXPECT_EQ(port.writes, Lines{kAck});
}

// "Set Klocka": after the identification the first tick with no command
// outstanding waits for the next whole second of the PC clock, sends "SET-"
// with it, and then pauses 0.5 ms so the written frame goes out before the
// window goes on.
TEST_F(ClockLinkTest, SetKlockaSendsTheSecondStartingJustAfterTheIdentification)
{
    pc.setStepPerRead(1);
    wait.port = &port;
    link.SetKlockaClick();
    EXPECT_EQ(make_tuple(port.last(), link.SetKlsw()), make_tuple(framed("VER"), true));
    rig.arrive(framed(kIdentification2004));  // before the ACK of "VER"
    EXPECT_EQ(make_tuple(link.SetKlsw(), link.TidSet()), make_tuple(false, 1));
    link.tick();  // not while "VER" is outstanding
    EXPECT_EQ(make_tuple(port.last(), link.TidSet()), make_tuple(kAck, 1));
    rig.arrive(kAck);
    link.tick();
    const TTid sentAt = port.writeTimes.back();
    EXPECT_EQ(make_tuple(port.last(), TidToSecStr(sentAt, 0)), make_tuple(framed("SET-36000"), std::string("36000")));
    EXPECT_LT(sentAt % kTidSecond, app::kSecondStartWindow) << sentAt;
    // The wait slept before the frame, and the pause came after it.
    ASSERT_GE(wait.sleeps.size(), 2u);
    EXPECT_EQ(wait.sleeps.back(), std::make_pair(port.writes.size(), std::chrono::nanoseconds(app::kAfterSetFramePause)));
    for (std::size_t i = 0; i + 1 < wait.sleeps.size(); ++i)
        EXPECT_LT(wait.sleeps[i].first, port.writes.size());
}

// A failed write (the answer to a line, a command, each resend) is reported,
// never raised, and once only while the line stays down; the resend rhythm
// runs on, the frame gets through once writes work again, and the next
// failure is reported again. A failed read is a failure of the line too.
TEST_F(ClockLinkTest, WriteFailuresAreReportedOnceAndTheLinkGoesOn)
{
    port.failingWrites = 1;
    EXPECT_NO_THROW(rig.arrive(framed("HELLO")));
    EXPECT_EQ(rig.errors, Lines{"write failed"});
    port.failingWrites = -1;
    link.Sand("RESET");
    EXPECT_EQ(make_tuple(link.busy(), link.Tid2()), make_tuple(true, app::kFirstResendTicks));
    EXPECT_EQ(rig.ticksWithWrites(14), Ticks{});
    EXPECT_EQ(rig.errors.size(), 1u);
    port.failingWrites = 0;
    EXPECT_EQ(rig.ticksWithWrites(4), Ticks{4});
    EXPECT_EQ(port.last(), framed("RESET"));
    port.failingWrites = 1;
    rig.ticksWithWrites(8);
    EXPECT_EQ(rig.errors.size(), 2u);
    rig.ticksWithWrites(4);  // a write gets through: the line is up again, and a read fails
    port.failingReads = true;
    rig.arrive(kAck);
    rig.arrive(kAck);
    EXPECT_EQ(std::pair(rig.errors.size(), rig.errors.back()), std::pair(std::size_t{3}, std::string("read failed")));
}

// A line that fails while a table goes out ends the transfer: the port's
// failure and the row after which the sending stopped (the last whose records
// were all acknowledged) are reported once each, the failed command is not
// resent and the rest of the table never goes.
TEST_F(ClockLinkTest, ALineFailingDuringATransferEndsItAfterTheLastWholeRow)
{
    // The command whose write fails (1 "RESET", 4 the first record), the row.
    for (const auto& [failing, row] : {std::pair{1, 0}, {5, 0}, {6, 1}, {8, 3}}) {
        app::TransferSequence sequence([] { return app::TransferSettings{}; });
        LinkRig r(wait, nullptr, &sequence);
        sequence.startTransfer({"R1", "R2", "R3", "R4", "END"}, {1, 1, 2, 3, 4});
        for (int sent = 0, i = 0; sent < failing - 1 && i < 100; ++i) {
            if (!r.ticksWithWrites(1).empty()) {
                ++sent;
                r.arrive(kAck);
            }
        }
        r.port.failingWrites = -1;
        r.ticksWithWrites(60);
        EXPECT_EQ(r.errors, (Lines{"write failed", "Förbindelsen med klockan bröts efter rad " + std::to_string(row) +
                                                       "; sändningen av tiderna avbröts"}));
        EXPECT_EQ(make_tuple(r.link.busy(), sequence.TidSand()), make_tuple(false, 0));
    }
}

// A failure from before a transfer does not end it, and a port opened again
// reports its own first failure.
TEST_F(ClockLinkTest, AnEarlierFailureIsNotCarriedIntoATransferOrAReopenedPort)
{
    app::TransferSequence sequence([] { return app::TransferSettings{}; });
    LinkRig r(wait, nullptr, &sequence);
    r.port.failingWrites = 1;
    r.link.Sand("VER");
    r.port.failingWrites = 0;
    sequence.startTransfer({"R1"}, {1});
    r.ticksWithWrites(8);
    r.arrive(kAck);
    r.ticksWithWrites(8);
    EXPECT_EQ(r.errors, Lines{"write failed"});
    EXPECT_TRUE(sequence.running());
    r.port.failingWrites = -1;
    // The answer to a text line fails: reported, then quiet, then reported
    // again on the reopened port.
    r.arrive(framed("HELLO"));
    r.arrive(framed("HELLO"));
    r.link.portOpened();
    r.arrive(framed("HELLO"));
    EXPECT_EQ(r.errors, (Lines{"write failed", "write failed", "write failed"}));
}

// The firmware version read from the identification picks the command set:
// the four characters one after "VER", else characters 4 to 7.
TEST(ClockVersion, PicksTheCommandSet)
{
    const std::tuple<std::string, int, bool> cases[] = {
        {"VILO CORVALINDER VER 2004", 2004, false}, {"vilo corvalinder ver 2003", 2003, true},
        {"VILO CORVALINDER VER $7D5", 2005, false}, {"VIL2004x", 2004, false}, {"VILO CORVALINDER VER", 0, true},
    };
    for (const auto& [text, version, old] : cases)
        EXPECT_EQ(std::tuple(app::clockFirmwareVersion(text), app::takesOldCommandSet(version)), std::tuple(version, old))
            << text;
}

// The wait answers the first reading in the next second, also from within
// the first 4 ms of one; the monotonic clock bounds it when the PC clock
// stands still.
TEST(WholeSecondWait, AnswersTheFirstReadingOfTheNextSecond)
{
    // The PC clock's start and step per reading (0: it stands still); the
    // whole second of the answer, whether it lies in the first 4 ms, and the
    // longest the wait may take.
    const std::tuple<const char*, LocalDateTime, int, TTid, bool, std::chrono::milliseconds> cases[] = {
        {"already within the first 4 ms", at(10, 0, 0, 3), 1, 36001, true, 997ms},
        {"just before midnight", at(23, 59, 59, 990), 1, 0, true, 11ms},
        {"coarse clock: 7 ms per reading", at(9, 59, 59, 500), 7, 36000, false, 501ms},
        {"stuck clock", at(9, 59, 59, 500), 0, 35999, false, 500ms + app::kWaitMargin + 1ms},
    };
    for (const auto& [name, start, msPerRead, second, inWindow, maxWait] : cases) {
        testenv::FakeLocalClock pc(start);
        testenv::ScopedFakeClock scope(pc);
        pc.setStepPerRead(msPerRead);
        FakeWaitClock wait(&pc);
        wait.pcClockStuck = msPerRead == 0;
        const TTid t = app::waitForWholeSecond(wait);
        EXPECT_EQ(make_tuple(t / kTidSecond, t % kTidSecond < app::kSecondStartWindow), make_tuple(second, inWindow)) << name;
        EXPECT_LE(wait.now, std::chrono::nanoseconds(maxWait) + 1ms) << name;
    }
}

// On the real monotonic clock too, a PC clock that stands still ends the
// wait at its bound, not never.
TEST(WholeSecondWait, EndsOnTheRealMonotonicClockWhenThePcClockStandsStill)
{
    testenv::FakeLocalClock pc(at(9, 59, 59, 500));
    testenv::ScopedFakeClock scope(pc);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(app::waitForWholeSecond(app::systemWaitClock()) / kTidSecond, 35999);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

constexpr int kInterval = app::kIntervalStartTab;
constexpr int kPursuit = app::kPursuitStartTab;

// "Sänd tider": the setting commands of the table kind and command set, then
// the records, one per tick after each ACK.
TEST(TransferSequence, SendsTheSettingsThenTheRecords)
{
    struct Case { const char* name; bool oldSet; app::TransferSettings settings; Lines records; Lines expected; };
    const Case cases[] = {
        {"new, other tab: pursuit settings", false, {2, 1, true, "7"}, {}, {"RESET", "TOOT-0", "LINE-7", "TREE-0"}},
        {"old interval", true, {kInterval, 3, true, "1"}, {"S-0001-36000", "S-0002-36030"},
         {"RESET", "TUTA=3", "TUTH=064", "TUTL=128", "S-0001-36000", "S-0002-36030"}},
        {"old pursuit", true, {kPursuit, 3, true, "1"}, {"ELAPSE-1-36000"}, {"RESET", "TUTA=0", "ELAPSE-1-36000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::TransferSequence sequence([&] { return c.settings; });
        LinkRig rig(app::systemWaitClock(), nullptr, &sequence);
        if (c.oldSet)
            rig.arrive(framed(kIdentification2003));
        sequence.startTransfer(c.records);
        Lines sent;
        for (int i = 0; i < 60; ++i) {  // on past the end: a finished transfer sends nothing more
            if (!rig.ticksWithWrites(1).empty()) {
                sent.push_back(rig.port.last().substr(0, rig.port.last().size() - 2));
                rig.arrive(kAck);
            }
        }
        EXPECT_EQ(make_tuple(sent, sequence.TidSand()), make_tuple(c.expected, 0));
    }
}

// "SET-" is written within the first 4 ms of the second it names: over a pty
// to the simulated clock, through the main window's port component, on the
// real clocks. Timed where the program writes; a loaded machine may preempt
// the program between reading the PC clock and writing, so five tries must
// not all miss.
TEST(ClockLinkPtyTest, SetsTheClockWithinTheFirstFourMillisecondsOfASecond)
{
    clocksim::ClockSim sim;
    serial::TComPort com;
    com.SetPort(sim.slavePath());
    com.SetEvents({});
    com.Open();
    app::ComLinkPort line{com};
    LinkRig rig{app::systemWaitClock(), &line};
    app::ClockLink& link = rig.link;
    // The port's receive event, as the window's event loop would deliver it.
    const std::function<void()> pump = [&] { link.receive(); };
    int hits = 0;
    for (int attempt = 0; attempt < 5 && hits == 0; ++attempt) {
        sim.clearRecords();
        rig.port.writes.clear();
        rig.port.writeTimes.clear();
        link.SetKlockaClick();
        ASSERT_TRUE(sim.waitUntil([&] { return link.TidSet() == 1; }, 3000ms, pump));
        link.tick();
        ASSERT_TRUE(sim.waitUntil([&] { return sim.copiesOf("VER") == 1 && sim.commands().size() == 2; }, 3000ms, pump));
        for (std::size_t i = 0; i < rig.port.writes.size(); ++i) {
            const TTid t = rig.port.writeTimes[i];
            hits += t % kTidSecond < app::kSecondStartWindow && rig.port.writes[i] == framed("SET-" + TidToSecStr(t, 0));
        }
        ASSERT_TRUE(sim.waitUntil([&] { return !link.busy(); }, 3000ms, pump));
    }
    EXPECT_EQ(hits, 1);
    EXPECT_TRUE(sim.failures().empty());
}

// The clock's line whatever the port held before: 9600 8N1, CR as the event
// character, no flow control either way, DTR as asked and RTS off.
TEST(LineSetup, GivesTheClocksLine)
{
    using namespace serial;
    TComPort port;
    port.SetBaudRate(TBaudRate::br19200), port.SetDataBits(TDataBits::dbSeven), port.SetEventChar('\n');
    port.Parity().SetBits(TParityBits::prEven), port.SetStopBits(TStopBits::sbTwoStopBits);
    TComFlowControl& flow = port.FlowControl();
    flow.SetOutCTSFlow(true), flow.SetOutDSRFlow(true), flow.SetXonXoffOut(true), flow.SetXonXoffIn(true);
    flow.SetControlRTS(TRTSFlowControl::rtsHandshake);
    app::setUpClockLine(port, TDTRFlowControl::dtrEnable);
    EXPECT_EQ(std::tuple(port.BaudRate(), port.DataBits(), port.Parity().Bits(), port.StopBits(), port.EventChar()),
              std::tuple(TBaudRate::br9600, TDataBits::dbEight, TParityBits::prNone, TStopBits::sbOneStopBit, '\r'));
    EXPECT_EQ(std::tuple(flow.OutCTSFlow(), flow.OutDSRFlow(), flow.XonXoffOut(), flow.XonXoffIn(), flow.ControlDTR(),
                         flow.ControlRTS()),
              std::tuple(false, false, false, false, TDTRFlowControl::dtrEnable, TRTSFlowControl::rtsDisable));
}

} // namespace
