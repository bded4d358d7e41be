// The data path of the port: reads, writes, queue and line status, line
// control, and waiting for line events without an event thread.
#include <cerrno>
#include <cstring>

#include "serial/ComAsync.h"
#include "serial/ComDebug.h"
#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ComSetupHook.h"
#include "serial/engine/ComEventWatcher.h"
#include "serial/engine/ComIoState.h"
#include "serial/engine/ComLineWatch.h"

namespace serial {

// What an operation needs of the port now; holds the port's device while it
// lives, so closing waits until the operation has let go.
struct TCustomComPort::IoUse {
    std::shared_lock<std::shared_mutex> lock;
    ComTransferPort port;
    platform::SerialTimeouts timeouts;
    std::shared_ptr<ComAbortSignal::Epoch> epoch;
};

TCustomComPort::IoUse TCustomComPort::beginIo()
{
    IoUse use{std::shared_lock(FIo->gate), {}, {}, FIo->abort.current()};
    use.port.device = FHandle.get();
    use.port.input = &FIo->input;
    use.port.events = &FIo->events;
    std::lock_guard lock(FAppliedLock);
    use.port.characterTime = characterTime(FAppliedLineState);
    use.timeouts = FAppliedTimeouts;
    return use;
}

// --- overlapped operations -------------------------------------------------

namespace {

TCPortAsync& asyncRecord(PCPortAsync AsyncPtr, const std::string& port)
{
    if (!AsyncPtr)
        throw EComPort(port, CError_InvalidAsync);
    return *AsyncPtr;
}

std::size_t sizeOf(int count)
{
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

// An operation that failed on its first step. One aborted meanwhile has
// started; its wait reports the abort.
bool failedToStart(const ComTransfer& t)
{
    return !t.pending() && t.error() && t.error() != ECANCELED;
}

} // namespace

int TCustomComPort::WriteAsync(const void* Buffer, int Count, PCPortAsync AsyncPtr)
{
    TCPortAsync& a = asyncRecord(AsyncPtr, FPort);
    const std::size_t size = sizeOf(Count);
    a.Kind = TOperationKind::okWrite;
    a.Data.reset();
    if (size > 0) {
        a.Data = std::make_unique<char[]>(size);
        std::memcpy(a.Data.get(), Buffer, size);
    }
    a.Size = static_cast<int>(size);
    {
        IoUse use = beginIo();
        a.Overlapped.startWrite(a.Data.get(), size, writeTimeLimit(use.timeouts, size), use.epoch);
        a.Overlapped.step(use.port);
    }
    if (failedToStart(a.Overlapped))
        raiseDeviceError(CError_WriteFailed, a.Overlapped.error());
    CallLinkSignal(&TComLink::OnTx, true);
    return a.Overlapped.pending() ? 0 : static_cast<int>(a.Overlapped.transferred());
}

int TCustomComPort::WriteStrAsync(const std::string& Str, PCPortAsync AsyncPtr)
{
    if (Str.empty())
        return 0;
    return WriteAsync(Str.data(), static_cast<int>(Str.size()), AsyncPtr);
}

int TCustomComPort::ReadAsync(void* Buffer, int Count, PCPortAsync AsyncPtr)
{
    TCPortAsync& a = asyncRecord(AsyncPtr, FPort);
    const std::size_t size = sizeOf(Count);
    a.Kind = TOperationKind::okRead;
    if (size > 0)
        static_cast<unsigned char*>(Buffer)[0] = 0xFF;
    {
        IoUse use = beginIo();
        a.Overlapped.startRead(static_cast<char*>(Buffer), size, makeReadPlan(use.timeouts, size), use.epoch);
        a.Overlapped.step(use.port);
    }
    if (failedToStart(a.Overlapped)) {
        // Nothing stays pending and the wait gives 0.
        const int err = a.Overlapped.error();
        a.Overlapped.finish(0);
        if (FReadAsyncExceptionsEnabled)
            raiseDeviceError(CError_ReadFailed, err);
        ++FReadAsyncErrorCount;
        FReadAsyncLastError = static_cast<unsigned>(err);
        return 0;
    }
    return a.Overlapped.pending() ? 0 : static_cast<int>(a.Overlapped.transferred());
}

int TCustomComPort::ReadStrAsync(std::string& Str, int Count, PCPortAsync AsyncPtr)
{
    if (Count < 1)
        return 0;
    Str.resize(static_cast<std::size_t>(Count));
    return ReadAsync(Str.data(), Count, AsyncPtr);
}

int TCustomComPort::WaitForAsync(PCPortAsync AsyncPtr)
{
    TCPortAsync& a = asyncRecord(AsyncPtr, FPort);
    if (a.Overlapped.pending()) {
        IoUse use = beginIo();
        a.Overlapped.wait(use.port);
    }
    if (const int err = a.Overlapped.error())
        raiseDeviceError(a.Kind == TOperationKind::okWrite ? CError_WriteFailed : CError_ReadFailed, err);
    const int transferred = static_cast<int>(a.Overlapped.transferred());
    if (FInputCountNotSupported)
        return transferred;
    if (a.Kind == TOperationKind::okRead) {
        bool empty = false;
        try {
            empty = InputCount() == 0;
        } catch (const EComPort&) {
            // The bytes read are the caller's all the same; only the lamp
            // is not told.
        }
        if (empty)
            CallLinkSignal(&TComLink::OnRx, false);
    } else if (a.Kind == TOperationKind::okWrite && transferred > 0) {
        CallLinkTxBuf(a.Data.get(), transferred);
    }
    return transferred;
}

bool TCustomComPort::IsAsyncCompleted(PCPortAsync AsyncPtr)
{
    TCPortAsync& a = asyncRecord(AsyncPtr, FPort);
    if (a.Overlapped.pending()) {
        IoUse use = beginIo();
        a.Overlapped.step(use.port);
    }
    if (a.Overlapped.pending())
        return false;
    if (const int err = a.Overlapped.error())
        raiseDeviceError(CError_AsyncCheck, err);
    return true;
}

void TCustomComPort::AbortAllAsync()
{
    if (!FOverlapped)
        return;
    if (const int err = FIo->abort.abort())
        raiseDeviceError(CError_PurgeFailed, err);
}

// --- blocking reads and writes -------------------------------------------------

int TCustomComPort::Write(const void* Buffer, int Count)
{
    if (!FOverlapped)
        return writeBlocking(static_cast<const char*>(Buffer), Count);
    ComAsyncRecord record;
    WriteAsync(Buffer, Count, record.get());
    return WaitForAsync(record.get());
}

int TCustomComPort::WriteStr(const std::string& Str)
{
    if (!FOverlapped)
        return writeBlocking(Str.data(), static_cast<int>(Str.size()));
    comDebugText("TCustomComPort.WriteStr");
    ComAsyncRecord record;
    WriteStrAsync(Str, record.get());
    return WaitForAsync(record.get());
}

int TCustomComPort::writeBlocking(const char* Buffer, int Count)
{
    if (!FConnected)
        return 0;
    const std::size_t size = sizeOf(Count);
    ComTransfer transfer;
    {
        IoUse use = beginIo();
        transfer.startWrite(Buffer, size, writeTimeLimit(use.timeouts, size), use.epoch);
        transfer.wait(use.port);
    }
    if (transfer.error()) {
        ++FSyncWriteErrors;
        return 0;
    }
    return static_cast<int>(transfer.transferred());
}

int TCustomComPort::Read(void* Buffer, int Count)
{
    ComAsyncRecord record;
    ReadAsync(Buffer, Count, record.get());
    return WaitForAsync(record.get());
}

int TCustomComPort::ReadStr(std::string& Str, int Count)
{
    ComAsyncRecord record;
    try {
        ReadStrAsync(Str, Count, record.get());
        const int n = WaitForAsync(record.get());
        Str.resize(static_cast<std::size_t>(n));
        return n;
    } catch (...) {
        Str.clear();
        throw;
    }
}

// --- queues and line status ------------------------------------------------------

struct TCustomComPort::Status {
    int inQue = 0;
    int outQue = 0;
    TComErrors errors;
    TComStateFlags flags;
};

TCustomComPort::Status TCustomComPort::queryStatus(bool withInput)
{
    IoUse use = beginIo();
    if (!use.port.device)
        raiseDeviceError(CError_ClearComFailed, EBADF);
    platform::SerialDevice& device = *use.port.device;
    Status status;
    if (device.hasModemLines()) {
        platform::SerialCounters now;
        if (const int err = device.counters(now))
            raiseDeviceError(CError_ClearComFailed, err);
        std::lock_guard lock(FIo->statusMutex);
        status.errors = lineErrorsBetween(FIo->statusCounters, now, FParity.Check());
        FIo->statusCounters = now;
    }
    if (const int err = device.outputWaiting(status.outQue))
        raiseDeviceError(CError_ClearComFailed, err);
    if (withInput) {
        FIo->input.pump(device);
        status.inQue = static_cast<int>(FIo->input.count());
    }
    if (FIo->outputHeld)
        status.flags.include(TComStateFlag::fXoffHold);
    unsigned lines = 0;
    if (FFlowControl.OutCTSFlow() && status.outQue > 0 && device.hasModemLines() && device.modemLines(lines) == 0
        && !(lines & platform::kModemCTS))
        status.flags.include(TComStateFlag::fCtlHold);
    return status;
}

int TCustomComPort::InputCount()
{
    if (FInputCountNotSupported)
        return 0;
    return queryStatus(true).inQue;
}

int TCustomComPort::OutputCount()
{
    return queryStatus(false).outQue;
}

TComStateFlags TCustomComPort::StateFlags()
{
    return queryStatus(false).flags;
}

TComErrors TCustomComPort::LastErrors()
{
    return queryStatus(false).errors;
}

// --- line control ------------------------------------------------------------------

namespace {

// Runs one device call on the open device; EBADF without one.
template <class Call>
int onDevice(platform::SerialDevice* device, Call call)
{
    return device ? call(*device) : EBADF;
}

} // namespace

TComSignals TCustomComPort::Signals()
{
    if (!FOverlapped)
        return {};
    IoUse use = beginIo();
    unsigned lines = 0;
    if (const int err = onDevice(use.port.device, [&](platform::SerialDevice& d) { return d.modemLines(lines); }))
        raiseDeviceError(CError_ModemStatFailed, err);
    TComSignals result;
    if (lines & platform::kModemCTS)
        result.include(TComSignal::csCTS);
    if (lines & platform::kModemDSR)
        result.include(TComSignal::csDSR);
    if (lines & platform::kModemRing)
        result.include(TComSignal::csRing);
    if (lines & platform::kModemRLSD)
        result.include(TComSignal::csRLSD);
    return result;
}

void TCustomComPort::SetBreak(bool OnOff)
{
    IoUse use = beginIo();
    if (const int err = onDevice(use.port.device, [&](platform::SerialDevice& d) { return d.setBreak(OnOff); }))
        raiseDeviceError(CError_EscapeComFailed, err);
}

void TCustomComPort::SetDTR(bool OnOff)
{
    IoUse use = beginIo();
    if (const int err = onDevice(use.port.device,
                                 [&](platform::SerialDevice& d) { return d.setModemLines(platform::kModemDTR, OnOff); }))
        raiseDeviceError(CError_EscapeComFailed, err);
}

void TCustomComPort::SetRTS(bool OnOff)
{
    IoUse use = beginIo();
    if (const int err = onDevice(use.port.device,
                                 [&](platform::SerialDevice& d) { return d.setModemLines(platform::kModemRTS, OnOff); }))
        raiseDeviceError(CError_EscapeComFailed, err);
}

void TCustomComPort::SetXonXoff(bool OnOff)
{
    IoUse use = beginIo();
    if (const int err = onDevice(use.port.device, [&](platform::SerialDevice& d) { return d.holdOutput(!OnOff); }))
        raiseDeviceError(CError_EscapeComFailed, err);
    FIo->outputHeld = !OnOff;
}

void TCustomComPort::ClearBuffer(bool Input, bool Output)
{
    IoUse use = beginIo();
    if (const int err = onDevice(use.port.device, [&](platform::SerialDevice& d) { return d.purge(Input, Output); }))
        raiseDeviceError(CError_PurgeFailed, err);
    if (Input)
        FIo->input.clear();
}

void TCustomComPort::TransmitChar(char Ch)
{
    IoUse use = beginIo();
    const int err = onDevice(use.port.device, [&](platform::SerialDevice& d) {
        const platform::SerialIoResult r = d.write(&Ch, 1);
        return r.error ? r.error : r.count == 1 ? 0 : EAGAIN;
    });
    if (err)
        raiseDeviceError(CError_TransmitFailed, err);
}

// --- waiting for events without a thread ---------------------------------------------

void TCustomComPort::WaitForEvent(TComEvents& Events, int StopEvent, int Timeout)
{
    if (FThreadCreated)
        throw EComPort(FPort, CError_ThreadCreated);
    IoUse use = beginIo();
    if (!use.port.device || !use.epoch)
        raiseDeviceError(CError_WaitFailed, EBADF);
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    const std::optional<Clock::time_point> deadline =
        Timeout < 0 ? std::nullopt : std::optional(Clock::now() + milliseconds(Timeout));
    ComEventWatcher watcher(*use.port.device, FIo->input, FIo->events, Events);
    for (;;) {
        milliseconds wait(-1);
        if (deadline)
            wait = std::max(milliseconds(0), std::chrono::ceil<milliseconds>(*deadline - Clock::now()));
        const ComEventWatcher::Result r = watcher.wait(StopEvent > 0 ? StopEvent : -1, use.epoch->fd.fd(), wait);
        if (r.error)
            raiseDeviceError(CError_WaitFailed, r.error);
        if (!r.events.empty()) {
            Events = r.events;
            return;
        }
        if (r.stopped || (deadline && Clock::now() >= *deadline)) {
            Events = {};
            return;
        }
    }
}

void TCustomComPort::ShowSetupDialog()
{
    runSetupDialog(*this);
}

} // namespace serial
