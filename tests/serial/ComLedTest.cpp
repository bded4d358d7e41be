// The signal lamp: its transitions on a hand-moved clock, the port signal it
// follows, linking and unlinking, error 19, exceptions kept out of the port,
// painting inside a port call without running other events, and its pixels.
#include <gtest/gtest.h>

#include <QEvent>
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

// A lamp on a hand-moved clock that writes each state change it reports as
// "on@<ms>" / "off@<ms>".
struct Lamp {
    std::string log;  // outlives the lamp, which reports off when freed
    ledtest::ManualClock clock;
    TComLed led{std::make_unique<ledtest::ManualTicker>(clock)};

    Lamp()
    {
        led.OnChange = [this](TComLed* sender, TLedState state) {
            EXPECT_EQ(sender, &led);
            if (!log.empty())
                log += ' ';
            log += (state == TLedState::lsOn ? "on@" : "off@") + std::to_string(clock.now());
        };
    }
};

TEST(ComLed, NewLamp)
{
    TComLed led;
    EXPECT_EQ(led.size(), QSize(25, 25));
    EXPECT_EQ(led.sizeHint(), QSize(25, 25));
    EXPECT_EQ(led.Kind(), TLedKind::lkRedLight);
    EXPECT_EQ(led.LedSignal(), TComLedSignal::lsConn);
    EXPECT_EQ(led.State(), TLedState::lsOff);
    EXPECT_EQ(led.RingDuration(), 1000);
    EXPECT_EQ(led.ComPort(), nullptr);
    EXPECT_TRUE(led.GlyphOn().isNull());  // loaded at the first paint
}

// --- transitions ------------------------------------------------------------

struct Step {
    enum Op { On, Off, Ring, Wait, RingDuration } op;
    int value = 0;
};

struct TransitionCase {
    const char* name;
    TComLedSignal signal;
    std::vector<Step> steps;
    const char* log;
};

void PrintTo(const TransitionCase& c, std::ostream* os) { *os << c.name; }

class ComLedTransitions : public testing::TestWithParam<TransitionCase> {};

TEST_P(ComLedTransitions, StateChangesAtTheRightTimes)
{
    const TransitionCase& c = GetParam();
    ActivePort port;
    Lamp lamp;
    lamp.led.SetLedSignal(c.signal);
    lamp.led.SetComPort(&port);  // closed: the state stays
    for (const Step& s : c.steps) {
        switch (s.op) {
        case Step::On: port.Signal(&TComLink::OnTx, true); break;
        case Step::Off: port.Signal(&TComLink::OnTx, false); break;
        case Step::Ring: port.Ring(); break;
        case Step::Wait: lamp.clock.advance(s.value); break;
        case Step::RingDuration: lamp.led.SetRingDuration(s.value); break;
        }
    }
    EXPECT_EQ(lamp.log, c.log);
}

