// The system's serial device over termios, flock and the tty ioctls.
#include "platform/SerialDevice.h"
#include "platform/SerialTermbits_posix.h"
#include "platform/SerialTermios_posix.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

// The error of a modem ioctl on a line that has no modem lines.
bool noModemLines(int err) { return err == ENOTTY || err == EINVAL; }

class PosixSerialDevice final : public SerialDevice {
public:
    ~PosixSerialDevice() override { close(); }

    int open(const std::string& path) override
    {
        if (fd_ >= 0)
            return EBUSY;
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno;
        // The lock keeps our own ports apart even as root, where TIOCEXCL is
        // not honoured; TIOCEXCL keeps other programs out.
        int err = 0;
        termios t{};
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0 || tcgetattr(fd, &t) != 0)
            err = errno;
        if (!err) {
            makeRawTermios(t);
            if (tcsetattr(fd, TCSANOW, &t) != 0)
                err = errno;
        }
        if (err) {
            ::close(fd);
            return err;
        }
        fd_ = fd;
        int lines = 0;
        hasModemLines_ = ioctl(fd_, TIOCMGET, &lines) == 0 || !noModemLines(errno);
        return 0;
    }

    void close() noexcept override
    {
        if (fd_ < 0)
            return;
        ioctl(fd_, TIOCNXCL);  // a pseudo-terminal keeps the flag after we go
        ::close(fd_);
        fd_ = -1;
    }

    bool isOpen() const override { return fd_ >= 0; }
    int pollFd() const override { return fd_; }
    bool hasModemLines() const override { return hasModemLines_; }

    int setQueueSizes(int inputSize, int outputSize) override
    {
        if (fd_ < 0)
            return EBADF;
        if (inputSize < 0 || outputSize < 0)
            return EINVAL;
        return 0;  // the driver's queues are fixed; the caller keeps its own
    }

    int setLineState(const SerialLineState& state) override
    {
        if (fd_ < 0)
            return EBADF;
        if (const int err = checkLineStateSupported(state))
            return err;
        termios t{};
        if (tcgetattr(fd_, &t) != 0)
            return errno;
        applyLineStateToTermios(state, t);
        speed_t speed;
        if (standardSpeed(state.BaudRate, speed)) {
            t.c_cflag &= ~CIBAUD;  // input speed follows output, not an earlier arbitrary rate
            if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 || tcsetattr(fd_, TCSANOW, &t) != 0)
                return errno;
        } else {
            KernelTermios k;
            copyTermiosFlags(t, k);
            if (const int err = setKernelTermiosSpeed(fd_, k, state.BaudRate))
                return err;
        }
        return applyModemLevels(state);
    }

    int setTimeouts(const SerialTimeouts&) override
    {
        return fd_ < 0 ? EBADF : 0;  // enforced by the reads and writes above us
    }

    SerialIoResult read(void* buffer, std::size_t size) override
    {
        return retried([&] { return ::read(fd_, buffer, size); });
    }

    SerialIoResult write(const void* data, std::size_t size) override
    {
        return retried([&] { return ::write(fd_, data, size); });
    }

    int inputWaiting(int& count) override { return queueIoctl(FIONREAD, count); }
    int outputWaiting(int& count) override { return queueIoctl(TIOCOUTQ, count); }

    int purge(bool input, bool output) override
    {
        if (fd_ < 0)
            return EBADF;
        if (!input && !output)
            return 0;
        const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
        return tcflush(fd_, which) == 0 ? 0 : errno;
    }

    int modemLines(unsigned& lines) override
    {
        lines = 0;
        if (fd_ < 0)
            return EBADF;
        if (!hasModemLines_)
            return 0;
        int bits = 0;
        if (ioctl(fd_, TIOCMGET, &bits) != 0)
            return errno;
        if (bits & TIOCM_CTS) lines |= kModemCTS;
        if (bits & TIOCM_DSR) lines |= kModemDSR;
        if (bits & TIOCM_RNG) lines |= kModemRing;
        if (bits & TIOCM_CAR) lines |= kModemRLSD;
        if (bits & TIOCM_DTR) lines |= kModemDTR;
        if (bits & TIOCM_RTS) lines |= kModemRTS;
        return 0;
    }

    int setModemLines(unsigned lines, bool on) override
    {
        if (fd_ < 0)
            return EBADF;
        if (!hasModemLines_)
            return 0;
        int bits = 0;
        if (lines & kModemDTR) bits |= TIOCM_DTR;
        if (lines & kModemRTS) bits |= TIOCM_RTS;
        if (bits == 0)
            return 0;
        return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 0 : errno;
    }

    int setBreak(bool on) override
    {
        if (fd_ < 0)
            return EBADF;
        return ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0 ? 0 : errno;
    }

    int holdOutput(bool held) override
    {
        if (fd_ < 0)
            return EBADF;
        return tcflow(fd_, held ? TCOOFF : TCOON) == 0 ? 0 : errno;
    }

    int counters(SerialCounters& c) override
    {
        c = {};
        if (fd_ < 0)
            return EBADF;
        serial_icounter_struct k{};
        if (ioctl(fd_, TIOCGICOUNT, &k) != 0)
            return noModemLines(errno) ? 0 : errno;  // a pseudo-terminal counts nothing
        c.cts = static_cast<std::uint32_t>(k.cts);
        c.dsr = static_cast<std::uint32_t>(k.dsr);
        c.ring = static_cast<std::uint32_t>(k.rng);
        c.rlsd = static_cast<std::uint32_t>(k.dcd);
        c.rx = static_cast<std::uint32_t>(k.rx);
        c.tx = static_cast<std::uint32_t>(k.tx);
        c.frame = static_cast<std::uint32_t>(k.frame);
        c.overrun = static_cast<std::uint32_t>(k.overrun);
        c.parity = static_cast<std::uint32_t>(k.parity);
        c.brk = static_cast<std::uint32_t>(k.brk);
        c.bufOverrun = static_cast<std::uint32_t>(k.buf_overrun);
        return 0;
    }

private:
    // Runs one read or write, again when a signal interrupted it.
    template <class Call>
    SerialIoResult retried(Call call)
    {
        if (fd_ < 0)
            return {0, EBADF};
        for (;;) {
            const ssize_t n = call();
            if (n >= 0)
                return {static_cast<std::size_t>(n), 0};
            if (errno != EINTR)
                return {0, errno};
        }
    }

    int queueIoctl(unsigned long request, int& count)
    {
        count = 0;
        if (fd_ < 0)
            return EBADF;
        return ioctl(fd_, request, &count) == 0 ? 0 : errno;
    }

    // The kernel raises DTR and RTS on open: set them as the state asks. RTS
    // under hardware flow control belongs to the driver.
    int applyModemLevels(const SerialLineState& s)
    {
        const bool dtrOn = (s.Flags & kLineDtrControlMask) == kLineDtrEnable;
        if (const int err = setModemLines(kModemDTR, dtrOn))
            return err;
        if (s.Flags & kLineOutxCtsFlow)
            return 0;
        switch (s.Flags & kLineRtsControlMask) {
        case 0: return setModemLines(kModemRTS, false);
        case kLineRtsEnable: return setModemLines(kModemRTS, true);
        default: return 0;
        }
    }

    int fd_ = -1;
    bool hasModemLines_ = false;
};

} // namespace

std::unique_ptr<SerialDevice> createSystemSerialDevice()
{
    return std::make_unique<PosixSerialDevice>();
}

} // namespace platform
