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
//
// Data path: the port keeps its own input queue, filled from the device by
// whoever needs the bytes (a read, a queue query, the event thread). Reads
// and writes follow the port's time-outs; a write is done when its bytes
// have left the port. Line events are watched by an event thread while the
// port is open (TComThread) and delivered as SyncMethod says.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"
#include "platform/SerialLineState.h"
#include "serial/ComErrors.h"
#include "serial/ComLink.h"
#include "serial/ComSettings.h"
#include "serial/ComTypes.h"

namespace serial {

class ComHandOver;
class TComThread;
struct ComIoState;
// The record of one overlapped operation (ComAsync.h).
struct TCPortAsync;
using PCPortAsync = TCPortAsync*;

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
    // Loading, for giving a port all its settings at once (Connected among
    // them): until Loaded(), setters only store and nothing reaches the
    // device; a port stored as connected is opened by Loaded().
    void beginLoading() { FLoading = true; }
    bool loading() const { return FLoading; }
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

    // Refused (CError_ConnChangeProp) while the port is open.
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    void SetSyncMethod(TSyncMethod value);
    TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
    void SetEventThreadPriority(TThreadPriority value);
    // Reads false while a registered link takes received data; setting it
    // then is refused (CError_HasLink).
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
    virtual void ApplyCommState();   // failure: CError_SetStateFailed
    virtual void ApplyTimeouts();    // failure: CError_TimeoutsFailed
    virtual void ApplyBuffer();      // failure: CError_SetupComFailed
    // The images the groups are applied from.
    platform::SerialLineState lineStateImage() const;
    platform::SerialTimeouts timeoutsImage() const;
    static platform::SerialTimeouts timeoutsImageOf(const TComTimeouts& timeouts);
    // The line state last applied to the open device; right after opening a
    // zero line state (raw 8-bit line, nothing applied). Safe to read from
    // any thread.
    platform::SerialLineState appliedLineState() const;

    // --- reads and writes --------------------------------------------------
    // None of these checks that the port is open (except the non-overlapped
    // write); on a closed port or a device that has gone they fail with
    // their codes. A program that reads or writes from two threads at once
    // orders the calls itself.
    //
    // Blocking write: returns the bytes that left the port, which are fewer
    // than Count when the write time-out passed. Overlapped: CError_WriteFailed
    // when the write fails; links get OnTx(true) and OnTxBuf. Not overlapped: 0
    // and SyncWriteErrors counted on failure, 0 uncounted on a closed port, and
    // no link is told.
    int Write(const void* Buffer, int Count);
    // The same for a string; in overlapped mode each call also writes the
    // debug text "TCustomComPort.WriteStr".
    int WriteStr(const std::string& Str);
    // Blocking read of up to Count bytes, ended as the read time-outs say.
    // Returns the bytes read; with nothing read the first byte of Buffer is
    // 255. A read that cannot start is only counted (ReadAsyncErrorCount,
    // ReadAsyncLastError) unless ReadAsyncExceptionsEnabled (then
    // CError_ReadFailed); one that fails while it waits raises
    // CError_ReadFailed (ECANCELED when aborted).
    int Read(void* Buffer, int Count);
    // The same into Str, which then holds exactly the bytes read.
    int ReadStr(std::string& Str, int Count);

    // Overlapped operations on a record made by InitAsync (CError_InvalidAsync
    // for none): start one, look with IsAsyncCompleted, wait with WaitForAsync.
    // The caller keeps the bytes, or the destination, until WaitForAsync has
    // returned. Each returns the bytes moved at once (0 while pending).
    int WriteAsync(const void* Buffer, int Count, PCPortAsync AsyncPtr);
    int WriteStrAsync(const std::string& Str, PCPortAsync AsyncPtr);
    int ReadAsync(void* Buffer, int Count, PCPortAsync AsyncPtr);
    // Str is sized to Count and read into; nothing starts for Count < 1.
    int ReadStrAsync(std::string& Str, int Count, PCPortAsync AsyncPtr);
    // Waits until the operation is done and returns the bytes moved;
    // CError_WriteFailed or CError_ReadFailed when it failed. Then, unless
    // InputCountNotSupported, a read that left the input queue empty tells the
    // links OnRx(false) and a write tells them OnTxBuf with the bytes that left
    // the port.
    int WaitForAsync(PCPortAsync AsyncPtr);
    // Whether the operation is done, moving it on without waiting;
    // CError_AsyncCheck when it failed.
    bool IsAsyncCompleted(PCPortAsync AsyncPtr);
    // Ends the pending operations of the port (they fail with ECANCELED).
    // Overlapped mode only; CError_PurgeFailed when it cannot. Also called by
    // Close.
    virtual void AbortAllAsync();