using S = Step;
constexpr auto kTx = TComLedSignal::lsTx;
constexpr auto kRing = TComLedSignal::lsRing;
INSTANTIATE_TEST_SUITE_P(
    Cases, ComLedTransitions,
    testing::Values(
        TransitionCase{"OffGoesDark100MsLater", kTx, {{S::On}, {S::Wait, 30}, {S::Off}, {S::Wait, 500}}, "on@0 off@130"},
        TransitionCase{"OnAgainWithin100MsKeepsTheLampLit", kTx,
                       {{S::On}, {S::Off}, {S::Wait, 50}, {S::On}, {S::Wait, 1000}, {S::Off}, {S::Wait, 500}},
                       "on@0 off@1150"},
        TransitionCase{"ASecondOffKeepsTheFirstOffsTime", kTx,
                       {{S::On}, {S::Off}, {S::Wait, 60}, {S::Off}, {S::Wait, 500}}, "on@0 off@100"},
        TransitionCase{"OnWhileOnAndOffWhileOffDoNothing", kTx,
                       {{S::Off}, {S::Wait, 200}, {S::On}, {S::On}, {S::Wait, 200}}, "on@200"},
        TransitionCase{"RingLightsForRingDuration", kRing, {{S::Ring}, {S::Wait, 5000}}, "on@0 off@1000"},
        TransitionCase{"ASecondRingDoesNotProlong", kRing,
                       {{S::Ring}, {S::Wait, 600}, {S::Ring}, {S::Wait, 5000}}, "on@0 on@600 off@1000"},
        TransitionCase{"RingDurationZeroStaysLit", kRing,
                       {{S::RingDuration, 0}, {S::Ring}, {S::Wait, 100000}}, "on@0"},
        TransitionCase{"RingDurationReadAtEachRing", kRing,
                       {{S::Ring}, {S::Wait, 1500}, {S::RingDuration, 300}, {S::Ring}, {S::Wait, 5000}},
                       "on@0 off@1000 on@1500 off@1800"},
        TransitionCase{"TransmitLampIgnoresRing", kTx, {{S::Ring}, {S::Wait, 2000}}, ""},
        TransitionCase{"RingLampIgnoresTransmit", kRing, {{S::On}, {S::Wait, 2000}}, ""}),
    [](const testing::TestParamInfo<TransitionCase>& info) { return std::string(info.param.name); });

// --- signals ------------------------------------------------------------------

TEST(ComLed, EachSignalLightsTheLampThroughItsOwnCallbackOnly)
{
    struct Source {
        TComLedSignal signal;
        TComSignalEvent TComLink::*callback;  // null: ring
    };
    const Source sources[] = {
        {TComLedSignal::lsConn, &TComLink::OnConn},    {TComLedSignal::lsCTS, &TComLink::OnCTSChange},
        {TComLedSignal::lsDSR, &TComLink::OnDSRChange}, {TComLedSignal::lsRLSD, &TComLink::OnRLSDChange},
        {TComLedSignal::lsRing, nullptr},              {TComLedSignal::lsRx, &TComLink::OnRx},
        {TComLedSignal::lsTx, &TComLink::OnTx},
    };
    for (const Source& shown : sources)
        for (const Source& fired : sources) {
            ActivePort port;
            TComLed led;
            led.SetLedSignal(TComLedSignal::lsRing);  // away and back: the hook follows the last choice
            led.SetLedSignal(shown.signal);
            led.SetComPort(&port);
            if (fired.callback)
                port.Signal(fired.callback, true);
            else
                port.Ring();
            EXPECT_EQ(led.State() == TLedState::lsOn, &shown == &fired)
                << "lamp " << Ord(shown.signal) << ", callback " << Ord(fired.signal);
            EXPECT_TRUE(port.TriggersOnRxChar());  // the lamp never takes received data
        }
}

TEST(ComLed, ChangingTheSignalDoesNotReadTheState)
{
    ActivePort port;
    Lamp lamp;
    lamp.led.SetComPort(&port);
    port.Signal(&TComLink::OnConn, true);
    lamp.led.SetLedSignal(TComLedSignal::lsRx);
    EXPECT_EQ(lamp.led.State(), TLedState::lsOn);
    EXPECT_EQ(lamp.log, "on@0");
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
        {TComLedSignal::lsCTS, platform::kModemDSR, "off@0"},
        {TComLedSignal::lsDSR, platform::kModemDSR, "on@0"},
        {TComLedSignal::lsRLSD, platform::kModemRLSD, "on@0"},
        {TComLedSignal::lsRLSD, platform::kModemCTS | platform::kModemDSR, "off@0"},
        {TComLedSignal::lsRing, platform::kModemRing, "off@0"},
        {TComLedSignal::lsRx, 0, "off@0"},
        {TComLedSignal::lsTx, 0, "off@0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Ord(c.signal));
        testenv::FakeSerialDevices devices;
        TComPort port;
        port.Open();
        devices.setModemInputs("/dev/COM1", c.modemLines);
        Lamp lamp;
        lamp.led.SetLedSignal(c.signal);
        lamp.led.SetComPort(&port);
        EXPECT_EQ(lamp.log, c.log);
    }
}

