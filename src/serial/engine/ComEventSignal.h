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
    int open() { return fd_.valid() ? 0 : fd_.create(); }
    // Adds `events` to the pending set; wakes the taker unless `wakeTaker` is false
    // (the taker itself raised them).
    void raise(TComEvents events, bool wakeTaker = true);
    // The pending set, which is then empty.
    TComEvents take() { return TComEvents::fromBits(pending_.exchange(0)); }
    void clear() { pending_.store(0); }
    // Wakes the taker without an event (room came free in the input queue).
    void wake() const;
    // The descriptor the taker polls; drain() after it became readable.
    int fd() const { return fd_.fd(); }
    void drain() const { fd_.drain(); }

private:
    platform::EventFd fd_;
    std::atomic<std::uint16_t> pending_{0};
};

} // namespace serial
