#include "serial/engine/ComEventWatcher.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace serial {

ComEventWatcher::ComEventWatcher(platform::SerialDevice& device, ComInputQueue& input, ComEventSignal& events,
                                 TComEvents watched)
    : device_(device), input_(input), events_(events), watched_(watched),
      watchReceive_(!(watched * kReceiveEvents).empty()),
      watchLines_(!(watched * kLineWatchEvents).empty() && device.hasModemLines())
{
    input_.pump(device_, false, true);
    events_.clear();
    events_.drain();
    if (watchLines_)
        lines_.reset(device_);
}

ComEventWatcher::Result ComEventWatcher::wait(int stopA, int stopB, std::chrono::milliseconds timeout)
{
    Result result;
    const bool gone = input_.gone();
    pollfd fds[4];
    nfds_t n = 0;
    fds[n++] = {events_.fd(), POLLIN, 0};
    for (int fd : {stopA, stopB})
        if (fd >= 0)
            fds[n++] = {fd, POLLIN, 0};
    const nfds_t stops = n;
    if (watchReceive_ && !gone && !input_.full())
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
        events_.drain();
    if (n > stops && fds[stops].revents)
        input_.pump(device_, (fds[stops].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0, true);
    result.events = events_.take() * watched_;
    if (watchLines_ && !input_.gone())
        result.events = result.events + (lines_.poll(device_) * watched_);
    return result;
}

} // namespace serial
