#pragma once
// The serial port component: its settings, opening and closing, and the
// notifications around them.
//
// Every setter stores its value and, when the port is open, re-applies the
// group of settings it belongs to (line state, time-outs or queue sizes) at
// once, unless BeginUpdate is in force or the component is loading. Failures
// are raised as EComPort / EComPortExt with the library's error codes.
//
// The port reaches its device through platform::createSerialDevice(), so
// tests can put a fake device in place.
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"
#include "platform/SerialLineState.h"
#include "serial/ComLink.h"
#include "serial/ComSettings.h"
#include "serial/ComTypes.h"

namespace serial {

class TCustomComPort {
public:
    TCustomComPort();
    // Closes an open port. Never throws: a failure goes to the exception hook
    // and the device is closed all the same.
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // --- component -------------------------------------------------------
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    // Loading, as from a window description: until Loaded(), setters only
    // store and nothing reaches the device; a port stored as connected is
    // opened by Loaded().
    void BeginLoading() { FLoading = true; }
    bool Loading() const { return FLoading; }
    // Design-time editing does not exist here; kept so the rules read alike.
    static constexpr bool Designing() { return false; }
    // Ends loading and opens a port stored as connected. A failure to open
    // goes to the exception hook; the port then stays closed.
    virtual void Loaded();

    // --- opening and closing --------------------------------------------
    void Open();
    void Close();
    bool Connected() const { return FConnected; }
    void SetConnected(bool value);
    // Defers applying settings until the matching EndUpdate, which applies
    // queue sizes, line state and time-outs together.
    void BeginUpdate();
    void EndUpdate();
    // The open device, or nullptr while closed.
    platform::SerialDevice* Handle() const { return FHandle.get(); }

    // --- settings ---------------------------------------------------------
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(int value);
    const std::string& Port() const { return FPort; }
    // Another name moves an open port: it is closed and opened again; when
    // that fails the port stays closed with the new name.
    void SetPort(const std::string& value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool value);
    char EventChar() const { return FEventChar; }
    void SetEventChar(char value);
    // Takes effect at the next Open.
    TComEvents Events() const { return FEvents; }
    void SetEvents(TComEvents value) { FEvents = value; }

    TComParity& Parity() { return FParity; }
    const TComParity& Parity() const { return FParity; }
    void SetParity(const TComParity& value);
    TComFlowControl& FlowControl() { return FFlowControl; }
    const TComFlowControl& FlowControl() const { return FFlowControl; }
    void SetFlowControl(const TComFlowControl& value);
    TComTimeouts& Timeouts() { return FTimeouts; }
    const TComTimeouts& Timeouts() const { return FTimeouts; }
    void SetTimeouts(const TComTimeouts& value);
    TComBuffer& Buffer() { return FBuffer; }
    const TComBuffer& Buffer() const { return FBuffer; }
    void SetBuffer(const TComBuffer& value);

    // Refused (code 14) while the port is open.
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    void SetSyncMethod(TSyncMethod value);
    TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
    void SetEventThreadPriority(TThreadPriority value);
    // Reads false while a registered link takes received data; setting it
    // then is refused (code 22).
    bool TriggersOnRxChar() const { return FTriggersOnRxChar && !FHasLink; }
    void SetTriggersOnRxChar(bool value);
    TStoredProps StoredProps() const { return FStoredProps; }
    void SetStoredProps(TStoredProps value) { FStoredProps = value; }
    bool InputCountNotSupported() const { return FInputCountNotSupported; }
    void SetInputCountNotSupported(bool value) { FInputCountNotSupported = value; }
    // Ignored while the port is open; takes effect at the next Open.
    bool Overlapped() const { return FOverlapped; }
    void SetOverlapped(bool value);
    bool ReadAsyncExceptionsEnabled() const { return FReadAsyncExceptionsEnabled; }
    void SetReadAsyncExceptionsEnabled(bool value) { FReadAsyncExceptionsEnabled = value; }
    int ReadAsyncErrorCount() const { return FReadAsyncErrorCount; }
    void SetReadAsyncErrorCount(int value) { FReadAsyncErrorCount = value; }
    unsigned ReadAsyncLastError() const { return FReadAsyncLastError; }
    void SetReadAsyncLastError(unsigned value) { FReadAsyncLastError = value; }
    int SyncWriteErrors() const { return FSyncWriteErrors; }

