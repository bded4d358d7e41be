#include "serial/engine/ComThread.h"

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
#include "serial/engine/ComEventWatcher.h"
#include "serial/engine/ComHandOver.h"
#include "serial/engine/ComInputQueue.h"

namespace serial {

struct TComThread::Core {
    explicit Core(ComThreadSetup s) : setup(std::move(s)) {}
    ComThreadSetup setup;  // its delivery is not called once stopping
    platform::EventFd stop;
    std::atomic<bool> stopping{false};
    std::atomic<std::uint16_t> lastEvents{0};
    // Made when the thread is, so what arrives once the port is open counts.
    std::optional<ComEventWatcher> watcher;
};

namespace {

// Nice value of a thread priority; tpNormal leaves the thread as it is.
int niceOf(TThreadPriority p)
{
    constexpr int nice[] = {19, 10, 5, 0, -5, -10, -15};
    return nice[ord(p)];
}

// The order in which the events of one wake-up are delivered.
constexpr TComEvent kDeliveryOrder[] = {
    TComEvent::evError, TComEvent::evRxChar, TComEvent::evTxEmpty, TComEvent::evBreak,
    TComEvent::evRing, TComEvent::evCTS, TComEvent::evDSR, TComEvent::evRxFlag,
    TComEvent::evRLSD, TComEvent::evRx80Full,
};

} // namespace

TComThread::TComThread(ComThreadSetup setup) : FCore(std::make_shared<Core>(std::move(setup)))
{
    Core& c = *FCore;
    const ComThreadSetup& s = c.setup;
    if (!s.device || !s.input || !s.events || !s.open || !s.deliver
        || (s.sync == TSyncMethod::smThreadSync && !s.handOver))
        throw std::system_error(EINVAL, std::generic_category(), "event thread of a port that is not open");
    if (const int err = c.stop.create())
        throw std::system_error(err, std::generic_category(), "event thread stop signal");
    if (s.sync != TSyncMethod::smDisableEvents)
        c.watcher.emplace(*s.device, *s.input, *s.events, s.watched);
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
    return FCore->setup.handOver && FCore->setup.handOver->waiting();
}

void TComThread::Execute(std::shared_ptr<Core> core)
{
    Core& c = *core;
    if (const int nice = niceOf(c.setup.priority))
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
    const ComThreadSetup& s = c.setup;
    switch (s.sync) {
    case TSyncMethod::smThreadSync:
        s.handOver->run([deliver = s.deliver, open = s.open, events] { DoEvents(deliver, open, events); });
        break;
    case TSyncMethod::smWindowSync: {
        // One queued call per event, in delivery order; the thread goes on at once.
        for (TComEvent e : kDeliveryOrder) {
            if (!events.contains(e))
                continue;
            auto call = [deliver = s.deliver, open = s.open, e] { DoEvents(deliver, open, TComEvents{e}); };
            if (!postToGuiThread(call))
                call();
        }
        break;
    }
    case TSyncMethod::smNone:
        DoEvents(s.deliver, s.open, events);
        break;
    case TSyncMethod::smDisableEvents:
        break;
    }
}

void TComThread::DoEvents(const ComEventDelivery& deliver, const std::shared_ptr<std::atomic<bool>>& open,
                          TComEvents events)
{
    for (TComEvent event : kDeliveryOrder) {
        if (!events.contains(event))
            continue;
        // A handler may have closed (or destroyed) the port.
        if (!open->load())
            return;
        deliver(event);
    }
}

} // namespace serial
