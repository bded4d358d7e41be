// The signal lamp: its transitions on a hand-moved clock, the port signal it
// follows, linking and unlinking, error 19, exceptions kept out of the port,
// painting inside a port call without running other events, and its pixels.
#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ManualTicker.h"
#include "SelectorTestSupport.h"
#include "serial/ComLed.h"
#include "serial/ComLedGlyphs.h"
#include "serial/ComPort.h"
#include "support/FakeSerialDevice.h"
#include "support/PtyPair.h"

using namespace serial;

namespace {

constexpr int kWaitMs = 5000;

// A port whose link callbacks the test calls, as its reads, writes and
// events would.
class ActivePort : public TComPort {
public:
    void Signal(TComSignalEvent TComLink::*callback, bool on) { CallLinkSignal(callback, on); }
    void Ring() { CallLinkNotify(&TComLink::OnRing); }
};

// A lamp on a hand-moved clock that logs each change it reports as
// "on@<ms>" / "off@<ms>".
struct Lamp {
    std::string log;  // outlives the lamp, which reports off when freed
    ledtest::ManualClock clock;
    TComLed led{std::make_unique<ledtest::ManualTicker>(clock)};

    Lamp()
    {
        led.OnChange = [this](TComLed*, TLedState state) {
            log += (log.empty() ? "" : " ") + std::string(state == TLedState::lsOn ? "on@" : "off@") +
                   std::to_string(clock.now);
        };
    }
};

// --- transitions ------------------------------------------------------------

// Steps: "on" / "off" transmit signal, "ring", "W<ms>" wait, "R<ms>" RingDuration.
struct TransitionCase {
    const char* name;
    TComLedSignal signal;
    std::vector<std::string> steps;
    const char* log;
};
void PrintTo(const TransitionCase& c, std::ostream* os) { *os << c.name; }

class ComLedTransitions : public testing::TestWithParam<TransitionCase> {};

TEST_P(ComLedTransitions, StateChangesAtTheRightTimes)
{
    ActivePort port;
    Lamp lamp;
    lamp.led.SetLedSignal(GetParam().signal);
    lamp.led.SetComPort(&port);
    for (const std::string& s : GetParam().steps) {
        if (s == "on" || s == "off")
            port.Signal(&TComLink::OnTx, s == "on");
        else if (s == "ring")
            port.Ring();
        else if (s[0] == 'W')
            lamp.clock.advance(std::stoi(s.substr(1)));
        else
            lamp.led.SetRingDuration(std::stoi(s.substr(1)));
    }
    EXPECT_EQ(lamp.log, GetParam().log);
}

constexpr auto kTx = TComLedSignal::lsTx;
constexpr auto kRing = TComLedSignal::lsRing;
INSTANTIATE_TEST_SUITE_P(
    Cases, ComLedTransitions,
    testing::Values(
        TransitionCase{"OffGoesDark100MsLater", kTx, {"on", "W30", "off", "W500"}, "on@0 off@130"},
        TransitionCase{"OnWithin100MsOfAnOffKeepsTheLampLit", kTx,
                       {"on", "off", "W50", "on", "W1000", "off", "W500"}, "on@0 off@1150"},
        TransitionCase{"ASecondOffKeepsTheFirstOffsTime", kTx, {"on", "off", "W60", "off", "W500"}, "on@0 off@100"},
        TransitionCase{"OnWhileOnAndOffWhileOffDoNothing", kTx, {"off", "W200", "on", "on", "W200"}, "on@200"},
        TransitionCase{"RingLightsForOneSecondByDefault", kRing, {"ring", "W5000"}, "on@0 off@1000"},
        TransitionCase{"ASecondRingDoesNotProlong", kRing, {"ring", "W600", "ring", "W5000"}, "on@0 on@600 off@1000"},
        TransitionCase{"RingDurationZeroStaysLit", kRing, {"R0", "ring", "W100000"}, "on@0"},
        TransitionCase{"RingDurationReadAtEachRing", kRing, {"ring", "W1500", "R300", "ring", "W5000"},
                       "on@0 off@1000 on@1500 off@1800"}),
    [](const testing::TestParamInfo<TransitionCase>& info) { return std::string(info.param.name); });

TEST(ComLed, EachSignalLightsTheLampThroughItsOwnCallbackOnly)
{
    struct Source {
        TComLedSignal signal;
        TComSignalEvent TComLink::*callback;  // null: ring
    };
    const Source sources[] = {
        {TComLedSignal::lsConn, &TComLink::OnConn},     {TComLedSignal::lsCTS, &TComLink::OnCTSChange},
        {TComLedSignal::lsDSR, &TComLink::OnDSRChange}, {TComLedSignal::lsRLSD, &TComLink::OnRLSDChange},
        {TComLedSignal::lsRing, nullptr},               {TComLedSignal::lsRx, &TComLink::OnRx},
        {TComLedSignal::lsTx, &TComLink::OnTx},
    };
    for (const Source& shown : sources)
        for (const Source& fired : sources) {
            ActivePort port;
            TComLed led;
            led.SetLedSignal(TComLedSignal::lsRing);  // away and back: the last choice counts
            led.SetLedSignal(shown.signal);
            led.SetComPort(&port);
            fired.callback ? port.Signal(fired.callback, true) : port.Ring();
            EXPECT_EQ(led.State() == TLedState::lsOn, &shown == &fired)
                << "lamp " << Ord(shown.signal) << ", callback " << Ord(fired.signal);
            EXPECT_TRUE(port.TriggersOnRxChar());  // the lamp never takes received data
        }
}

// --- ports ----------------------------------------------------------------------

TEST(ComLed, LinkingAnOpenPortReadsItsSignal)
{
    struct Case {
        TComLedSignal signal;
        unsigned modemLines;
        const char* log;
    };
    const Case cases[] = {
        {TComLedSignal::lsConn, 0, "on@0"},
        {TComLedSignal::lsCTS, platform::kModemCTS, "on@0"},
        {TComLedSignal::lsRLSD, platform::kModemCTS | platform::kModemDSR, "off@0"},
        {TComLedSignal::lsTx, platform::kModemCTS, "off@0"},
    };
    for (const Case& c : cases) {
        testenv::FakeSerialDevices devices;
        TComPort port;
        port.Open();
        devices.setModemInputs("/dev/COM1", c.modemLines);
        Lamp lamp;
        lamp.led.SetLedSignal(c.signal);
        lamp.led.SetComPort(&port);
        EXPECT_EQ(lamp.log, c.log) << Ord(c.signal);
    }
}

TEST(ComLed, AClosedPortKeepsTheStateUntilItOpens)
{
    testenv::FakeSerialDevices devices;
    ActivePort other;
    TComPort port;
    Lamp lamp;
    lamp.led.SetState(TLedState::lsOn);
    lamp.led.SetComPort(&other);
    lamp.led.SetComPort(&port);  // moving to another closed port leaves the state
    EXPECT_EQ(lamp.led.State(), TLedState::lsOn);
    other.Signal(&TComLink::OnConn, false);  // no longer followed
    lamp.clock.advance(500);
    port.Open();
    port.Close();
    lamp.clock.advance(500);
    EXPECT_EQ(lamp.log, "on@0 off@600");
}

TEST(ComLed, APortFreedFirstIsForgotten)
{
    Lamp lamp;
    {
        ActivePort port;
        lamp.led.SetComPort(&port);
        port.Signal(&TComLink::OnConn, true);
    }
    EXPECT_EQ(lamp.led.ComPort(), nullptr);
    EXPECT_EQ(lamp.log, "on@0 off@0");
}

TEST(ComLed, ALampFreedFirstReportsOffAndLeavesThePort)
{
    testenv::FakeSerialDevices devices;
    TComPort port;
    port.Open();
    std::vector<TLedState> changes;
    {
        TComLed led;
        led.SetComPort(&port);
        led.OnChange = [&](TComLed*, TLedState state) { changes.push_back(state); };
    }
    EXPECT_EQ(changes, std::vector<TLedState>{TLedState::lsOff});
    port.Close();  // would reach the freed lamp's link
}

TEST(ComLed, StateIsRefusedWhileAPortIsLinked)
{
    ActivePort port;
    Lamp lamp;
    lamp.led.SetState(TLedState::lsOff);  // the same state still reports
    lamp.led.SetComPort(&port);
    try {
        lamp.led.SetState(TLedState::lsOn);
        ADD_FAILURE() << "no error";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), CError_LedStateFailed);
        EXPECT_STREQ(e.what(), "ComLed  Error: Cannot change led state if ComPort is selected");
    }
    EXPECT_EQ(lamp.led.State(), TLedState::lsOff);
    EXPECT_EQ(lamp.log, "off@0");
}

