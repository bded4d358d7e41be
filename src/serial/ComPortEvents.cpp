// The port's side of event delivery: starting and stopping the event
// thread, and the checks the thread's deliveries run.
#include <memory>

#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"
#include "serial/engine/ComHandOver.h"
#include "serial/engine/ComIoState.h"
#include "serial/engine/ComThread.h"

namespace serial {

void TCustomComPort::startEvents()
{
    if (FEvents.empty() || !FOverlapped)
        return;
    FDeliveryOpen = std::make_shared<std::atomic<bool>>(true);
    if (FSyncMethod == TSyncMethod::smThreadSync)
        FHandOver = ComHandOver::create();
    ComThreadSetup setup;
    setup.device = FHandle.get();
    setup.input = &FIo->input;
    setup.events = &FIo->events;
    setup.watched = FEvents;
    setup.sync = FSyncMethod;
    setup.priority = FEventThreadPriority;
    setup.handOver = FHandOver;
    setup.open = FDeliveryOpen;
    setup.deliver = [this](TComEvent event) { deliverEvent(event); };
    FEventThread = std::make_unique<TComThread>(std::move(setup));
    FThreadCreated = true;
}

void TCustomComPort::stopEvents()
{
    if (FEventThread) {
        FEventThread->Stop();
        // A hand-over the thread waits in runs here, in the GUI thread, so
        // the thread can see the stop; elsewhere it is dropped.
        if (FHandOver)
            FHandOver->close(isGuiThread());
        FEventThread.reset();
        // As the thread ends, unread input is discarded. Output is not: a
        // write is done only once its bytes have left, and purging the
        // output could still cut off the last command in an adapter's FIFO.
        if (FHandle && !FIo->input.gone())
            FHandle->purge(true, false);
        FIo->input.clear();
    }
    FThreadCreated = false;
    FHandOver.reset();
    if (FDeliveryOpen) {
        *FDeliveryOpen = false;
        FDeliveryOpen.reset();
    }
}

// --- the checks ------------------------------------------------------------------

void TCustomComPort::deliverEvent(TComEvent event) noexcept
{
    try {
        switch (event) {
        case TComEvent::evError: CheckError(); break;
        case TComEvent::evRxChar: CheckRxChar(); break;
        case TComEvent::evTxEmpty: CheckTxEmpty(); break;
        case TComEvent::evBreak: CheckBreak(); break;
        case TComEvent::evRing: CheckRing(); break;
        case TComEvent::evCTS: CheckCTS(); break;
        case TComEvent::evDSR: CheckDSR(); break;
        case TComEvent::evRxFlag: CheckRxFlag(); break;
        case TComEvent::evRLSD: CheckRLSD(); break;
        case TComEvent::evRx80Full: CheckRx80Full(); break;
        }
    } catch (...) {
        handleException(std::current_exception());
    }
}

void TCustomComPort::CheckError()
{
    const TComErrors errors = LastErrors();
    if (!errors.empty())
        DoError(errors);
}

void TCustomComPort::CheckRxChar()
{
    if (FInputCountNotSupported)
        return;
    int count = InputCount();
    if (count > 0)
        CallLinkSignal(&TComLink::OnRx, true);
    if (count > 0 && !TriggersOnRxChar() && CallRxBuf(count))
        count = 0;
    if (count > 0)
        DoRxChar(count);
}

bool TCustomComPort::CallRxBuf(int Count)
{
    // The bytes are read once, into one buffer the port's handler and every
    // link share; only the bytes actually read are passed on.
    std::unique_ptr<char[]> buffer;
    int read = -1;
    auto readOnce = [&] {
        buffer = std::make_unique<char[]>(static_cast<std::size_t>(Count));
        read = Read(buffer.get(), Count);
        if (read > 0)
            DoRxBuf(buffer.get(), read);
    };
    {
        std::lock_guard lock(FLinksLock);
        const std::vector<TComLink*> links = FLinks;
        for (TComLink* link : links) {
            if (!isRegistered(link) || !link->OnRxBuf)
                continue;
            if (read < 0)
                readOnce();
            if (read > 0)
                link->OnRxBuf(this, buffer.get(), read);
        }
    }
    if (read < 0 && !FTriggersOnRxChar)
        readOnce();
    return read >= 0;
}

void TCustomComPort::CheckTxEmpty()
{
    CallLinkSignal(&TComLink::OnTx, false);
    CallLinkNotify(&TComLink::OnTxEmpty);
    DoTxEmpty();
}

void TCustomComPort::CheckBreak()
{
    DoBreak();
}

void TCustomComPort::CheckRing()
{
    CallLinkNotify(&TComLink::OnRing);
    DoRing();
}

void TCustomComPort::CheckRxFlag()
{
    CallLinkNotify(&TComLink::OnRxFlag);
    DoRxFlag();
}

void TCustomComPort::CheckRx80Full()
{
    DoRx80Full();
}

} // namespace serial
