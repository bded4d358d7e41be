#include "sim/PeerIo.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace simpeer {

void Peer::start(std::function<void(const std::string& bytes)> take)
{
    thread_ = std::thread([this, fd = pty_.master(), take = std::move(take)] {
        char buf[4096];
        while (!stopping_) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                take(std::string(buf, static_cast<std::size_t>(n)));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                recordFailure(std::string("read from the pty failed: ") + std::strerror(errno));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    });
}

void Peer::stop()
{
    std::lock_guard lock(stopMutex_);
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
}

void Peer::sendRaw(const std::string& bytes)
{
    std::lock_guard lock(writeMutex_);
    if (std::string fault = pty_.sendWithin(bytes, std::chrono::seconds(1)); !fault.empty())
        recordFailure(std::move(fault));
}

void Peer::goAway()
{
    stop();
    std::lock_guard lock(writeMutex_);
    pty_.closeMaster();
}

void Peer::recordFailure(std::string what)
{
    locked([&] { failures_.push_back(std::move(what)); });
    changed();
}

bool Peer::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                     const std::function<void()>& pump) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto slice = std::chrono::milliseconds(pump ? 5 : 50);
    while (!done()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        if (pump)
            pump();
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(slice, deadline - now));
    }
    return true;
}

} // namespace simpeer