TEST(ComLed, AWriteOnAPseudoTerminalLightsTheTransmitLamp)
{
    struct Case {
        TComEvents events;
        const char* log;  // after the write has left and 100 ms more
    };
    const Case cases[] = {
        {{TComEvent::evRxFlag}, "on@0"},  // nothing reports the output empty: stays lit
        {{TComEvent::evRxFlag, TComEvent::evTxEmpty}, "on@0 off@100"},
    };
    for (const Case& c : cases) {
        testenv::PtyPair pty(testenv::PtyPair::Line::Raw);
        TComPort port;
        port.SetPort(pty.path());
        port.SetEventChar('\r');
        port.SetEvents(c.events);
        port.Open();
        Lamp lamp;
        lamp.led.SetLedSignal(TComLedSignal::lsTx);
        lamp.led.SetComPort(&port);
        ASSERT_EQ(lamp.log, "off@0");  // an open port sets the state
        lamp.log.clear();

        EXPECT_EQ(port.WriteStr("VER\r"), 4);
        EXPECT_EQ(lamp.led.State(), TLedState::lsOn);  // lit inside the write
        EXPECT_EQ(pty.receive(4, kWaitMs), "VER\r");
        auto& ticker = *lamp.clock.tickers.front();
        if (c.events.Contains(TComEvent::evTxEmpty)) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return ticker.running; }, kWaitMs));
        }
        lamp.clock.advance(100);
        EXPECT_EQ(lamp.log, c.log);
        lamp.led.SetComPort(nullptr);
    }
}

