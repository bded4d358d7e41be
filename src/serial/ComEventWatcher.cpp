#include "serial/ComEventWatcher.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace serial {

ComEventWatcher::ComEventWatcher(platform::SerialDevice& device, ComInputQueue& input, ComEventSignal& events,
                                 TComEvents watched)
    : device_(device), input_(input), events_(events), watched_(watched),
      watchReceive_(!(watched * kReceiveEvents).Empty()),
      watchLines_(!(watched * kLineWatchEvents).Empty() && device.hasModemLines())
{
    input_.Pump(device_, false, true);
    events_.Clear();
    events_.Drain();
    if (watchLines_)
        lines_.Reset(device_);
}

ComEventWatcher::Result ComEventWatcher::Wait(int stopA, int stopB, std::chrono::milliseconds timeout)
{
    Result result;
    const bool gone = input_.Gone();
    pollfd fds[4];
    nfds_t n = 0;
    fds[n++] = {events_.Fd(), POLLIN, 0};
    for (int fd : {stopA, stopB})
        if (fd >= 0)
            fds[n++] = {fd, POLLIN, 0};
    const nfds_t stops = n;
    if (watchReceive_ && !gone && !input_.Full())
        fds[n++] = {device_.pollFd(), POLLIN, 0};
    std::chrono::milliseconds wait = timeout;
    if (watchLines_ && !gone && (wait.count() < 0 || wait > kLineLook))
        wait = kLineLook;
    const int ms = wait.count() < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(wait.count(), 1 << 30));
    const int r = ::poll(fds, n, ms);
    if (r < 0) {
        if (errno != EINTR)
            result.error = errno;
        return result;
    }
    for (nfds_t i = 1; i < stops; ++i)
        if (fds[i].revents)
            result.stopped = true;
    if (fds[0].revents)
        events_.Drain();
    if (n > stops && fds[stops].revents)
        input_.Pump(device_, (fds[stops].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0, true);
    result.events = events_.Take() * watched_;
    if (watchLines_ && !input_.Gone())
        result.events = result.events + (lines_.Poll(device_) * watched_);
    return result;
}

} // namespace serial
