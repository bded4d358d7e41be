#include "serial/engine/ComTransfer.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace serial {
namespace {

using std::chrono::milliseconds;

// The longest and shortest pause between two looks at a draining output queue.
constexpr milliseconds kDrainLookMax{50};
constexpr milliseconds kDrainLookMin{1};

int pollTimeout(std::optional<milliseconds> wait)
{
    if (!wait)
        return -1;
    return static_cast<int>(std::clamp<std::int64_t>(wait->count(), 0, 1 << 30));
}

} // namespace

void ComTransfer::startRead(char* dest, std::size_t count, const ComReadPlan& plan,
                            std::shared_ptr<ComAbortSignal::Epoch> epoch)
{
    *this = ComTransfer();
    kind_ = Kind::Read;
    pending_ = true;
    dest_ = dest;
    size_ = count;
    plan_ = plan;
    if (plan.total)
        deadline_ = Clock::now() + *plan.total;
    epoch_ = std::move(epoch);
}

void ComTransfer::startWrite(const char* src, std::size_t size, std::optional<milliseconds> limit,
                             std::shared_ptr<ComAbortSignal::Epoch> epoch)
{
    *this = ComTransfer();
    kind_ = Kind::Write;
    pending_ = true;
    src_ = src;
    size_ = size;
    if (limit)
        deadline_ = Clock::now() + *limit;
    epoch_ = std::move(epoch);
}

void ComTransfer::finish(int error)
{
    done(0, error);
}

void ComTransfer::done(std::size_t transferred, int error)
{
    pending_ = false;
    transferred_ = transferred;
    error_ = error;
    epoch_.reset();
}

void ComTransfer::sent(const ComTransferPort& port, std::size_t sent, int error)
{
    done(sent, error);
    if (moved_ > 0 && port.events)
        port.events->raise({TComEvent::evTxEmpty});
}

bool ComTransfer::step(const ComTransferPort& port)
{
    if (!pending_)
        return true;
    const Clock::time_point now = Clock::now();
    return kind_ == Kind::Read ? stepRead(port, now) : stepWrite(port, now);
}

bool ComTransfer::stepRead(const ComTransferPort& port, Clock::time_point now)
{
    if (size_ == 0) {
        done(0, 0);
        return true;
    }
    if (port.input) {
        if (port.device)
            port.input->pump(*port.device);
        const std::size_t n = port.input->take(dest_ + moved_, size_ - moved_);
        if (n > 0) {
            moved_ += n;
            lastByte_ = now;
        }
    }
    const bool noMore = !port.device || !port.input || port.input->gone();
    if (moved_ == 0 && noMore) {
        done(0, port.device ? EIO : EBADF);
        return true;
    }
    const bool finished = moved_ == size_ || plan_.immediate || (plan_.firstByteEnds && moved_ > 0)
                          || (deadline_ && now >= *deadline_)
                          || (plan_.interval && lastByte_ && now - *lastByte_ >= *plan_.interval);
    if (finished || noMore) {
        done(moved_, 0);
        return true;
    }
    if (aborted()) {
        done(moved_, ECANCELED);
        return true;
    }
    return false;
}

bool ComTransfer::stepWrite(const ComTransferPort& port, Clock::time_point now)
{
    if (!port.device) {
        done(0, EBADF);
        return true;
    }
    platform::SerialDevice& device = *port.device;
    while (moved_ < size_) {
        const platform::SerialIoResult r = device.write(src_ + moved_, size_ - moved_);
        moved_ += std::min(r.count, size_ - moved_);
        if (r.error == EAGAIN || r.error == EWOULDBLOCK || (r.error == 0 && r.count == 0))
            break;
        if (r.error) {
            done(0, r.error);
            return true;
        }
    }
    queued_ = 0;
    if (device.outputWaiting(queued_) != 0 || queued_ < 0)
        queued_ = 0;  // a line that cannot tell is taken as drained
    if (moved_ == size_ && queued_ == 0) {
        sent(port, size_, 0);
        return true;
    }
    const bool wasAborted = aborted();
    if (wasAborted || (deadline_ && now >= *deadline_)) {
        // What is still queued will not go out now: discard it, so the
        // count says exactly what left.
        if (queued_ > 0)
            device.purge(false, true);
        sent(port, moved_ - std::min(moved_, static_cast<std::size_t>(queued_)), wasAborted ? ECANCELED : 0);
        return true;
    }
    return false;
}

std::optional<milliseconds> ComTransfer::nextLook(const ComTransferPort& port, Clock::time_point now) const
{
    std::optional<Clock::time_point> at = deadline_;
    auto sooner = [&](Clock::time_point t) {
        if (!at || t < *at)
            at = t;
    };
    if (kind_ == Kind::Read && plan_.interval && lastByte_)
        sooner(*lastByte_ + *plan_.interval);
    if (kind_ == Kind::Write && moved_ == size_) {
        const auto drain = std::chrono::duration_cast<milliseconds>(port.characterTime * queued_);
        sooner(now + std::clamp(drain, kDrainLookMin, kDrainLookMax));
    }
    if (!at)
        return std::nullopt;
    return std::max(milliseconds(0), std::chrono::ceil<milliseconds>(*at - now));
}

void ComTransfer::wait(const ComTransferPort& port)
{
    std::optional<ComInputQueue::Waiter> waiter;
    if (kind_ == Kind::Read && port.input)
        waiter.emplace(*port.input);
    for (;;) {
        if (waiter)
            waiter->drain();
        if (step(port))
            return;
        pollfd fds[3];
        nfds_t n = 0;
        if (epoch_)
            fds[n++] = {epoch_->fd.fd(), POLLIN, 0};
        if (waiter)
            fds[n++] = {waiter->fd(), POLLIN, 0};
        int device = -1;
        const int fd = port.device ? port.device->pollFd() : -1;
        if (fd >= 0 && kind_ == Kind::Read && !port.input->gone() && !port.input->full()) {
            device = static_cast<int>(n);
            fds[n++] = {fd, POLLIN, 0};
        } else if (fd >= 0 && kind_ == Kind::Write && moved_ < size_) {
            device = static_cast<int>(n);
            fds[n++] = {fd, POLLOUT, 0};
        }
        const int r = ::poll(fds, n, pollTimeout(nextLook(port, Clock::now())));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            done(kind_ == Kind::Read ? moved_ : 0, errno);
            return;
        }
        if (device >= 0 && kind_ == Kind::Read && (fds[device].revents & (POLLHUP | POLLERR | POLLNVAL)))
            port.input->pump(*port.device, true);
    }
}

} // namespace serial
