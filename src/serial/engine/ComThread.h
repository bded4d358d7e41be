#pragma once
// The event thread of an open port: watches the port's Events and hands each
// wake-up's events to the port's checks, as the port's SyncMethod says:
//  - smThreadSync: in the GUI thread, through the port's hand-over, waiting
//    until they have run;
//  - smWindowSync: each event queued to the GUI thread on its own, without
//    waiting; dropped once the port has closed;
//  - smNone: in the event thread itself;
//  - smDisableEvents: not at all (the thread only waits to be stopped).
// The port's delivery callback runs the check of one event at a time; it
// keeps its exceptions to itself, so the remaining checks run and delivery
// goes on.
//
// The port makes the thread when it opens and ends it when it closes. What
// the thread shares with the port's closing lives in a shared core, so a
// handler may close (under smNone even destroy) its own port: the thread
// then stops without touching the port again.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "serial/ComTypes.h"

namespace platform {
class SerialDevice;
}

namespace serial {

class ComEventSignal;
class ComHandOver;
class ComInputQueue;

// Runs the port's check of one event; must not throw.
using ComEventDelivery = std::function<void(TComEvent)>;

// What the thread needs of an open port, given when it is made.
struct ComThreadSetup {
    platform::SerialDevice* device = nullptr;
    ComInputQueue* input = nullptr;
    ComEventSignal* events = nullptr;
    TComEvents watched;
    TSyncMethod sync = TSyncMethod::smThreadSync;
    TThreadPriority priority = TThreadPriority::tpNormal;
    // Required for smThreadSync.
    std::shared_ptr<ComHandOver> handOver;
    // Deliveries run while it holds; the port clears it when it closes.
    std::shared_ptr<std::atomic<bool>> open;
    ComEventDelivery deliver;
};

class TComThread {
public:
    // Starts watching the open port `setup` describes. Throws
    // std::system_error when no thread can be made.
    explicit TComThread(ComThreadSetup setup);
    // Stops the thread and waits until it has ended; from the thread itself
    // (a handler under smNone closing its port) it only lets it go.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Asks the thread to end; it ends at its next wait or after the hand-over
    // it is in.
    void Stop();
    // The events of the last wake-up.
    TComEvents Events() const;
    // The CPU time the thread has used so far.
    std::chrono::nanoseconds cpuTime() const;
    // The thread waits for the GUI thread to run a hand-over.
    bool handingOver() const;

private:
    struct Core;
    // Delivers `events` one by one, in delivery order, while `open` holds.
    static void DoEvents(const ComEventDelivery& deliver, const std::shared_ptr<std::atomic<bool>>& open,
                         TComEvents events);
    static void Execute(std::shared_ptr<Core> core);
    static void DispatchEvents(Core& core, TComEvents events);

    std::shared_ptr<Core> FCore;
    std::thread FThread;
};

} // namespace serial
