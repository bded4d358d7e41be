#include "platform/EventFd.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

EventFd::~EventFd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int EventFd::create()
{
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return errno;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
    return 0;
}

void EventFd::signal() const noexcept
{
    const std::uint64_t one = 1;
    // The counter cannot overflow in practice; a full counter is readable anyway.
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void EventFd::drain() const noexcept
{
    std::uint64_t value;
    while (::read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

} // namespace platform