// --- exceptions, threads, painting -----------------------------------------------

TEST(ComLed, AFailingOnChangeNeverReachesThePort)
{
    seltest::HookedErrors hook;
    ActivePort port;
    Lamp lamp;
    lamp.led.SetLedSignal(TComLedSignal::lsTx);
    lamp.led.SetComPort(&port);
    lamp.led.OnChange = [](TComLed*, TLedState) { throw std::runtime_error("handler failed"); };
    EXPECT_NO_THROW(port.Signal(&TComLink::OnTx, true));
    EXPECT_NO_THROW(port.Signal(&TComLink::OnTx, false));
    EXPECT_NO_THROW(lamp.clock.advance(100));  // from the switch-off timer
    EXPECT_EQ(hook.errors.size(), 2u);
    EXPECT_EQ(lamp.led.State(), TLedState::lsOff);
    lamp.led.OnChange = nullptr;
}

TEST(ComLed, ACallbackFromAnotherThreadIsCarriedToTheLampsThread)
{
    ActivePort port;
    TComLed led;
    led.SetLedSignal(TComLedSignal::lsRx);
    led.SetComPort(&port);
    std::thread reader([&] { port.Signal(&TComLink::OnRx, true); });
    reader.join();
    EXPECT_EQ(led.State(), TLedState::lsOff);
    EXPECT_TRUE(QTest::qWaitFor([&] { return led.State() == TLedState::lsOn; }, kWaitMs));
}

