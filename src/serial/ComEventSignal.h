#pragma once
// Line events that have happened and not yet been taken, and the wake-up of
// the thread that takes them. Anyone who notices an event (the input pump, a
// finished write) raises it here; the event thread or WaitForEvent takes the
// whole set at once.
#include <atomic>
#include <cstdint>

#include "platform/EventFd.h"
#include "serial/ComTypes.h"

namespace serial {

class ComEventSignal {
public:
    // Makes the wake-up: 0 or an errno value.
    int Open() { return fd_.valid() ? 0 : fd_.create(); }
    // Adds `events` to the pending set; wakes the taker unless `wake` is false
    // (the taker itself raised them).
    void Raise(TComEvents events, bool wake = true);
    // The pending set, which is then empty.
    TComEvents Take() { return TComEvents::FromBits(pending_.exchange(0)); }
    void Clear() { pending_.store(0); }
    // Wakes the taker without an event (room came free in the input queue).
    void Wake() const;
    // The descriptor the taker polls; Drain() after it became readable.
    int Fd() const { return fd_.fd(); }
    void Drain() const { fd_.drain(); }

private:
    platform::EventFd fd_;
    std::atomic<std::uint16_t> pending_{0};
};

} // namespace serial
