#include "serial/engine/ComInputQueue.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace serial {
namespace {

bool hungUp(int fd)
{
    pollfd p{fd, 0, 0};
    return fd >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

std::size_t capacityOf(int size)
{
    return size > 0 ? static_cast<std::size_t>(size) : static_cast<std::size_t>(ComInputQueue::kDefaultCapacity);
}

} // namespace

void ComInputQueue::reset(int capacity, const ComInputRules& rules, std::uint8_t eventChar)
{
    std::lock_guard lock(mutex_);
    data_.clear();
    head_ = 0;
    capacity_ = capacityOf(capacity);
    decoder_ = ComInputDecoder();
    decoder_.setRules(rules);
    eventChar_ = static_cast<char>(eventChar);
    gone_ = false;
}

void ComInputQueue::configure(int capacity, const ComInputRules& rules, std::uint8_t eventChar)
{
    bool roomFreed = false;
    {
        std::lock_guard lock(mutex_);
        const std::size_t newCapacity = capacityOf(capacity);
        roomFreed = sizeLocked() >= capacity_ && sizeLocked() < newCapacity;
        capacity_ = newCapacity;
        decoder_.setRules(rules);
        eventChar_ = static_cast<char>(eventChar);
    }
    if (roomFreed)
        events_.wake();
}

std::size_t ComInputQueue::roomLocked() const
{
    const std::size_t size = sizeLocked();
    return size < capacity_ ? capacity_ - size : 0;
}

int ComInputQueue::pump(platform::SerialDevice& device, bool hangup, bool fromTaker)
{
    if (gone_)
        return EIO;
    TComEvents raised;
    bool added = false;
    {
        std::lock_guard lock(mutex_);
        bool readAny = false;
        char raw[4096];
        char decoded[ComInputDecoder::outputRoom(sizeof raw)];
        for (;;) {
            const std::size_t room = roomLocked();
            if (room == 0)
                break;
            const platform::SerialIoResult r = device.read(raw, std::min(room, sizeof raw));
            if (r.count > 0) {
                readAny = true;
                const std::size_t n = decoder_.decode(raw, r.count, decoded);
                if (n > 0) {
                    append(decoded, n, raised);
                    added = true;
                }
            }
            if (r.error == EAGAIN || r.error == EWOULDBLOCK || (r.error == 0 && r.count == 0))
                break;
            if (r.error) {
                gone_ = true;
                break;
            }
        }
        // A hang-up with nothing left to read: the device has gone. A line
        // reads "nothing" alike when empty and when hung up, so a pump that
        // got nothing asks.
        if (!readAny && !gone_ && roomLocked() > 0 && (hangup || hungUp(device.pollFd())))
            gone_ = true;
    }
    if (added && waiters_.load() > 0)
        dataFd_.signal();
    events_.raise(raised, !fromTaker);
    return gone_ ? EIO : 0;
}

void ComInputQueue::append(const char* bytes, std::size_t n, TComEvents& raised)
{
    const std::size_t before = sizeLocked();
    if (head_ > 0 && head_ >= data_.size() / 2) {
        data_.erase(0, head_);
        head_ = 0;
    }
    data_.append(bytes, n);
    raised.include(TComEvent::evRxChar);
    if (std::find(bytes, bytes + n, eventChar_) != bytes + n)
        raised.include(TComEvent::evRxFlag);
    const std::size_t mark = (capacity_ * 8 + 9) / 10;
    if (before < mark && sizeLocked() >= mark)
        raised.include(TComEvent::evRx80Full);
}

std::size_t ComInputQueue::take(char* out, std::size_t max)
{
    bool roomFreed = false;
    std::size_t n = 0;
    {
        std::lock_guard lock(mutex_);
        n = std::min(max, sizeLocked());
        if (n == 0)
            return 0;
        const bool wasFull = roomLocked() == 0;
        std::copy_n(data_.data() + head_, n, out);
        head_ += n;
        if (head_ == data_.size()) {
            data_.clear();
            head_ = 0;
        }
        roomFreed = wasFull;
    }
    if (roomFreed)
        events_.wake();
    return n;
}

std::size_t ComInputQueue::count() const
{
    std::lock_guard lock(mutex_);
    return sizeLocked();
}

bool ComInputQueue::full() const
{
    std::lock_guard lock(mutex_);
    return roomLocked() == 0;
}

void ComInputQueue::clear()
{
    bool roomFreed = false;
    {
        std::lock_guard lock(mutex_);
        roomFreed = roomLocked() == 0;
        data_.clear();
        head_ = 0;
        decoder_.reset();
    }
    if (roomFreed)
        events_.wake();
}

} // namespace serial
