#include "sim/PeerIo.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace simpeer {

void PeerThread::start(int fd, Take take, Fault fault)
{
    thread_ = std::thread([this, fd, take = std::move(take), fault = std::move(fault)] {
        char buf[4096];
        while (!stopping_) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                take(buf, static_cast<std::size_t>(n));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                fault(std::string("read from the pty failed: ") + std::strerror(errno));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    });
}

void PeerThread::stop()
{
    std::lock_guard lock(mutex_);
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

bool waitUntil(std::mutex& mutex, std::condition_variable& changed, const std::function<bool()>& done,
               std::chrono::milliseconds timeout, const std::function<void()>& pump)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto slice = std::chrono::milliseconds(pump ? 5 : 50);
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        if (pump)
            pump();
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::min<std::chrono::steady_clock::duration>(slice, deadline - now));
    }
    return true;
}

} // namespace simpeer
