#pragma once
// The port's own input queue. Bytes the device has received are pumped into
// it, without blocking, by whoever needs them (a read, a queue query, the
// event thread); bytes beyond its capacity stay in the device. The pump
// decodes the line's marks (ComInputDecoder) and raises the receive events:
// evRxChar for any byte, evRxFlag for the event character, evRx80Full when
// the queue crosses 80 % of its capacity.
//
// A device that has gone (read failure, or a hang-up with nothing left to
// read) is not read again; what the queue holds can still be taken.
//
// All members are safe to call from any thread; one pump runs at a time, so
// bytes never change order.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/EventFd.h"
#include "platform/SerialDevice.h"
#include "serial/engine/ComEventSignal.h"
#include "serial/engine/ComInputDecoder.h"

namespace serial {

class ComInputQueue {
public:
    // The capacity used when none is asked for (a queue size of 0).
    static constexpr int kDefaultCapacity = 1024;

    explicit ComInputQueue(ComEventSignal& events) : events_(events) {}

    // Makes the wake-up of waiting readers: 0 or an errno value.
    int open() { return dataFd_.valid() ? 0 : dataFd_.create(); }
    // Empties the queue for a device just opened.
    void reset(int capacity, const ComInputRules& rules, std::uint8_t eventChar);
    // Takes new settings; what the queue holds stays.
    void configure(int capacity, const ComInputRules& rules, std::uint8_t eventChar);

    // Moves what `device` has into the queue, as far as there is room (an FF
    // held over from the last read may decode to one byte beyond it).
    // `hangup`: poll() reported a hang-up or error on the device. Returns 0,
    // or EIO once the device has gone. `fromTaker`: the caller takes the
    // events itself, so the taker is not woken.
    int pump(platform::SerialDevice& device, bool hangup = false, bool fromTaker = false);
    // Moves up to `max` bytes out of the queue into `out`; returns how many.
    std::size_t take(char* out, std::size_t max);
    std::size_t count() const;
    bool full() const;
    bool gone() const { return gone_.load(); }
    // Discards what the queue holds and a half-read mark.
    void clear();

    // A reader waits for bytes by polling DataFd() beside the device, while
    // it is registered as a Waiter: every pump that adds bytes then makes
    // DataFd() readable. The waiter drains it before it takes bytes.
    class Waiter {
    public:
        explicit Waiter(ComInputQueue& q) : q_(q) { ++q_.waiters_; }
        ~Waiter() { --q_.waiters_; }
        Waiter(const Waiter&) = delete;
        Waiter& operator=(const Waiter&) = delete;
        void drain() const { q_.dataFd_.drain(); }
        int fd() const { return q_.dataFd_.fd(); }

    private:
        ComInputQueue& q_;
    };

private:
    std::size_t sizeLocked() const { return data_.size() - head_; }
    std::size_t roomLocked() const;
    void append(const char* bytes, std::size_t n, TComEvents& raised);

    ComEventSignal& events_;
    platform::EventFd dataFd_;
    std::atomic<int> waiters_{0};
    std::atomic<bool> gone_{false};

    mutable std::mutex mutex_;
    std::string data_;         // bytes from head_ on are queued
    std::size_t head_ = 0;
    std::size_t capacity_ = kDefaultCapacity;
    ComInputDecoder decoder_;
    char eventChar_ = 0;
};

} // namespace serial
