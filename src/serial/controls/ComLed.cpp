#include "serial/controls/ComLed.h"

#include <QPainter>
#include <QThread>

#include <algorithm>
#include <utility>

#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"
#include "serial/controls/ComLedGlyphs.h"

namespace serial {
namespace {

constexpr int kLedSize = 25;
constexpr int kSwitchOffDelayMs = 100;

} // namespace

TComLed::TComLed(QWidget* parent) : TComLed(nullptr, parent) {}

TComLed::TComLed(std::unique_ptr<TimerTicker> ticker, QWidget* parent)
    : QWidget(parent), FTimer(std::move(ticker))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(kLedSize, kLedSize);
    hookSignal();
    FComLink.OnDestroying = [this](TCustomComPort*) { portDestroying(); };
    FTimer.OnTimer = [this] { TimerEvent(); };
}

TComLed::~TComLed()
{
    FTimer.SetEnabled(false);
    try {
        SetComPort(nullptr);
    } catch (...) {
        handleException(std::current_exception());
    }
}

QSize TComLed::sizeHint() const
{
    return {kLedSize, kLedSize};
}

// --- port ---------------------------------------------------------------------

void TComLed::SetComPort(TCustomComPort* value)
{
    if (value == FComPort)
        return;
    if (TCustomComPort* old = std::exchange(FComPort, nullptr))
        old->UnRegisterLink(&FComLink);
    if (!value) {
        SetStateInternal(TLedState::lsOff);
        return;
    }
    value->RegisterLink(&FComLink);
    FComPort = value;
    if (value->Connected())
        SetStateInternal(IsStateOn() ? TLedState::lsOn : TLedState::lsOff);
}

void TComLed::portDestroying()
{
    try {
        SetComPort(nullptr);
    } catch (...) {
        handleException(std::current_exception());
    }
}

bool TComLed::IsStateOn()
{
    switch (FLedSignal) {
    case TComLedSignal::lsConn:
        return FComPort && FComPort->Connected();
    case TComLedSignal::lsCTS:
        return FComPort->Signals().contains(TComSignal::csCTS);
    case TComLedSignal::lsDSR:
        return FComPort->Signals().contains(TComSignal::csDSR);
    case TComLedSignal::lsRLSD:
        return FComPort->Signals().contains(TComSignal::csRLSD);
    case TComLedSignal::lsRing:
    case TComLedSignal::lsRx:
    case TComLedSignal::lsTx:
        break;
    }
    return false;
}

template <class Action>
void TComLed::fromPort(Action action)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, action] { fromPort(action); }, Qt::QueuedConnection);
        return;
    }
    try {
        action();
    } catch (...) {
        handleException(std::current_exception());
    }
}

void TComLed::SetLedSignal(TComLedSignal value)
{
    if (value == FLedSignal)
        return;
    FLedSignal = value;
    hookSignal();
}

void TComLed::hookSignal()
{
    TComSignalEvent TComLink::*const signalCallbacks[] = {
        &TComLink::OnConn, &TComLink::OnCTSChange, &TComLink::OnDSRChange, &TComLink::OnRLSDChange,
        &TComLink::OnTx, &TComLink::OnRx};
    for (auto callback : signalCallbacks)
        FComLink.*callback = nullptr;
    FComLink.OnRing = nullptr;

    auto signalChange = [this](TCustomComPort*, bool OnOff) {
        fromPort([this, OnOff] { SignalChange(OnOff); });
    };
    switch (FLedSignal) {
    case TComLedSignal::lsConn: FComLink.OnConn = signalChange; break;
    case TComLedSignal::lsCTS: FComLink.OnCTSChange = signalChange; break;
    case TComLedSignal::lsDSR: FComLink.OnDSRChange = signalChange; break;
    case TComLedSignal::lsRLSD: FComLink.OnRLSDChange = signalChange; break;
    case TComLedSignal::lsRx: FComLink.OnRx = signalChange; break;
    case TComLedSignal::lsTx: FComLink.OnTx = signalChange; break;
    case TComLedSignal::lsRing:
        FComLink.OnRing = [this](TCustomComPort*) { fromPort([this] { RingDetect(); }); };
        break;
    }
}

// --- state ----------------------------------------------------------------------

void TComLed::SignalChange(bool OnOff)
{
    if (OnOff) {
        // A signal back on cancels a switch-off still pending.
        FTimer.SetEnabled(false);
        if (FState == TLedState::lsOn)
            return;
        SetStateInternal(TLedState::lsOn);
        // Shown before the caller (a blocking write, say) goes on. Only the
        // lamp is painted: handling other pending events here would run
        // them inside the port's call.
        repaint();
        return;
    }
    if (FState == TLedState::lsOff)
        return;
    // A switch-off already pending keeps its time.
    FTimer.SetEnabled(true);
    FTimer.SetInterval(kSwitchOffDelayMs);
    FPendingState = TLedState::lsOff;
}

void TComLed::RingDetect()
{
    FTimer.SetInterval(FRingDuration);
    FTimer.SetEnabled(true);
    SetStateInternal(TLedState::lsOn);
    FPendingState = TLedState::lsOff;
}

void TComLed::TimerEvent()
{
    FTimer.SetEnabled(false);
    SetStateInternal(FPendingState);
}

void TComLed::SetState(TLedState value)
{
    if (FComPort)
        throw EComPort("ComLed ", CError_LedStateFailed);
    SetStateInternal(value);
}

void TComLed::SetStateInternal(TLedState value)
{
    FState = value;
    DoChange(value);
    update();
}

void TComLed::DoChange(TLedState AState)
{
    if (OnChange)
        OnChange(this, AState);
}

// --- pictures -------------------------------------------------------------------

void TComLed::SetKind(TLedKind value)
{
    if (value == FKind)
        return;
    FKind = value;
    loadGlyphs();
    update();
}

void TComLed::loadGlyphs()
{
    if (FKind == TLedKind::lkCustom)
        return;
    for (TLedState state : {TLedState::lsOff, TLedState::lsOn})
        FGlyphs[ord(state)] = ledGlyph(ledGlyphName(FKind, state));
}

void TComLed::SetGlyph(TLedState index, const QImage& value)
{
    if (FKind != TLedKind::lkCustom)
        return;
    FGlyphs[ord(index)] = value;
    update();
}

void TComLed::paintEvent(QPaintEvent*)
{
    try {
        if (FGlyphs[0].isNull() || FGlyphs[1].isNull())
            loadGlyphs();
        const QImage& picture = FGlyphs[ord(isEnabled() ? FState : TLedState::lsOff)];
        if (picture.isNull())
            return;
        const QRect r = rect();
        const int x = r.left() + std::max(0, (r.width() - picture.width()) / 2);
        const int y = r.top() + std::max(0, (r.height() - picture.height()) / 2);
        QPainter painter(this);
        painter.drawImage(x, y, transparentLedImage(picture));
    } catch (...) {
        handleException(std::current_exception());
    }
}

} // namespace serial
