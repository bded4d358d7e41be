#pragma once
// A 25 x 25 signal lamp that shows one signal of a serial port (or, without
// a port, whatever state code gives it) as a lit or an unlit picture.
//
// The lamp follows its port through a link, hooking the one callback of the
// signal it shows. A signal that drops puts the lamp out 100 ms later, so
// short activity stays visible; a signal that comes back before then keeps
// it lit. A ring lights it for RingDuration milliseconds (0: for good).
//
// The lamp belongs to the GUI thread. Port callbacks that arrive on another
// thread are carried over to it. An exception from OnChange raised inside a
// port callback or the switch-off timer goes to the serial library's
// exception hook, never back into the port.
#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "serial/ComLink.h"
#include "serial/ComTypes.h"
#include "serial/controls/IntervalTimer.h"

namespace serial {

class TCustomComPort;

class TComLed : public QWidget {
    Q_OBJECT
public:
    using TLedStateEvent = std::function<void(TComLed* Sender, TLedState AState)>;

    // Red, off, showing lsConn, no port, RingDuration 1000.
    explicit TComLed(QWidget* parent = nullptr);
    // The same with the ticker the switch-off timer counts with.
    explicit TComLed(std::unique_ptr<TimerTicker> ticker, QWidget* parent = nullptr);
    // Unlinks the port, which puts the lamp out (OnChange runs).
    ~TComLed() override;

    // Linking another port unlinks the previous one. A port that is open
    // sets the state at once from its signal (lsConn: on; CTS, DSR, RLSD:
    // from the modem lines; ring and data: off); a closed one leaves it.
    // Unlinking puts the lamp out. The lamp unlinks itself when the port is
    // freed first.
    TCustomComPort* ComPort() const { return FComPort; }
    void SetComPort(TCustomComPort* value);
    // The state is not read again when the signal changes.
    TComLedSignal LedSignal() const { return FLedSignal; }
    void SetLedSignal(TComLedSignal value);
    // Any kind but lkCustom loads its two pictures; lkCustom keeps the
    // pictures there are until GlyphOn / GlyphOff are set.
    TLedKind Kind() const { return FKind; }
    void SetKind(TLedKind value);
    // The pictures; null until the first paint or Kind change loads them.
    // Setting one is ignored unless Kind is lkCustom. The colour of a
    // picture's bottom-left pixel is drawn transparent.
    const QImage& GlyphOn() const { return FGlyphs[ord(TLedState::lsOn)]; }
    void SetGlyphOn(const QImage& value) { SetGlyph(TLedState::lsOn, value); }
    const QImage& GlyphOff() const { return FGlyphs[ord(TLedState::lsOff)]; }
    void SetGlyphOff(const QImage& value) { SetGlyph(TLedState::lsOff, value); }
    // Setting the state raises EComPort CError_LedStateFailed while a port is
    // linked; else OnChange runs even for the state already shown.
    TLedState State() const { return FState; }
    void SetState(TLedState value);
    // Read at the next ring.
    int RingDuration() const { return FRingDuration; }
    void SetRingDuration(int value) { FRingDuration = value; }

    // Runs at each state change, also to the state already shown.
    TLedStateEvent OnChange;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // Runs OnChange.
    virtual void DoChange(TLedState AState);
    // Draws the picture of the state, or the unlit one while disabled (a
    // change of enabled repaints, as for every widget).
    void paintEvent(QPaintEvent* event) override;

private:
    void hookSignal();
    void SetGlyph(TLedState index, const QImage& value);
    void loadGlyphs();
    bool IsStateOn();
    void SetStateInternal(TLedState value);
    // Port callbacks and the timer.
    void SignalChange(bool OnOff);
    void RingDetect();
    void TimerEvent();
    void portDestroying();
    // Runs `action` in the lamp's thread, its exceptions to the hook.
    template <class Action>
    void fromPort(Action action);

    TCustomComPort* FComPort = nullptr;
    TComLedSignal FLedSignal = TComLedSignal::lsConn;
    TLedKind FKind = TLedKind::lkRedLight;
    TLedState FState = TLedState::lsOff;
    TLedState FPendingState = TLedState::lsOff;
    std::array<QImage, 2> FGlyphs;  // by TLedState
    TComLink FComLink;
    int FRingDuration = 1000;
    IntervalTimer FTimer;
};

} // namespace serial
