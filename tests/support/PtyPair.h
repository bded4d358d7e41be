#pragma once
// A pseudo-terminal for serial tests: the code under test opens `path()` (the
// slave side) like a serial device; the test plays the far end on `master()`.
//
// The pair keeps a descriptor of the slave side open for its whole life, so
// the master keeps working while the code under test closes and reopens the
// port (without it the master reads EIO once the last slave descriptor closes).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace testenv {

class PtyPair {
public:
    enum class Line {
        AsOpened,  // the slave side as the kernel makes it (cooked, echoing)
        Raw,       // no echo and no translation even while nobody has the port open
    };

    // Throws std::runtime_error when no pseudo-terminal can be had.
    explicit PtyPair(Line line = Line::AsOpened)
    {
        char name[128] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = name;
        termios tio{};
        if (line == Line::Raw && tcgetattr(slave_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(slave_, TCSANOW, &tio);
        }
    }
    ~PtyPair() { ::close(slave_); closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    // A descriptor of the slave side that takes no lock: for reading back
    // the line settings the code under test made.
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }

    // Writes all of `bytes` to the far end within `bound`; answers an empty
    // text, or what went wrong.
    std::string sendWithin(const std::string& bytes, std::chrono::milliseconds bound) const
    {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return std::string("write to the pty failed: ") + std::strerror(errno);
            else if (!waitFor(POLLOUT, deadline))
                return "write to the pty timed out: nobody reads the port";
        }
        return {};
    }
    // The same within 5 s; throws what went wrong.
    void send(const std::string& bytes)
    {
        if (const std::string fault = sendWithin(bytes, std::chrono::seconds(5)); !fault.empty())
            throw std::runtime_error("pty far end: " + fault);
    }
    // Reads what arrives at the far end until `count` bytes have come or
    // `timeoutMs` has passed.
    std::string receive(std::size_t count, int timeoutMs)
    {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char buf[4096];
        while (out.size() < count && waitFor(POLLIN, deadline)) {
            const ssize_t n = ::read(master_, buf, std::min(sizeof buf, count - out.size()));
            if (n <= 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }
    // Closes the far end, as when the other side goes away.
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(std::exchange(master_, -1));
    }

private:
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline) const
    {
        using namespace std::chrono;
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{master_, events, 0};
        return left > 0 && poll(&p, 1, static_cast<int>(left)) > 0;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace testenv
