#include "PtyLinkPort.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <system_error>
#include <termios.h>
#include <unistd.h>

PtyLinkPort::PtyLinkPort(const std::string& path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "open " + path);
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd_, TCSANOW, &tio);
}

PtyLinkPort::~PtyLinkPort()
{
    if (fd_ >= 0)
        close(fd_);
}

void PtyLinkPort::write(const std::string& bytes)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "write");
        if (std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error("write timed out");
        pollfd p{fd_, POLLOUT, 0};
        poll(&p, 1, 10);
    }
    written.push_back({bytes, std::chrono::system_clock::now()});
}

std::string PtyLinkPort::read(std::size_t maxCount)
{
    std::string out(maxCount, '\0');
    const ssize_t n = ::read(fd_, out.data(), maxCount);
    if (n < 0 && errno != EAGAIN && errno != EINTR)
        throw std::system_error(errno, std::generic_category(), "read");
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}
