// The clock link on fakes: framing, the one outstanding command, the resend
// rhythm, replies, the receive path, identification and the clock setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "LinkFakes.h"
#include "app/ClockLink.h"
#include "sim/ClockSim.h"

using clocksim::framed;
using clocksim::hexBytes;
using namespace linkfakes;

namespace {

class ClockLinkTest : public ::testing::Test {
protected:
    testenv::FakeLocalClock pc{{2026, 6, 15, 9, 59, 59, 500}};
    testenv::ScopedFakeClock scope{pc};
    FakePort port;
    FakeLabels labels;
    FakeWaitClock wait{&pc};
    std::vector<std::string> errors;
    app::ClockLink link{port, labels,
                        [this](std::exception_ptr e) {
                            try {
                                std::rethrow_exception(e);
                            } catch (const std::exception& x) {
                                errors.push_back(x.what());
                            }
                        },
                        wait};

    void arrive(const std::string& bytes)
    {
        port.arrive(bytes);
        link.receive();
    }
    // Runs `n` ticks; answers the tick numbers (from 1) at which something was written.
    std::vector<int> ticksWithWrites(int n)
    {
        std::vector<int> at;
        for (int i = 1; i <= n; ++i) {
            const std::size_t before = port.writes.size();
            link.Tick();
            if (port.writes.size() != before)
                at.push_back(i);
        }
        return at;
    }
    std::string lastWrite() const { return port.writes.empty() ? std::string() : port.writes.back(); }
};

TEST_F(ClockLinkTest, FramesCommandsWithCheckCharacterAndCR)
{
    struct Case { std::function<void(app::ClockLink&)> send; std::string wire; };
    const Case cases[] = {
        {[](app::ClockLink& l) { l.Sand("VER"); }, "56 45 52 93 0D"},
        {[](app::ClockLink& l) { l.Sand("RESET"); }, "52 45 53 45 54 7D 0D"},
        {[](app::ClockLink& l) { l.Sand("SET-36000"); }, "53 45 54 2D 33 36 30 30 30 6E 0D"},
        {[](app::ClockLink& l) { l.BSaveClick(); }, hexBytes(framed("SAVE"))},
        {[](app::ClockLink& l) { l.BLoadClick(); }, hexBytes(framed("LOAD"))},
    };
    for (const Case& c : cases) {
        port.writes.clear();
        c.send(link);
        ASSERT_EQ(port.writes.size(), 1u);
        EXPECT_EQ(hexBytes(port.writes[0]), c.wire);
        EXPECT_EQ(link.Utar() + '\r', port.writes[0]);
        EXPECT_EQ(link.Tid2(), app::kFirstResendTicks);
        link.HandleReply(kAck);
    }
}

TEST_F(ClockLinkTest, OutstandingCommandDropsOthersAndShowsAsWindows1252)
{
    link.Sand("VER");
    EXPECT_TRUE(link.busy());
    // The check character 0x93 is a left double quotation mark in Windows-1252.
    EXPECT_EQ(labels.sent, QString::fromUtf16(u"VER\u201C"));
    link.Tick();
    link.Sand("RESET");
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(link.Utar(), "VER\x93");
    EXPECT_EQ(link.Tid2(), app::kFirstResendTicks - 1);
    EXPECT_EQ(labels.sentCount, 1);
}

TEST_F(ClockLinkTest, ResendRhythm)
{
    // A command offered from outside the tick is resent at the 6th tick,
    // then every 4th.
    link.Sand("RESET");
    EXPECT_EQ(ticksWithWrites(15), (std::vector<int>{6, 10, 14}));
    for (const std::string& w : port.writes)
        EXPECT_EQ(w, framed("RESET"));
}

TEST_F(ClockLinkTest, PollSendsVerEveryTenSecondsAndResendsItAtTheFifthTick)
{
    link.startPolling();
    EXPECT_EQ(lastWrite(), framed("VER"));
    link.HandleReply(kAck);
    port.writes.clear();
    // The poll's "VER" leaves at tick 100; the resend step of that same tick
    // already counts, so the first resend comes at tick 105.
    EXPECT_EQ(ticksWithWrites(113), (std::vector<int>{100, 105, 109, 113}));
    EXPECT_EQ(link.Tid1(), 100 - 13);
}

TEST_F(ClockLinkTest, PollIsDroppedWhileBusyButStillReloads)
{
    link.startPolling();  // "VER" outstanding, never acknowledged
    port.writes.clear();
    for (int i = 0; i < 100; ++i)
        link.Tick();
    EXPECT_EQ(link.Tid1(), app::kPollTicks);
    EXPECT_EQ(link.Utar(), "VER\x93");
}

TEST_F(ClockLinkTest, ClosedPortHoldsTheFrameAndTheResendWritesItOnceOpen)
{
    port.open = false;
    link.startPolling();
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(labels.sent, QString::fromUtf16(u"VER\u201C"));
    EXPECT_TRUE(ticksWithWrites(7).empty());
    EXPECT_EQ(link.Tid2(), 3);  // the 0.4 s rhythm runs on while closed
    port.open = true;
    EXPECT_EQ(ticksWithWrites(4), (std::vector<int>{3}));
    EXPECT_EQ(lastWrite(), framed("VER"));
}

TEST_F(ClockLinkTest, AckAndNak)
{
    struct Case { const char* name; bool busy; std::string reply; bool rewritten; bool busyAfter; };
    const Case cases[] = {
        {"ACK", true, kAck, false, false},
        {"ACK with more bytes", true, kAck + "xyz", false, false},
        {"NAK", true, kNak, true, true},
        {"NAK with more bytes", true, kNak + "1", true, true},
        {"ACK while idle", false, kAck, false, false},
        {"NAK while idle", false, kNak, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePort p;
        FakeLabels l;
        app::ClockLink fresh(p, l, {}, wait);
        if (c.busy)
            fresh.Sand("RESET");
        p.writes.clear();
        p.arrive(c.reply + '\r');
        fresh.receive();
        EXPECT_EQ(p.writes, c.rewritten ? std::vector<std::string>{framed("RESET")} : std::vector<std::string>{});
        EXPECT_EQ(fresh.busy(), c.busyAfter);
        if (c.busy) {
            EXPECT_EQ(fresh.Tid2(), app::kResendTicks);
        }
    }
}

TEST_F(ClockLinkTest, AckStopsTheResend)
{
    link.Sand("RESET");
    arrive(kAck + '\r');
    EXPECT_TRUE(ticksWithWrites(20).empty());
}

TEST_F(ClockLinkTest, TextLinesAreAnsweredOnlyWhenTheirCheckHolds)
{
    std::string badCheck = framed("HELLO");
    badCheck[badCheck.size() - 2] ^= 1;
    std::string twoBytes = "A";
    twoBytes += static_cast<char>(128 - 'A');  // sums to 0 modulo 128, but too short
    struct Case { const char* name; std::string bytes; bool answered; };
    const Case cases[] = {
        {"valid text", framed("HELLO"), true},
        {"valid with bytes above 127", framed("K\xC4LLA"), true},
        {"bad check character", badCheck, false},
        {"one byte summing to 0", std::string("\x80\r"), false},
        {"two bytes summing to 0", twoBytes + '\r', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.writes.clear();
        arrive(c.bytes);
        EXPECT_EQ(port.writes, c.answered ? std::vector<std::string>{"\x06\r"} : std::vector<std::string>{});
        // "In:" shows every line, valid or not, without its CR.
        EXPECT_EQ(labels.received.size(), static_cast<qsizetype>(c.bytes.size() - 1));
        EXPECT_FALSE(link.busy());
    }
}

TEST_F(ClockLinkTest, ReceivePathCutsLinesAtCR)
{
    const std::string ident = framed(clocksim::kIdentification2003);
    struct Case { const char* name; std::vector<std::string> reads; int answers; bool idleAfter; };
    const Case cases[] = {
        {"line split over two reads", {ident.substr(0, 7), ident.substr(7)}, 1, false},
        {"ACK and a line in one read", {kAck + '\r' + ident}, 1, true},
        {"more than 200 bytes in one read", {framed(std::string(300, 'x')) + kAck + '\r' + ident}, 2, true},
        {"lone CR before an ACK", {"\r" + kAck + "\r"}, 0, true},
        {"CRs between lines", {"\r\r" + ident + "\r\r" + kAck + "\r"}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePort p;
        FakeLabels l;
        app::ClockLink fresh(p, l, {}, wait);
        fresh.Sand("VER");
        p.writes.clear();
        for (const std::string& r : c.reads) {
            p.arrive(r);
            fresh.receive();
        }
        EXPECT_EQ(std::count(p.writes.begin(), p.writes.end(), "\x06\r"), c.answers);
        EXPECT_EQ(fresh.busy(), !c.idleAfter);
        EXPECT_EQ(p.waiting(), 0u);
        EXPECT_TRUE(fresh.Inar().empty());
    }
}

TEST_F(ClockLinkTest, OneReceiveEventReadsUntilNothingIsLeft)
{
    link.Sand("VER");
    port.arrive(std::string(700, 'n') + "\r" + kAck + "\r");
    link.receive();
    EXPECT_FALSE(link.busy());
    EXPECT_EQ(port.waiting(), 0u);
}

TEST_F(ClockLinkTest, OverlongLineIsDiscardedUpToItsCR)
{
    link.Sand("VER");
    // 1024 bytes of noise and then what looks like an ACK: still noise.
    arrive(std::string(app::kMaxLineLength, 'x') + kAck + "\r");
    EXPECT_TRUE(link.busy());
    EXPECT_TRUE(link.Inar().empty());
    arrive(std::string(5000, 'y'));
    EXPECT_LE(link.Inar().size(), app::kMaxLineLength);
    arrive("\r" + kAck + "\r");
    EXPECT_FALSE(link.busy());
    // A line of exactly the limit is still a line.
    std::string longest = framed(std::string(app::kMaxLineLength - 1, 'z'));
    port.writes.clear();
    arrive(longest);
    EXPECT_EQ(port.writes, std::vector<std::string>{"\x06\r"});
}

TEST_F(ClockLinkTest, IdentificationSelectsTheCommandSet)
{
    struct Case { std::string text; bool oldSet; };
    // The version numbers themselves: ClockVersionTest.
    const Case cases[] = {
        {"VILO CORVALINDER VER 2003", true},
        {"vilo corvalinder ver 2004", false},
        {"Vilo Corvalinder", true},  // no "VER": version 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // Start from the other set, so the line must change it.
        arrive(framed(c.oldSet ? "VILO CORVALINDER VER 2010" : "VILO CORVALINDER VER 1999"));
        ASSERT_EQ(link.OldKlsw(), !c.oldSet);
        arrive(framed(c.text));
        EXPECT_EQ(link.OldKlsw(), c.oldSet);
        EXPECT_EQ(labels.version, QString::fromLatin1(c.text.c_str()));
    }
    // A valid line that is no identification changes nothing of it.
    arrive(framed("VER 2004 VILO CORVALINDER"));
    EXPECT_TRUE(link.OldKlsw());
    EXPECT_EQ(labels.version, QString("Vilo Corvalinder"));
}

TEST_F(ClockLinkTest, SetKlockaSendsTheSecondStartingJustAfterTheIdentification)
{
    // Every reading of the PC clock advances it by 1 ms; three readings come
    // before the wait (the two writes and the tick's label).
    struct Case { platform::LocalDateTime at; std::string command; };
    const Case cases[] = {
        {{2026, 6, 15, 9, 59, 59, 500}, "SET-36000"},   // half a second before 10:00:00
        {{2026, 6, 15, 23, 59, 59, 700}, "SET-00000"},  // across midnight
        // Already within the first 4 ms when the tick comes: the next whole
        // second, as where in those 4 ms the second began is not known.
        {{2026, 6, 15, 9, 59, 59, 999}, "SET-36001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        testenv::FakeLocalClock clock(c.at);
        testenv::ScopedFakeClock inPlace(clock);
        clock.setStepPerRead(1);
        FakeWaitClock w(&clock);
        FakePort p;
        FakeLabels l;
        app::ClockLink fresh(p, l, {}, w);
        fresh.SetKlockaClick();
        EXPECT_EQ(p.writes.back(), framed("VER"));
        EXPECT_TRUE(fresh.SetKlsw());
        p.arrive(kAck + "\r" + framed(clocksim::kIdentification2004));
        fresh.receive();
        EXPECT_FALSE(fresh.SetKlsw());
        EXPECT_EQ(fresh.TidSet(), 1);
        fresh.Tick();
        EXPECT_EQ(p.writes.back(), framed(c.command));
        const TTid sentAt = p.writeTimes.back();
        EXPECT_LT(sentAt % kTidSecond, app::kSecondStartWindow) << sentAt;
        EXPECT_EQ(TidToSecStr(sentAt, 0), c.command.substr(4));
        // The wait sleeps most of the time away instead of spinning.
        EXPECT_GT(w.slept.count(), 0);
    }
}

TEST_F(ClockLinkTest, StuckPcClockEndsTheWaitWithinItsBound)
{
    pc.setStepPerRead(0);
    wait.pcClockStuck = true;
    link.SetKlockaClick();
    arrive(kAck + "\r" + framed(clocksim::kIdentification2004));
    const auto before = wait.now;
    link.Tick();
    // Half a second was left in the PC clock's second; the wait gives up
    // after that and its margin, and sends with the latest reading.
    EXPECT_LE(wait.now - before, std::chrono::milliseconds(500) + app::kWaitMargin + std::chrono::milliseconds(5));
    EXPECT_EQ(lastWrite(), framed("SET-35999"));
}

TEST_F(ClockLinkTest, SetFrameIsFollowedByAPauseBeforeTheTickGoesOn)
{
    // Each sleep, with the number of writes made before it.
    struct LoggingWait : FakeWaitClock {
        using FakeWaitClock::FakeWaitClock;
        const FakePort* port = nullptr;
        std::vector<std::pair<std::size_t, std::chrono::nanoseconds>> sleeps;
        void sleepFor(std::chrono::nanoseconds d) override
        {
            sleeps.emplace_back(port->writes.size(), d);
            FakeWaitClock::sleepFor(d);
        }
    };
    pc.setStepPerRead(1);
    LoggingWait w(&pc);
    w.port = &port;
    app::ClockLink fresh(port, labels, {}, w);
    fresh.SetKlockaClick();
    port.arrive(kAck + "\r" + framed(clocksim::kIdentification2004));
    fresh.receive();
    fresh.Tick();
    ASSERT_EQ(port.writes.back(), framed("SET-36000"));
    ASSERT_FALSE(w.sleeps.empty());
    EXPECT_EQ(w.sleeps.back().first, port.writes.size());
    EXPECT_EQ(w.sleeps.back().second, app::kAfterSetFramePause);
    // Only the whole-second wait slept before the frame.
    for (std::size_t i = 0; i + 1 < w.sleeps.size(); ++i)
        EXPECT_LT(w.sleeps[i].first, port.writes.size());
}

TEST_F(ClockLinkTest, SetKlockaWhileBusyWaitsForTheNextPoll)
{
    link.Sand("RESET");
    link.SetKlockaClick();
    EXPECT_EQ(port.writes.size(), 1u);  // "VER" dropped
    EXPECT_TRUE(link.SetKlsw());
    EXPECT_EQ(link.Tid1(), app::kPollTicks);
    arrive(kAck + "\r");
    pc.setStepPerRead(1);
    EXPECT_EQ(ticksWithWrites(100), (std::vector<int>{100}));
    EXPECT_EQ(lastWrite(), framed("VER"));
    arrive(kAck + "\r" + framed(clocksim::kIdentification2004));
    link.Tick();
    EXPECT_EQ(lastWrite().substr(0, 4), "SET-");
}

TEST_F(ClockLinkTest, ClockSettingWaitsWhileACommandIsOutstanding)
{
    link.SetKlockaClick();
    // The identification comes before the ACK of "VER".
    arrive(framed(clocksim::kIdentification2004));
    EXPECT_EQ(ticksWithWrites(3), std::vector<int>{});
    EXPECT_EQ(link.TidSet(), 1);
    arrive(kAck + "\r");
    pc.setStepPerRead(1);
    link.Tick();
    EXPECT_EQ(lastWrite().substr(0, 4), "SET-");
}

TEST_F(ClockLinkTest, WriteFailuresAreReportedAndTheLinkGoesOn)
{
    // The answer to a text line fails: reported, not raised.
    port.failingWrites = 1;
    EXPECT_NO_THROW(arrive(framed("HELLO")));
    EXPECT_EQ(errors.size(), 1u);

    // Every write fails (adapter unplugged): each resend reports once, the
    // rhythm runs on and the frame gets through when writes work again.
    port.failingWrites = -1;
    link.Sand("RESET");
    EXPECT_TRUE(link.busy());
    EXPECT_EQ(link.Tid2(), app::kFirstResendTicks);
    EXPECT_TRUE(ticksWithWrites(14).empty());
    EXPECT_EQ(errors.size(), 1u + 1 + 3);
    port.failingWrites = 0;
    EXPECT_EQ(ticksWithWrites(4), std::vector<int>{4});
    EXPECT_EQ(lastWrite(), framed("RESET"));
}

TEST_F(ClockLinkTest, TickShowsThePcTime)
{
    pc.setStepPerRead(0);
    link.Tick();
    EXPECT_TRUE(labels.pcTime.startsWith("9:59:59") || labels.pcTime.startsWith("09:59:59")) << labels.pcTime.toStdString();
}

// A transfer that sends its records one per step and records which routine ran.
class FakeTransfer : public app::TransferStep {
public:
    std::vector<char> calls;  // 'T' for SendStepTab, 'O' for SendStepOld
    bool throwNext = false;
    void SendStepTab(app::ClockLink& link) override { step(link, 'T'); }
    void SendStepOld(app::ClockLink& link) override { step(link, 'O'); }

private:
    void step(app::ClockLink& link, char which)
    {
        calls.push_back(which);
        if (throwNext) {
            throwNext = false;
            throw std::runtime_error("step failed");
        }
        if (link.Sandlista().empty()) {
            link.setTidSand(0);
            return;
        }
        link.setTidSand(1);
        link.Sand(link.Sandlista().front());
        link.Sandlista().erase(link.Sandlista().begin());
    }
};

TEST_F(ClockLinkTest, TransferStepsWaitForEachAcknowledgement)
{
    FakeTransfer transfer;
    link.setTransferStep(&transfer);
    link.startTransfer({"A", "B"});
    EXPECT_EQ(link.SandRad(), 0);
    EXPECT_EQ(ticksWithWrites(1), std::vector<int>{1});
    EXPECT_EQ(lastWrite(), framed("A"));
    // No ACK yet: the step looks again every 0.4 s while "A" is resent
    // (first 0.6 s after it was sent, in tick 1).
    EXPECT_EQ(ticksWithWrites(6), std::vector<int>{6});
    EXPECT_EQ(transfer.calls.size(), 1u);
    EXPECT_EQ(link.TidSand(), 3);
    arrive(kAck + "\r");
    EXPECT_EQ(ticksWithWrites(3), std::vector<int>{3});
    EXPECT_EQ(lastWrite(), framed("B"));
    arrive(kAck + "\r");
    link.Tick();  // finds the list empty
    EXPECT_EQ(link.TidSand(), 0);
    EXPECT_EQ(transfer.calls, (std::vector<char>{'T', 'T', 'T'}));
}

TEST_F(ClockLinkTest, TransferUsesTheRoutineOfTheIdentifiedCommandSet)
{
    FakeTransfer transfer;
    link.setTransferStep(&transfer);
    arrive(framed(clocksim::kIdentification2003));
    link.startTransfer({"A"});
    link.Tick();
    arrive(kAck + "\r");
    arrive(framed(clocksim::kIdentification2004));
    link.Tick();
    EXPECT_EQ(transfer.calls, (std::vector<char>{'O', 'T'}));
}

TEST_F(ClockLinkTest, PollInTheTickOfATransferStepGoesFirst)
{
    FakeTransfer transfer;
    link.setTransferStep(&transfer);
    link.startPolling();
    arrive(kAck + "\r");
    for (int i = 0; i < 99; ++i)
        link.Tick();
    link.startTransfer({"A"});
    link.Tick();  // the poll and the step fall in one tick
    EXPECT_EQ(lastWrite(), framed("VER"));
    EXPECT_TRUE(transfer.calls.empty());
    EXPECT_EQ(link.TidSand(), app::kTransferWaitTicks);
}

TEST_F(ClockLinkTest, FailingTransferStepIsReported)
{
    FakeTransfer transfer;
    transfer.throwNext = true;
    link.setTransferStep(&transfer);
    link.startTransfer({"A"});
    EXPECT_NO_THROW(link.Tick());
    EXPECT_EQ(errors, std::vector<std::string>{"step failed"});
}

} // namespace