    // --- applying settings -----------------------------------------------
    // Each applies one group to the device; each does nothing unless the
    // port is open, no update is pending and the component is not loading.
    virtual void ApplyCommState();   // failure: code 7
    virtual void ApplyTimeouts();    // failure: code 8
    virtual void ApplyBuffer();      // failure: code 9
    // The images the groups are applied from.
    platform::SerialLineState LineStateImage() const;
    platform::SerialTimeouts TimeoutsImage() const;
    static platform::SerialTimeouts TimeoutsImageOf(const TComTimeouts& timeouts);
    // What was last applied to the open device. Right after opening: a zero
    // line state (raw 8-bit line, nothing applied) and the default time-outs
    // and queue sizes.
    const platform::SerialLineState& AppliedLineState() const { return FAppliedLineState; }
    const platform::SerialTimeouts& AppliedTimeouts() const { return FAppliedTimeouts; }
    int AppliedInputSize() const { return FAppliedInputSize; }
    int AppliedOutputSize() const { return FAppliedOutputSize; }

    // --- line status and links ------------------------------------------
    // Modem input lines that are on; empty for a line without modem lines
    // and for a port that is not overlapped. Failure: code 11.
    TComSignals Signals();
    // Links are called in registration order. Registering a link twice or
    // removing one that is not registered raises code 18.
    void RegisterLink(TComLink* link);
    void UnRegisterLink(TComLink* link);

    // Ends pending reads and writes; called by Close before events stop.
    // Nothing is ever pending in this class.
    virtual void AbortAllAsync();

    // --- event properties ------------------------------------------------
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnRx80Full;

    // Upper limit of each queue size, in bytes.
    static constexpr int kMaxQueueSize = 16 * 1024 * 1024;

protected:
    // Opens the device exclusively in raw binary mode (code 1 on failure).
    virtual void CreateHandle();
    // Closes the device, if any.
    virtual void DestroyHandle();
    // Queue sizes, line state, time-outs, in that order.
    virtual void SetupComPort();
    // Called by every Open once the device is set up: starts watching
    // Events when they and Overlapped call for it (and sets FThreadCreated).
    // A failure rolls the opening back like a failed setup. StopEvents undoes
    // it, also after a partial start; Close calls it after AbortAllAsync and
    // before the device is closed. Neither does anything in this class.
    virtual void StartEvents();
    virtual void StopEvents();

    // Call the event properties when assigned.
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const char* Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoError(TComErrors Errors);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoRx80Full();

    // Opening and closing notifications.
    void CallBeforeOpen();
    void CallAfterOpen();
    void CallBeforeClose();
    void CallAfterClose();
    void CallSignalsChanged(bool OnOff);
    // Line checks: the present state of a modem line to links and handler.
    void CheckCTS();
    void CheckDSR();
    void CheckRLSD();

    // Calls one callback of every registered link that has it assigned.
    void CallLinkSignal(TComSignalEvent TComLink::*callback, bool OnOff);
    void CallLinkNotify(TNotifyEvent TComLink::*callback);
    void CallLinkTxBuf(const char* Buffer, int Count);

    // True when an apply operation may reach the device now.
    bool CanApply() const;
    // The error of a failed device call, with this port's name.
    [[noreturn]] void RaiseDeviceError(std::uint8_t code, int error) const;

    std::vector<TComLink*> FLinks;
    bool FHasLink = false;
    bool FThreadCreated = false;
    int FUpdateCount = 0;
    int FSyncWriteErrors = 0;

private:
    // Tears down whatever is open without notifications; never throws.
    void ForceClose() noexcept;
    void UpdateHasLink();
    template <class Callback, class... Args>
    void CallLinks(Callback TComLink::*callback, Args... args);

    std::string FName;
    bool FLoading = false;
    std::unique_ptr<platform::SerialDevice> FHandle;
    bool FInputCountNotSupported = false;
    bool FTriggersOnRxChar = true;
    TThreadPriority FEventThreadPriority = TThreadPriority::tpNormal;
    bool FConnected = false;
    TBaudRate FBaudRate = TBaudRate::br9600;
    int FCustomBaudRate = 9600;
    std::string FPort = "COM1";
    TStopBits FStopBits = TStopBits::sbOneStopBit;
    TDataBits FDataBits = TDataBits::dbEight;
    bool FDiscardNull = false;
    char FEventChar = 0;
    TComEvents FEvents = TComEvents::All();
    TComParity FParity{this};
    TComFlowControl FFlowControl{this};
    TComTimeouts FTimeouts{this};
    TComBuffer FBuffer{this};
    TSyncMethod FSyncMethod = TSyncMethod::smThreadSync;
    TStoredProps FStoredProps{TStoredProp::spBasic};
    bool FReadAsyncExceptionsEnabled = false;
    int FReadAsyncErrorCount = 0;
    unsigned FReadAsyncLastError = 0;
    bool FOverlapped = true;

    platform::SerialLineState FAppliedLineState;
    platform::SerialTimeouts FAppliedTimeouts;
    int FAppliedInputSize = 0;
    int FAppliedOutputSize = 0;
};

// The port as windows place it; no behaviour of its own.
class TComPort : public TCustomComPort {
};

} // namespace serial
