// The signal lamp: its transitions on a hand-moved clock, the port signal it
// follows, linking and unlinking, exceptions kept out of the port,
// painting inside a port call, and its pictures.
#include <QColor>

#include "serial/SerialTestSupport.h"
#include "serial/controls/ComLed.h"
#include "serial/controls/ComLedGlyphs.h"

using namespace serialtest;

namespace {

// A timer ticker on a clock of milliseconds that the test moves.
struct ManualTicker : TimerTicker {
    int now = 0, due = -1, period = 0;  // due < 0: stopped
    void start(int ms) override { period = ms, due = now + ms; }
    void stop() override { due = -1; }
    void advance(int ms)
    {
        const int end = now + ms;
        while (due >= 0 && due <= end) {
            now = due;
            due += period;
            OnTick();
        }
        now = end;
    }
};

// A port whose link callbacks the test calls, as its reads, writes and
// events would.
struct ActivePort : TComPort {
    void signal(TComSignalEvent TComLink::*callback, bool on) { CallLinkSignal(callback, on); }
    void ring() { CallLinkNotify(&TComLink::OnRing); }
};

// A lamp on a hand-moved clock that logs each change it reports as
// "on@<ms>" / "off@<ms>".
struct Lamp {
    std::string log;  // outlives the lamp, which reports off when freed
    ManualTicker* clock = new ManualTicker;
    TComLed led{std::unique_ptr<TimerTicker>(clock)};

    explicit Lamp(TComLedSignal signal = TComLedSignal::lsConn)
    {
        led.SetLedSignal(signal);
        led.OnChange = [this](TComLed*, TLedState on) {
            log += (log.empty() ? "" : " ") + std::string(on == TLedState::lsOn ? "on@" : "off@") + std::to_string(clock->now);
        };
    }
};

// A lamp that counts its paintings.
struct CountingLed : TComLed {
    int paints = 0;
    void paintEvent(QPaintEvent* event) override { ++paints, TComLed::paintEvent(event); }
};

} // namespace

// A signal that drops puts the lamp out 100 ms later unless it comes back
// meanwhile; a ring lights it for RingDuration ms (0: for good).
TEST(ComLed, StateChangesAtTheRightTimes)
{
    // Steps: "on" / "off" transmit signal, "ring", "W<ms>" wait, "R<ms>" RingDuration.
    const struct { const char* what; TComLedSignal signal; std::vector<std::string> steps; const char* log; } cases[] = {
        {"off goes dark 100 ms later", TComLedSignal::lsTx, {"on", "W30", "off", "W500"}, "on@0 off@130"},
        {"on within 100 ms of an off keeps it lit", TComLedSignal::lsTx,
         {"on", "off", "W50", "on", "W1000", "off", "W500"}, "on@0 off@1150"},
        {"ring lights for a second", TComLedSignal::lsRing, {"ring", "W5000"}, "on@0 off@1000"},
        {"a second ring does not prolong", TComLedSignal::lsRing, {"ring", "W600", "ring", "W5000"}, "on@0 on@600 off@1000"},
        {"ring duration read at each ring", TComLedSignal::lsRing, {"ring", "W1500", "R300", "ring", "W5000"},
         "on@0 off@1000 on@1500 off@1800"},
    };
    for (const auto& c : cases) {
        ActivePort port;
        Lamp lamp(c.signal);
        lamp.led.SetComPort(&port);
        for (const std::string& s : c.steps) {
            if (s == "on" || s == "off")
                port.signal(&TComLink::OnTx, s == "on");
            else if (s == "ring")
                port.ring();
            else if (s[0] == 'W')
                lamp.clock->advance(std::stoi(s.substr(1)));
            else
                lamp.led.SetRingDuration(std::stoi(s.substr(1)));
        }
        EXPECT_EQ(lamp.log, c.log) << c.what;
    }
}