    // --- queues and line status ------------------------------------------
    // Each of the four status queries also clears the line errors counted so
    // far (LastErrors reports them); CError_ClearComFailed when the device
    // cannot tell.
    int InputCount();    // 0 without asking when InputCountNotSupported
    int OutputCount();
    TComStateFlags StateFlags();
    TComErrors LastErrors();
    // Modem input lines that are on; empty for a line without modem lines
    // and for a port that is not overlapped. Failure: CError_ModemStatFailed.
    TComSignals Signals();
    // Line control (CError_EscapeComFailed). SetXonXoff(false) holds output as
    // if XOFF had come, SetXonXoff(true) lets it go on.
    void SetBreak(bool OnOff);
    void SetDTR(bool OnOff);
    void SetRTS(bool OnOff);
    void SetXonXoff(bool OnOff);
    // Discards the input and/or output queue (CError_PurgeFailed).
    void ClearBuffer(bool Input, bool Output);
    // Sends one character at once (CError_TransmitFailed when the line takes
    // none now).
    void TransmitChar(char Ch);
    // For a port without an event thread (CError_ThreadCreated while one runs):
    // waits in the calling thread until one of Events happens, StopEvent (a
    // descriptor such as an eventfd; 0 or less for none) becomes readable, or
    // Timeout ms pass (negative: no limit). Events is set to the events that
    // happened, empty for a stop or time-out. CError_WaitFailed when the wait
    // fails.
    void WaitForEvent(TComEvents& Events, int StopEvent, int Timeout);
    // Runs the port setup dialog on this port (see setSetupDialogHook).
    void ShowSetupDialog();

    // --- links and the event thread ----------------------------------------
    // Links are called in registration order. Registering a link twice or
    // removing one that is not registered raises CError_RegFailed. Safe from
    // any thread; a link call from another thread has ended when UnRegisterLink
    // returns. The list stays locked while links are called, so under smNone a
    // link callback must not close its port.
    void RegisterLink(TComLink* link);
    void UnRegisterLink(TComLink* link);
    // The event thread while the port is open and watches events, else null.
    TComThread* EventThread() const { return FEventThread.get(); }
    bool threadCreated() const { return FThreadCreated; }

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
    // Opens the device exclusively in raw binary mode (CError_OpenFailed on
    // failure).
    virtual void CreateHandle();
    // Closes the device, if any.
    virtual void DestroyHandle();
    // Queue sizes, line state, time-outs, in that order.
    virtual void SetupComPort();
    // Called by every Open once the device is set up: starts watching
    // Events when they and Overlapped call for it (and sets FThreadCreated).
    // A failure rolls the opening back like a failed setup. stopEvents undoes
    // it, also after a partial start; Close calls it after AbortAllAsync and
    // before the device is closed. It stops the event thread, runs in place
    // a hand-over the thread waits in (when called in the GUI thread), waits
    // for the thread to end (from the thread itself it only lets it go),
    // ends the deliveries of this opening and discards unread input.
    virtual void startEvents();
    virtual void stopEvents();

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

    // The event checks, one per event, run by the event thread's delivery
    // (deliverEvent).
    void CheckError();
    void CheckRxChar();
    void CheckTxEmpty();
    void CheckBreak();
    void CheckRing();
    void CheckRxFlag();
    void CheckRx80Full();
    // Received bytes for OnRxBuf (part of CheckRxChar); true when the bytes
    // were read.
    bool CallRxBuf(int Count);

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
    // The registered links, in registration order, as they are now.
    std::vector<TComLink*> Links() const;

    // True when an apply operation may reach the device now.
    bool canApply() const;
    // The error of a failed device call, with this port's name.
    [[noreturn]] void raiseDeviceError(ComErrorCode code, int error) const;
    // How deeply BeginUpdate is nested now.
    int updateCount() const { return FUpdateCount; }

private:
    // Runs the check of one event for the event thread; an exception goes
    // to the exception hook.
    void deliverEvent(TComEvent event) noexcept;
    // Tears down whatever is open without notifications; never throws.
    void forceClose() noexcept;
    // The data path: what an operation needs of the port now.
    struct IoUse;
    IoUse beginIo();
    // One status query: line errors since the last query, the output queue
    // and, when asked, the input queue, with the hold flags.
    struct Status;
    Status queryStatus(bool withInput);
    // A write in non-overlapped mode.
    int writeBlocking(const char* Buffer, int Count);
    // Brings the input queue in line with what was applied.
    void configureInput();
    bool isRegistered(const TComLink* link) const;
    void updateHasLink();
    template <class Callback, class... Args>
    void callLinks(Callback TComLink::*callback, Args... args);

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
    TComEvents FEvents = TComEvents::all();
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
    bool FThreadCreated = false;
    int FUpdateCount = 0;
    int FSyncWriteErrors = 0;

    std::unique_ptr<ComIoState> FIo;
    std::unique_ptr<TComThread> FEventThread;
    std::shared_ptr<ComHandOver> FHandOver;
    // Deliveries of the present opening may run while it holds.
    std::shared_ptr<std::atomic<bool>> FDeliveryOpen;
    bool FClosing = false;
    // The links and FHasLink are changed, and the links called, only under
    // FLinksLock.
    mutable std::recursive_mutex FLinksLock;
    std::vector<TComLink*> FLinks;
    std::atomic<bool> FHasLink{false};

    mutable std::mutex FAppliedLock;
    platform::SerialLineState FAppliedLineState;
    platform::SerialTimeouts FAppliedTimeouts;
    int FAppliedInputSize = 0;
};

// The port the windows own; no behaviour of its own.
class TComPort : public TCustomComPort {
};

} // namespace serial