TEST(ComLed, LinkingAClosedPortKeepsTheStateAndOpeningLightsAConnectionLamp)
{
    testenv::FakeSerialDevices devices;
    TComPort port;
    Lamp lamp;
    lamp.led.SetState(TLedState::lsOn);
    lamp.log.clear();
    lamp.led.SetComPort(&port);
    EXPECT_EQ(lamp.led.State(), TLedState::lsOn);
    EXPECT_EQ(lamp.log, "");

    lamp.led.SetComPort(nullptr);
    lamp.led.SetComPort(&port);
    port.Open();
    lamp.clock.advance(10);
    port.Close();
    lamp.clock.advance(500);
    EXPECT_EQ(lamp.log, "off@0 on@0 off@110");
}

TEST(ComLed, UnlinkingPutsTheLampOutAndStopsFollowingThePort)
{
    ActivePort first, second;
    Lamp lamp;
    lamp.led.SetLedSignal(TComLedSignal::lsTx);
    lamp.led.SetComPort(&first);
    first.Signal(&TComLink::OnTx, true);
    lamp.led.SetComPort(&second);  // a closed port: still lit
    first.Signal(&TComLink::OnTx, false);
    lamp.clock.advance(500);
    EXPECT_EQ(lamp.led.State(), TLedState::lsOn);
    lamp.led.SetComPort(nullptr);
    second.Signal(&TComLink::OnTx, true);
    EXPECT_EQ(lamp.log, "on@0 off@500");
    EXPECT_EQ(lamp.led.ComPort(), nullptr);
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
    lamp.led.SetState(TLedState::lsOn);  // no port any more: allowed
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
    port.Close();  // would call the freed lamp's link
    port.Open();
}

TEST(ComLed, StateIsRefusedWhileAPortIsLinked)
{
    ActivePort port;
    Lamp lamp;
    lamp.led.SetState(TLedState::lsOff);  // the same state still reports
    EXPECT_EQ(lamp.log, "off@0");
    lamp.led.SetComPort(&port);
    lamp.log.clear();
    try {
        lamp.led.SetState(TLedState::lsOn);
        FAIL() << "no error";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), CError_LedStateFailed);
        EXPECT_STREQ(e.what(), "ComLed  Error: Cannot change led state if ComPort is selected");
    }
    EXPECT_EQ(lamp.led.State(), TLedState::lsOff);
    EXPECT_EQ(lamp.log, "");
}

TEST(ComLed, WhileLoadingNoChangeIsReportedAndNoStateRead)
{
    testenv::FakeSerialDevices devices;
    TComPort port;
    port.Open();
    Lamp lamp;
    lamp.led.BeginLoading();
    lamp.led.SetState(TLedState::lsOn);
    lamp.led.SetState(TLedState::lsOff);
    lamp.led.SetComPort(&port);
    EXPECT_EQ(lamp.led.State(), TLedState::lsOff);
    lamp.led.Loaded();
    EXPECT_EQ(lamp.log, "");
    port.Close();
    port.Open();
    EXPECT_EQ(lamp.log, "on@0");
}

// --- exceptions and threads ------------------------------------------------------

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

// A lamp that counts its paint events.
class CountingLed : public TComLed {
public:
    using TComLed::TComLed;
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
    QCoreApplication::processEvents();

    bool otherEventRan = false;
    QMetaObject::invokeMethod(&led, [&] { otherEventRan = true; }, Qt::QueuedConnection);
    const int paintsBefore = led.paints;
    port.Signal(&TComLink::OnTx, true);
    EXPECT_GT(led.paints, paintsBefore);
    EXPECT_FALSE(otherEventRan);
    EXPECT_TRUE(QTest::qWaitFor([&] { return otherEventRan; }, kWaitMs));
}