// A lamp linked to an open port shows at once what its signal is there; one
// for traffic or rings waits for them.
TEST(ComLed, LinkedToAnOpenPortShowsItsSignalAtOnce)
{
    FakeSerialDevices devices;
    devices.line(kPath, [](auto& l) { l.modemLines = platform::kModemCTS | platform::kModemRLSD; });
    TComPort port;
    port.Open();
    for (const auto& [signal, lit] : {std::pair{TComLedSignal::lsConn, true}, {TComLedSignal::lsCTS, true},
                                      {TComLedSignal::lsDSR, false}, {TComLedSignal::lsRLSD, true},
                                      {TComLedSignal::lsRing, false}, {TComLedSignal::lsTx, false}}) {
        Lamp lamp(signal);
        lamp.led.SetComPort(&port);
        EXPECT_EQ(lamp.led.State(), lit ? TLedState::lsOn : TLedState::lsOff) << static_cast<int>(signal);
    }
}

// The port tells the lamp first thing when it is freed, and the lamp forgets it.
TEST(ComLed, APortFreedFirstIsForgotten)
{
    Lamp lamp;
    {
        ActivePort port;
        lamp.led.SetComPort(&port);
        port.signal(&TComLink::OnConn, true);
        EXPECT_EQ(Raised([&] { lamp.led.SetState(TLedState::lsOff); }), std::make_pair(19, -1));  // the port rules it
    }
    EXPECT_EQ(lamp.led.ComPort(), nullptr);
    EXPECT_EQ(lamp.log, "on@0 off@0");
}

// A callback from another thread is carried over to the lamp's thread; an
// OnChange that throws goes to the hook, never back into the port.
TEST(ComLed, PortCallbacksRunInTheLampsThreadAndNeverThrow)
{
    ActivePort port;
    Lamp lamp(TComLedSignal::lsRx);
    lamp.led.SetComPort(&port);
    std::thread([&] { port.signal(&TComLink::OnRx, true); }).join();
    EXPECT_EQ(lamp.led.State(), TLedState::lsOff);
    EXPECT_TRUE(waitFor([&] { return lamp.led.State() == TLedState::lsOn; }));
    HookMessages hook;
    lamp.led.OnChange = [](TComLed*, TLedState) { throw std::runtime_error("handler failed"); };
    EXPECT_NO_THROW(port.signal(&TComLink::OnRx, false));
    EXPECT_NO_THROW(lamp.clock->advance(100));  // from the switch-off timer
    EXPECT_NO_THROW(port.signal(&TComLink::OnRx, true));
    EXPECT_EQ(hook.take(), (Strings{"handler failed", "handler failed"}));
}

// Lit inside a port call (a blocking write, say) the lamp is painted at once,
// and no other pending event runs inside the port's call.
TEST(ComLed, LightingInsideAPortCallPaintsTheLampButRunsNoOtherEvent)
{
    ActivePort port;
    CountingLed led;
    led.SetLedSignal(TComLedSignal::lsTx);
    led.SetComPort(&port);
    led.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&led, 5000));
    ASSERT_TRUE(waitFor([&] { return led.paints > 0; }));
    bool otherEventRan = false;
    QMetaObject::invokeMethod(&led, [&] { otherEventRan = true; }, Qt::QueuedConnection);
    const int paintsBefore = led.paints;
    port.signal(&TComLink::OnTx, true);
    EXPECT_GT(led.paints, paintsBefore);
    EXPECT_FALSE(otherEventRan);
    EXPECT_TRUE(waitFor([&] { return otherEventRan; }));
}

// Each kind is lit in its colour and brighter than unlit; the lamp draws the
// picture of its state in the middle, the unlit one while disabled.
TEST(ComLed, DrawsThePictureOfItsState)
{
    const struct { TLedKind kind; int hue; /* of the lit body */ } kinds[] = {
        {TLedKind::lkRedLight, 0}, {TLedKind::lkGreenLight, 120}, {TLedKind::lkBlueLight, 220},
        {TLedKind::lkYellowLight, 55}, {TLedKind::lkPurpleLight, 295}, {TLedKind::lkBulb, 55},
    };
    for (const auto& k : kinds) {
        TComLed led;
        led.SetKind(k.kind);
        led.SetState(TLedState::lsOn);
        const QColor on = led.grab().toImage().pixel(12, 12);
        led.setEnabled(false);
        const QColor off = led.grab().toImage().pixel(12, 12);
        EXPECT_NEAR(on.hue(), k.hue, 10) << ord(k.kind);
        EXPECT_GT(on.lightness(), off.lightness() + 20) << ord(k.kind);
        EXPECT_EQ(on.rgb(), ledGlyph(ledGlyphName(k.kind, TLedState::lsOn)).pixel(7, 7));
    }
}