class CountingLed : public TComLed {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TComLed::paintEvent(event);
    }
};

TEST(ComLed, LightingInsideAPortCallPaintsTheLampButRunsNoOtherEvent)
{
    ActivePort port;
    CountingLed led;
    led.SetLedSignal(TComLedSignal::lsTx);
    led.SetComPort(&port);
    led.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&led, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return led.paints > 0; }, kWaitMs));

    bool otherEventRan = false;
    QMetaObject::invokeMethod(&led, [&] { otherEventRan = true; }, Qt::QueuedConnection);
    const int paintsBefore = led.paints;
    port.Signal(&TComLink::OnTx, true);
    EXPECT_GT(led.paints, paintsBefore);
    EXPECT_FALSE(otherEventRan);
    EXPECT_TRUE(QTest::qWaitFor([&] { return otherEventRan; }, kWaitMs));
}

// --- pictures --------------------------------------------------------------------

TEST(ComLed, DrawsThePictureOfItsStateInTheMiddleAndTheUnlitOneWhenDisabled)
{
    struct Case {
        TLedKind kind;
        TLedState state;
        bool enabled;
        const char* shown;
    };
    const Case cases[] = {
        {TLedKind::lkRedLight, TLedState::lsOn, true, "LEDREDON"},
        {TLedKind::lkRedLight, TLedState::lsOff, true, "LEDREDOFF"},
        {TLedKind::lkRedLight, TLedState::lsOn, false, "LEDREDOFF"},
        {TLedKind::lkBulb, TLedState::lsOn, true, "LEDBULBON"},
        {TLedKind::lkBulb, TLedState::lsOn, false, "LEDBULBOFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        TComLed led;
        led.SetKind(c.kind);
        led.SetState(c.state);
        led.setEnabled(c.enabled);
        const QImage shot = led.grab().toImage();
        ASSERT_EQ(shot.size(), QSize(25, 25));
        const QImage picture = LedGlyph(c.shown);
        for (QPoint p : {QPoint(7, 7), QPoint(4, 5), QPoint(9, 4), QPoint(7, 9)})
            EXPECT_EQ(shot.pixel(p + QPoint(5, 5)), picture.pixel(p)) << p.x() << "," << p.y();
        EXPECT_EQ(shot.pixel(5, 19), shot.pixel(0, 0));  // transparent: the background
    }
}

TEST(ComLed, CustomKindKeepsThePicturesUntilItsOwnAreSet)
{
    TComLed led;
    auto shot = [&] { return led.grab().toImage(); };
    led.SetKind(TLedKind::lkCustom);
    EXPECT_EQ(shot().pixel(12, 12), shot().pixel(0, 0));  // none loaded: nothing drawn

    QImage own(5, 5, QImage::Format_RGB32);
    own.fill(qRgb(0, 0, 255));
    own.setPixel(0, 4, qRgb(255, 255, 0));  // the transparent colour
    QImage big(40, 40, QImage::Format_RGB32);
    big.fill(qRgb(0, 200, 0));
    big.setPixel(0, 39, qRgb(1, 1, 1));
    led.SetKind(TLedKind::lkGreenLight);
    led.SetGlyphOn(own);  // not a custom lamp: ignored
    EXPECT_EQ(led.GlyphOn(), LedGlyph("LEDGREENON"));

    led.SetKind(TLedKind::lkCustom);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(shot().pixel(12, 12), LedGlyph("LEDGREENON").pixel(7, 7));
    led.SetGlyphOn(own);
    led.SetGlyphOff(big);
    EXPECT_EQ(shot().pixel(12, 12), qRgb(0, 0, 255));  // 5 x 5 lands at (10, 10)
    EXPECT_EQ(shot().pixel(10, 14), shot().pixel(0, 0));
    led.SetState(TLedState::lsOff);
    EXPECT_EQ(shot().pixel(0, 0), qRgb(0, 200, 0));  // larger than the lamp: from its corner
}

} // namespace