TEST(ComLed, DisablingAShownLampRepaintsIt)
{
    CountingLed led;
    led.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&led, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return led.paints > 0; }, kWaitMs));
    const int paintsBefore = led.paints;
    led.setEnabled(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return led.paints > paintsBefore; }, kWaitMs));
}

// --- pictures --------------------------------------------------------------------

QRgb CentreOf(TComLed& led) { return led.grab().toImage().pixel(12, 12); }
QRgb CornerOf(TComLed& led) { return led.grab().toImage().pixel(0, 0); }
// The colour of the middle of a built-in picture.
QRgb GlyphCentre(const char* name) { return LedGlyph(name).pixel(7, 7); }

TEST(ComLed, DrawsTheLitOrUnlitPictureInTheMiddleAndTheUnlitOneWhenDisabled)
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
        {TLedKind::lkGreenLight, TLedState::lsOn, true, "LEDGREENON"},
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
        // The picture lands at (5, 5); its transparent corners show the background.
        for (QPoint p : {QPoint(7, 7), QPoint(4, 5), QPoint(9, 4), QPoint(7, 9)})
            EXPECT_EQ(shot.pixel(p + QPoint(5, 5)), picture.pixel(p)) << p.x() << "," << p.y();
        EXPECT_EQ(shot.pixel(5, 19), shot.pixel(0, 0));
        EXPECT_NE(shot.pixel(12, 12), shot.pixel(0, 0));
    }
}

TEST(ComLed, DrawingFollowsStateAndEnabled)
{
    TComLed led;
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(CentreOf(led), GlyphCentre("LEDREDON"));
    led.setEnabled(false);
    EXPECT_EQ(CentreOf(led), GlyphCentre("LEDREDOFF"));
    led.SetState(TLedState::lsOff);
    led.setEnabled(true);
    EXPECT_EQ(CentreOf(led), GlyphCentre("LEDREDOFF"));
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(CentreOf(led), GlyphCentre("LEDREDON"));
}

TEST(ComLed, CustomKindKeepsThePicturesUntilItsOwnAreSet)
{
    TComLed led;
    led.SetKind(TLedKind::lkGreenLight);
    EXPECT_EQ(led.GlyphOn(), LedGlyph("LEDGREENON"));
    EXPECT_EQ(led.GlyphOff(), LedGlyph("LEDGREENOFF"));

    QImage own(5, 5, QImage::Format_RGB32);
    own.fill(qRgb(0, 0, 255));
    own.setPixel(0, 4, qRgb(255, 255, 0));  // the transparent colour
    led.SetGlyphOn(own);  // not a custom lamp: ignored
    EXPECT_EQ(led.GlyphOn(), LedGlyph("LEDGREENON"));

    led.SetKind(TLedKind::lkCustom);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(CentreOf(led), GlyphCentre("LEDGREENON"));
    led.SetGlyphOn(own);
    const QImage shot = led.grab().toImage();
    EXPECT_EQ(shot.pixel(12, 12), qRgb(0, 0, 255));  // 5 x 5 lands at (10, 10)
    EXPECT_EQ(shot.pixel(10, 14), shot.pixel(0, 0));
    EXPECT_EQ(led.GlyphOff(), LedGlyph("LEDGREENOFF"));
}

TEST(ComLed, CustomPicturesLargerThanTheLampStartAtItsCorner)
{
    TComLed led;
    led.SetKind(TLedKind::lkCustom);
    EXPECT_EQ(CentreOf(led), CornerOf(led));  // nothing set: nothing drawn
    QImage big(40, 40, QImage::Format_RGB32);
    big.fill(qRgb(0, 200, 0));
    big.setPixel(0, 39, qRgb(1, 1, 1));
    led.SetGlyphOff(big);
    EXPECT_EQ(CornerOf(led), qRgb(0, 200, 0));
}

} // namespace
