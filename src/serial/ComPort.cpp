#include "serial/ComPort.h"

#include <algorithm>
#include <cerrno>

#include "platform/ScopeExit.h"
#include "serial/ComDebug.h"
#include "serial/ComErrors.h"
#include "serial/ExceptionHook.h"
#include "serial/engine/ComIoState.h"
#include "serial/engine/ComThread.h"

namespace serial {

TCustomComPort::TCustomComPort() : FIo(std::make_unique<ComIoState>()) {}

TCustomComPort::~TCustomComPort()
{
    try {
        CallLinkNotify(&TComLink::OnDestroying);
    } catch (...) {
        handleException(std::current_exception());
    }
    try {
        Close();
    } catch (...) {
        handleException(std::current_exception());
    }
    forceClose();
}

void TCustomComPort::forceClose() noexcept
{
    if (!FConnected && !FHandle)
        return;
    FIo->abort.beginClose();
    try {
        stopEvents();
    } catch (...) {
        handleException(std::current_exception());
    }
    try {
        DestroyHandle();
    } catch (...) {
        handleException(std::current_exception());
    }
    FHandle.reset();
    FConnected = false;
}

// --- component -------------------------------------------------------------

void TCustomComPort::Loaded()
{
    FLoading = false;
    if (FConnected) {
        FConnected = false;
        try {
            Open();
        } catch (...) {
            handleException(std::current_exception());
        }
    }
}

// --- opening and closing -----------------------------------------------------

void TCustomComPort::Open()
{
    if (FConnected)
        return;
    CallBeforeOpen();
    CreateHandle();
    FConnected = true;
    try {
        SetupComPort();
        startEvents();
    } catch (...) {
        try {
            stopEvents();
        } catch (...) {
            // the first failure is the one to report
        }
        DestroyHandle();
        FConnected = false;
        throw;
    }
    CallAfterOpen();
}

void TCustomComPort::Close()
{
    if (!FConnected || FClosing)
        return;
    // A handler that runs while the port closes may call Close again:
    // that does nothing.
    {
        FClosing = true;
        const platform::ScopeExit closing([this] { FClosing = false; });
        CallBeforeClose();
        AbortAllAsync();
        // From here no operation waits any more, so nothing holds the
        // device when it closes.
        FIo->abort.beginClose();
        stopEvents();
        DestroyHandle();
        FConnected = false;
    }
    CallAfterClose();
}

void TCustomComPort::SetConnected(bool value)
{
    if (FLoading) {
        FConnected = value;
        return;
    }
    if (value == FConnected)
        return;
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::BeginUpdate()
{
    ++FUpdateCount;
}

void TCustomComPort::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    if (--FUpdateCount == 0)
        SetupComPort();
}

void TCustomComPort::CreateHandle()
{
    const std::string path = platform::serialDevicePath(FPort);
    std::unique_ptr<platform::SerialDevice> device = platform::createSerialDevice();
    if (const int err = device->open(path)) {
        comDebugText("CreateFile " + path);
        throw EComPortExt(FPort, CError_OpenFailed, err);
    }
    if (const int err = FIo->open()) {
        device->close();
        throw EComPortExt(FPort, CError_OpenFailed, err);
    }
    // Until the groups are applied the device runs in raw mode with the
    // default time-outs and queue sizes.
    const TComTimeouts defaultTimeouts;
    const TComBuffer defaultBuffer;
    {
        std::lock_guard lock(FAppliedLock);
        FAppliedLineState = platform::SerialLineState{};
        FAppliedTimeouts = timeoutsImageOf(defaultTimeouts);
        FAppliedInputSize = defaultBuffer.InputSize();
    }
    FIo->input.reset(defaultBuffer.InputSize(), ComInputRules{}, 0);
    FIo->events.clear();
    FIo->outputHeld = false;
    {
        std::lock_guard lock(FIo->statusMutex);
        FIo->statusCounters = {};
        if (device->hasModemLines())
            device->counters(FIo->statusCounters);  // errors before the opening do not count
    }
    std::unique_lock gate(FIo->gate);
    FHandle = std::move(device);
}

void TCustomComPort::DestroyHandle()
{
    if (!FHandle)
        return;
    // No operation may wait on a device about to close.
    FIo->abort.beginClose();
    std::unique_lock gate(FIo->gate);
    FHandle->close();
    FHandle.reset();
}

void TCustomComPort::SetupComPort()
{
    ApplyBuffer();
    ApplyCommState();
    ApplyTimeouts();
}

// --- applying settings ---------------------------------------------------------

bool TCustomComPort::canApply() const
{
    return FConnected && FHandle && FUpdateCount == 0 && !FLoading;
}

void TCustomComPort::raiseDeviceError(ComErrorCode code, int error) const
{
    throw EComPortExt(FPort, code, error);
}

platform::SerialLineState TCustomComPort::lineStateImage() const
{
    namespace p = platform;
    p::SerialLineState s;
    s.BaudRate = FBaudRate == TBaudRate::brCustom ? static_cast<std::uint32_t>(FCustomBaudRate)
                                                  : baudRateValue(FBaudRate);
    std::uint32_t flags = p::kLineBinary;
    const TComFlowControl& f = FFlowControl;
    if (FParity.Check())
        flags |= p::kLineParityCheck;
    if (f.OutCTSFlow())
        flags |= p::kLineOutxCtsFlow;
    if (f.OutDSRFlow())
        flags |= p::kLineOutxDsrFlow;
    flags |= dtrControlValue(f.ControlDTR());
    if (f.DSRSensitivity())
        flags |= p::kLineDsrSensitivity;
    if (f.TxContinueOnXoff())
        flags |= p::kLineTxContinueOnXoff;
    if (f.XonXoffOut())
        flags |= p::kLineOutX;
    if (f.XonXoffIn())
        flags |= p::kLineInX;
    const bool errorChar = FParity.Check() && FParity.Replace();
    if (errorChar)
        flags |= p::kLineErrorChar;
    if (FDiscardNull)
        flags |= p::kLineNull;
    flags |= rtsControlValue(f.ControlRTS());
    s.Flags = flags;
    s.XonLim = static_cast<std::uint16_t>(FBuffer.InputSize() / 4);
    s.XoffLim = s.XonLim;
    s.ByteSize = dataBitsValue(FDataBits);
    s.Parity = parityValue(FParity.Bits());
    s.StopBits = stopBitsValue(FStopBits);
    s.XonChar = static_cast<std::uint8_t>(f.XonChar());
    s.XoffChar = static_cast<std::uint8_t>(f.XoffChar());
    s.ErrorChar = errorChar ? static_cast<std::uint8_t>(FParity.ReplaceChar()) : 0;
    s.EofChar = 0;
    s.EvtChar = static_cast<std::uint8_t>(FEventChar);
    return s;
}

platform::SerialTimeouts TCustomComPort::timeoutsImage() const
{
    return timeoutsImageOf(FTimeouts);
}

platform::SerialTimeouts TCustomComPort::timeoutsImageOf(const TComTimeouts& timeouts)
{
    platform::SerialTimeouts t;
    t.ReadIntervalTimeout = static_cast<std::uint32_t>(timeouts.ReadInterval());
    t.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(timeouts.ReadTotalMultiplier());
    t.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(timeouts.ReadTotalConstant());
    t.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(timeouts.WriteTotalMultiplier());
    t.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(timeouts.WriteTotalConstant());
    return t;
}

void TCustomComPort::ApplyBuffer()
{
    if (!canApply())
        return;
    const int in = FBuffer.InputSize();
    const int out = FBuffer.OutputSize();
    if (in < 0 || out < 0 || in > kMaxQueueSize || out > kMaxQueueSize)
        raiseDeviceError(CError_SetupComFailed, EINVAL);
    if (const int err = FHandle->setQueueSizes(in, out))
        raiseDeviceError(CError_SetupComFailed, err);
    {
        std::lock_guard lock(FAppliedLock);
        FAppliedInputSize = in;
    }
    configureInput();
}

void TCustomComPort::ApplyCommState()
{
    if (!canApply())
        return;
    // A custom rate of 0 or less would reach the driver as speed 0, which
    // hangs the line up.
    if (FBaudRate == TBaudRate::brCustom && FCustomBaudRate <= 0)
        raiseDeviceError(CError_SetStateFailed, EINVAL);
    const platform::SerialLineState state = lineStateImage();
    if (const int err = FHandle->setLineState(state))
        raiseDeviceError(CError_SetStateFailed, err);
    {
        std::lock_guard lock(FAppliedLock);
        FAppliedLineState = state;
    }
    configureInput();
}

void TCustomComPort::ApplyTimeouts()
{
    if (!canApply())
        return;
    const platform::SerialTimeouts timeouts = timeoutsImage();
    if (const int err = FHandle->setTimeouts(timeouts))
        raiseDeviceError(CError_TimeoutsFailed, err);
    std::lock_guard lock(FAppliedLock);
    FAppliedTimeouts = timeouts;
}

void TCustomComPort::configureInput()
{
    std::lock_guard lock(FAppliedLock);
    const platform::SerialLineState& s = FAppliedLineState;
    ComInputRules rules;
    rules.marked = (s.Flags & platform::kLineParityCheck) != 0;
    rules.replaceErrors = (s.Flags & platform::kLineErrorChar) != 0;
    rules.errorChar = s.ErrorChar;
    rules.discardNull = (s.Flags & platform::kLineNull) != 0;
    FIo->input.configure(FAppliedInputSize, rules, s.EvtChar);
}

platform::SerialLineState TCustomComPort::appliedLineState() const
{
    std::lock_guard lock(FAppliedLock);
    return FAppliedLineState;
}

// --- setters ---------------------------------------------------------------------

namespace {

// Stores `value` and reports whether it changed.
template <class T>
bool storeChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void TCustomComPort::SetBaudRate(TBaudRate value)
{
    if (storeChanged(FBaudRate, value))
        ApplyCommState();
}

void TCustomComPort::SetCustomBaudRate(int value)
{
    if (storeChanged(FCustomBaudRate, value))
        ApplyCommState();
}

void TCustomComPort::SetStopBits(TStopBits value)
{
    if (storeChanged(FStopBits, value))
        ApplyCommState();
}

void TCustomComPort::SetDataBits(TDataBits value)
{
    if (storeChanged(FDataBits, value))
        ApplyCommState();
}

void TCustomComPort::SetDiscardNull(bool value)
{
    if (storeChanged(FDiscardNull, value))
        ApplyCommState();
}

void TCustomComPort::SetEventChar(char value)
{
    if (storeChanged(FEventChar, value))
        ApplyCommState();
}

void TCustomComPort::SetPort(const std::string& value)
{
    if (!storeChanged(FPort, value))
        return;
    if (FConnected && !FLoading) {
        Close();
        Open();
    }
}

void TCustomComPort::SetParity(const TComParity& value)
{
    FParity.Assign(value);
    ApplyCommState();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value)
{
    FFlowControl.Assign(value);
    ApplyCommState();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value)
{
    FTimeouts.Assign(value);
    ApplyTimeouts();
}

void TCustomComPort::SetBuffer(const TComBuffer& value)
{
    FBuffer.Assign(value);
    ApplyBuffer();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value)
{
    if (value == FSyncMethod)
        return;
    if (FConnected && !FLoading)
        throw EComPort(FPort, CError_ConnChangeProp);
    FSyncMethod = value;
}

void TCustomComPort::SetEventThreadPriority(TThreadPriority value)
{
    if (value == FEventThreadPriority)
        return;
    if (FConnected && !FLoading)
        throw EComPort(FPort, CError_ConnChangeProp);
    FEventThreadPriority = value;
}

void TCustomComPort::SetTriggersOnRxChar(bool value)
{
    if (FHasLink)
        throw EComPort(FPort, CError_HasLink);
    FTriggersOnRxChar = value;
}

void TCustomComPort::SetOverlapped(bool value)
{
    if (!FConnected)
        FOverlapped = value;
}

// --- links -----------------------------------------------------------------------

void TCustomComPort::RegisterLink(TComLink* link)
{
    std::lock_guard lock(FLinksLock);
    if (!link || isRegistered(link))
        throw EComPort(FPort, CError_RegFailed);
    FLinks.push_back(link);
    updateHasLink();
}

void TCustomComPort::UnRegisterLink(TComLink* link)
{
    std::lock_guard lock(FLinksLock);
    auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end())
        throw EComPort(FPort, CError_RegFailed);
    FLinks.erase(it);
    updateHasLink();
}

bool TCustomComPort::isRegistered(const TComLink* link) const
{
    return std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end();
}

std::vector<TComLink*> TCustomComPort::Links() const
{
    std::lock_guard lock(FLinksLock);
    return FLinks;
}

void TCustomComPort::updateHasLink()
{
    FHasLink = std::any_of(FLinks.begin(), FLinks.end(), [](const TComLink* l) { return bool(l->OnRxBuf); });
}

// A callback may register or remove links: walk a copy, and skip a link
// that has been removed meanwhile. The list stays locked during the calls,
// so a link removed from another thread is not called after its removal.
template <class Callback, class... Args>
void TCustomComPort::callLinks(Callback TComLink::*callback, Args... args)
{
    std::lock_guard lock(FLinksLock);
    const std::vector<TComLink*> links = FLinks;
    for (TComLink* link : links)
        if (isRegistered(link) && link->*callback)
            (link->*callback)(this, args...);
}

void TCustomComPort::CallLinkSignal(TComSignalEvent TComLink::*callback, bool OnOff)
{
    callLinks(callback, OnOff);
}

void TCustomComPort::CallLinkNotify(TNotifyEvent TComLink::*callback)
{
    callLinks(callback);
}

void TCustomComPort::CallLinkTxBuf(const char* Buffer, int Count)
{
    callLinks(&TComLink::OnTxBuf, Buffer, Count);
}

// --- notifications ----------------------------------------------------------------

void TCustomComPort::CallBeforeOpen()
{
    DoBeforeOpen();
}

void TCustomComPort::CallAfterOpen()
{
    CallLinkSignal(&TComLink::OnConn, true);
    DoAfterOpen();
    CallSignalsChanged(true);
}

void TCustomComPort::CallBeforeClose()
{
    CallSignalsChanged(false);
    DoBeforeClose();
}

void TCustomComPort::CallAfterClose()
{
    CallLinkSignal(&TComLink::OnConn, false);
    DoAfterClose();
}

void TCustomComPort::CallSignalsChanged(bool OnOff)
{
    if (OnOff) {
        CheckCTS();
        CheckDSR();
        CheckRLSD();
        return;
    }
    CallLinkSignal(&TComLink::OnCTSChange, false);
    CallLinkSignal(&TComLink::OnDSRChange, false);
    CallLinkSignal(&TComLink::OnRLSDChange, false);
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
}

void TCustomComPort::CheckCTS()
{
    const bool on = Signals().contains(TComSignal::csCTS);
    CallLinkSignal(&TComLink::OnCTSChange, on);
    DoCTSChange(on);
}

void TCustomComPort::CheckDSR()
{
    const bool on = Signals().contains(TComSignal::csDSR);
    CallLinkSignal(&TComLink::OnDSRChange, on);
    DoDSRChange(on);
}

void TCustomComPort::CheckRLSD()
{
    const bool on = Signals().contains(TComSignal::csRLSD);
    CallLinkSignal(&TComLink::OnRLSDChange, on);
    DoRLSDChange(on);
}

// --- event properties ------------------------------------------------------------

void TCustomComPort::DoAfterClose() { if (OnAfterClose) OnAfterClose(this); }
void TCustomComPort::DoAfterOpen() { if (OnAfterOpen) OnAfterOpen(this); }
void TCustomComPort::DoBeforeClose() { if (OnBeforeClose) OnBeforeClose(this); }
void TCustomComPort::DoBeforeOpen() { if (OnBeforeOpen) OnBeforeOpen(this); }
void TCustomComPort::DoRxChar(int Count) { if (OnRxChar) OnRxChar(this, Count); }
void TCustomComPort::DoRxBuf(const char* Buffer, int Count) { if (OnRxBuf) OnRxBuf(this, Buffer, Count); }
void TCustomComPort::DoTxEmpty() { if (OnTxEmpty) OnTxEmpty(this); }
void TCustomComPort::DoBreak() { if (OnBreak) OnBreak(this); }
void TCustomComPort::DoRing() { if (OnRing) OnRing(this); }
void TCustomComPort::DoRxFlag() { if (OnRxFlag) OnRxFlag(this); }
void TCustomComPort::DoCTSChange(bool OnOff) { if (OnCTSChange) OnCTSChange(this, OnOff); }
void TCustomComPort::DoDSRChange(bool OnOff) { if (OnDSRChange) OnDSRChange(this, OnOff); }
void TCustomComPort::DoError(TComErrors Errors) { if (OnError) OnError(this, Errors); }
void TCustomComPort::DoRLSDChange(bool OnOff) { if (OnRLSDChange) OnRLSDChange(this, OnOff); }
void TCustomComPort::DoRx80Full() { if (OnRx80Full) OnRx80Full(this); }

} // namespace serial
