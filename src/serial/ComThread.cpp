#include "serial/ComThread.h"

#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/EventFd.h"
#include "serial/ComEventWatcher.h"
#include "serial/ComHandOver.h"
#include "serial/ComPort.h"
#include "serial/ComPortIo.h"
#include "serial/ExceptionHook.h"

namespace serial {

struct TComThread::Core {
    TCustomComPort* port = nullptr;  // not touched once stopping
    platform::SerialDevice* device = nullptr;
    ComInputQueue* input = nullptr;
    ComEventSignal* events = nullptr;
    TComEvents watched;
    TSyncMethod sync = TSyncMethod::smThreadSync;
    TThreadPriority priority = TThreadPriority::tpNormal;
    std::shared_ptr<ComHandOver> handOver;
    std::shared_ptr<std::atomic<bool>> open;
    platform::EventFd stop;
    std::atomic<bool> stopping{false};
    std::atomic<std::uint16_t> lastEvents{0};
    // Made when the thread is, so what arrives once the port is open counts.
    std::optional<ComEventWatcher> watcher;
};

namespace {

using Check = void (TCustomComPort::*)();

// Nice value of a thread priority; tpNormal leaves the thread as it is.
int niceOf(TThreadPriority p)
{
    constexpr int nice[] = {19, 10, 5, 0, -5, -10, -15};
    return nice[ord(p)];
}

} // namespace

TComThread::TComThread(TCustomComPort* AComPort) : FCore(std::make_shared<Core>())
{
    Core& c = *FCore;
    c.port = AComPort;
    c.device = AComPort->FHandle.get();
    c.input = &AComPort->FIo->input;
    c.events = &AComPort->FIo->events;
    c.watched = AComPort->FEvents;
    c.sync = AComPort->FSyncMethod;
    c.priority = AComPort->FEventThreadPriority;
    c.handOver = AComPort->FHandOver;
    c.open = AComPort->FDeliveryOpen;
    if (!c.device || !c.open || (c.sync == TSyncMethod::smThreadSync && !c.handOver))
        throw std::system_error(EINVAL, std::generic_category(), "event thread of a port that is not open");
    if (const int err = c.stop.create())
        throw std::system_error(err, std::generic_category(), "event thread stop signal");
    if (c.sync != TSyncMethod::smDisableEvents)
        c.watcher.emplace(*c.device, *c.input, *c.events, c.watched);
    FThread = std::thread(&TComThread::Execute, FCore);
}

TComThread::~TComThread()
{
    Stop();
    if (!FThread.joinable())
        return;
    if (FThread.get_id() == std::this_thread::get_id())
        FThread.detach();  // ends by itself as soon as the handler returns
    else
        FThread.join();
}

void TComThread::Stop()
{
    FCore->stopping = true;
    FCore->stop.signal();
}

TComEvents TComThread::Events() const
{
    return TComEvents::fromBits(FCore->lastEvents.load());
}

std::chrono::nanoseconds TComThread::cpuTime() const
{
    clockid_t clock;
    timespec ts{};
    if (!FThread.joinable() || pthread_getcpuclockid(const_cast<std::thread&>(FThread).native_handle(), &clock) != 0
        || clock_gettime(clock, &ts) != 0)
        return std::chrono::nanoseconds(0);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

bool TComThread::handingOver() const
{
    return FCore->handOver && FCore->handOver->waiting();
}

void TComThread::Execute(std::shared_ptr<Core> core)
{
    Core& c = *core;
    if (const int nice = niceOf(c.priority))
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);  // a refusal leaves it normal

    if (!c.watcher) {
        pollfd stop{c.stop.fd(), POLLIN, 0};
        while (!c.stopping && (::poll(&stop, 1, -1) >= 0 || errno == EINTR)) {
        }
        return;
    }
    while (!c.stopping) {
        const ComEventWatcher::Result r = c.watcher->wait(c.stop.fd(), -1, std::chrono::milliseconds(-1));
        if (r.error || c.stopping)
            break;  // a failed wait ends the thread; the port stays open
        if (!r.events.empty())
            DispatchEvents(c, r.events);
    }
}

void TComThread::DispatchEvents(Core& c, TComEvents events)
{
    c.lastEvents = events.toBits();
    switch (c.sync) {
    case TSyncMethod::smThreadSync:
        c.handOver->run([port = c.port, open = c.open, events] { DoEvents(port, open, events); });
        break;
    case TSyncMethod::smWindowSync: {
        // One queued call per event, in delivery order; the thread goes on at once.
        constexpr TComEvent kOrder[] = {
            TComEvent::evError, TComEvent::evRxChar, TComEvent::evTxEmpty, TComEvent::evBreak,
            TComEvent::evRing, TComEvent::evCTS, TComEvent::evDSR, TComEvent::evRxFlag,
            TComEvent::evRLSD, TComEvent::evRx80Full,
        };
        for (TComEvent e : kOrder) {
            if (!events.contains(e))
                continue;
            auto call = [port = c.port, open = c.open, e] { DoEvents(port, open, TComEvents{e}); };
            if (!postToGuiThread(call))
                call();
        }
        break;
    }
    case TSyncMethod::smNone:
        DoEvents(c.port, c.open, events);
        break;
    case TSyncMethod::smDisableEvents:
        break;
    }
}

void TComThread::DoEvents(TCustomComPort* port, const std::shared_ptr<std::atomic<bool>>& open, TComEvents events)
{
    static constexpr std::pair<TComEvent, Check> kChecks[] = {
        {TComEvent::evError, &TCustomComPort::CheckError},
        {TComEvent::evRxChar, &TCustomComPort::CheckRxChar},
        {TComEvent::evTxEmpty, &TCustomComPort::CheckTxEmpty},
        {TComEvent::evBreak, &TCustomComPort::CheckBreak},
        {TComEvent::evRing, &TCustomComPort::CheckRing},
        {TComEvent::evCTS, &TCustomComPort::CheckCTS},
        {TComEvent::evDSR, &TCustomComPort::CheckDSR},
        {TComEvent::evRxFlag, &TCustomComPort::CheckRxFlag},
        {TComEvent::evRLSD, &TCustomComPort::CheckRLSD},
        {TComEvent::evRx80Full, &TCustomComPort::CheckRx80Full},
    };
    for (const auto& [event, check] : kChecks) {
        if (!events.contains(event))
            continue;
        // A handler may have closed (or destroyed) the port.
        if (!open->load())
            return;
        try {
            (port->*check)();
        } catch (...) {
            handleException(std::current_exception());
        }
    }
}

} // namespace serial
