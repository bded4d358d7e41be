#include "sim/PeerIo.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace simpeer {

PeerThread::PeerThread()
{
    fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

PeerThread::~PeerThread()
{
    stop();
    close(fd_);
}

void PeerThread::start(int fd, Take take, Fault fault)
{
    thread_ = std::thread([this, fd, take = std::move(take), fault = std::move(fault)] { run(fd, take, fault); });
}

void PeerThread::run(int fd, const Take& take, const Fault& fault)
{
    char buf[4096];
    while (!stopping_.load()) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {fd_, POLLIN, 0}};
        const int r = poll(fds, 2, 200);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fault(std::string("poll failed: ") + std::strerror(errno));
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            take(buf, static_cast<std::size_t>(n));
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            // EIO while no slave is open cannot happen with the spare
            // descriptor of the pty; anything else is a fault worth seeing.
            fault(std::string("read from the pty failed: ") + std::strerror(errno));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

void PeerThread::stop()
{
    std::lock_guard lock(mutex_);
    if (stopping_.exchange(true))
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(fd_, &one, sizeof one);
    if (thread_.joinable())
        thread_.join();
}

bool waitUntil(std::mutex& mutex, std::condition_variable& changed, const std::function<bool()>& done,
               std::chrono::milliseconds timeout, const std::function<void()>& pump)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto slice = pump ? std::chrono::milliseconds(5) : std::chrono::milliseconds(50);
    for (;;) {
        if (done())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        if (pump)
            pump();
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::min<std::chrono::steady_clock::duration>(slice, deadline - now));
    }
}

std::string writeAllWithin(int fd, const std::string& bytes, std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return std::string("write to the pty failed: ") + std::strerror(errno);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return "write to the pty timed out: nobody reads the port";
        pollfd pfd{fd, POLLOUT, 0};
        poll(&pfd, 1, static_cast<int>(left.count()));
    }
    return {};
}

} // namespace simpeer
