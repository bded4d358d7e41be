#pragma once
// The event thread of an open port: watches the port's Events and hands each
// wake-up's events to the port's checks, as the port's SyncMethod says:
//  - smThreadSync: in the GUI thread, through the port's hand-over, waiting
//    until they have run;
//  - smWindowSync: each event queued to the GUI thread on its own, without
//    waiting; dropped once the port has closed;
//  - smNone: in the event thread itself;
//  - smDisableEvents: not at all (the thread only waits to be stopped).
// An exception from a check or handler goes to the exception hook; the
// remaining checks run and delivery goes on.
//
// The port makes the thread when it opens and ends it when it closes. What
// the thread shares with the port's closing lives in a shared core, so a
// handler may close (under smNone even destroy) its own port: the thread
// then stops without touching the port again.
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "serial/ComTypes.h"

namespace serial {

class TCustomComPort;
class ComHandOver;

class TComThread {
public:
    // Starts watching for `AComPort`, which is open. Throws std::system_error
    // when no thread can be made.
    explicit TComThread(TCustomComPort* AComPort);
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

    // Runs the checks of `events`, in delivery order, on `port` while
    // `open` holds; an exception goes to the exception hook.
    static void DoEvents(TCustomComPort* port, const std::shared_ptr<std::atomic<bool>>& open, TComEvents events);

private:
    struct Core;
    static void Execute(std::shared_ptr<Core> core);
    static void DispatchEvents(Core& core, TComEvents events);

    std::shared_ptr<Core> FCore;
    std::thread FThread;
};

} // namespace serial
