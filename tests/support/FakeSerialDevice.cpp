#include "support/FakeSerialDevice.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace testenv {

struct FakeSerialDevices::State {
    std::mutex mutex;
    std::map<std::string, FakeSerialLine> lines;
    std::map<std::string, int> inputWriteEnds;  // path -> pipe write end of the open device
    std::vector<std::string> calls;
    struct Failure { int error; int times; };
    std::map<Op, Failure> failures;

    // The error `op` fails with now (0 for none); counts one use.
    int failure(Op op)
    {
        auto it = failures.find(op);
        if (it == failures.end())
            return 0;
        const int error = it->second.error;
        if (it->second.times > 0 && --it->second.times == 0)
            failures.erase(it);
        return error;
    }
};

namespace {

using Op = FakeSerialDevices::Op;

class FakeDevice final : public platform::SerialDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeSerialDevices::State> state) : s_(std::move(state)) {}
    ~FakeDevice() override { close(); }

    int open(const std::string& path) override
    {
        std::lock_guard lock(s_->mutex);
        s_->calls.push_back("open " + path);
        if (readEnd_ >= 0)
            return EBUSY;
        if (const int err = s_->failure(Op::Open))
            return err;
        FakeSerialLine& l = s_->lines[path];
        if (l.open)
            return EWOULDBLOCK;
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
            return errno;
        readEnd_ = fds[0];
        s_->inputWriteEnds[path] = fds[1];
        path_ = path;
        l.open = true;
        ++l.opens;
        return 0;
    }

    void close() noexcept override
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0)
            return;
        s_->calls.push_back("close " + path_);
        ::close(readEnd_);
        readEnd_ = -1;
        ::close(s_->inputWriteEnds[path_]);
        s_->inputWriteEnds.erase(path_);
        s_->lines[path_].open = false;
    }

    bool isOpen() const override { return readEnd_ >= 0; }
    int pollFd() const override { return readEnd_; }
    bool hasModemLines() const override
    {
        std::lock_guard lock(s_->mutex);
        return readEnd_ >= 0 && s_->lines[path_].hasModemLines;
    }

    int setQueueSizes(int inputSize, int outputSize) override
    {
        return call(Op::Queues, "queues " + std::to_string(inputSize) + " " + std::to_string(outputSize),
                    [&](FakeSerialLine& l) {
                        l.inputSize = inputSize;
                        l.outputSize = outputSize;
                        return 0;
                    });
    }

    int setLineState(const platform::SerialLineState& state) override
    {
        return call(Op::State, "state", [&](FakeSerialLine& l) {
            if (const int err = platform::checkLineStateSupported(state))
                return err;
            l.state = state;
            if (!l.hasModemLines)
                return 0;
            const bool dtr = (state.Flags & platform::kLineDtrControlMask) == platform::kLineDtrEnable;
            setLevel(l, platform::kModemDTR, dtr);
            if (!(state.Flags & platform::kLineOutxCtsFlow)) {
                const auto rts = state.Flags & platform::kLineRtsControlMask;
                if (rts == 0 || rts == platform::kLineRtsEnable)
                    setLevel(l, platform::kModemRTS, rts == platform::kLineRtsEnable);
            }
            return 0;
        });
    }

    int setTimeouts(const platform::SerialTimeouts& timeouts) override
    {
        return call(Op::Timeouts, "timeouts", [&](FakeSerialLine& l) {
            l.timeouts = timeouts;
            return 0;
        });
    }

    platform::SerialIoResult read(void* buffer, std::size_t size) override
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0)
            return {0, EBADF};
        if (const int err = s_->failure(Op::Read))
            return {0, err};
        const ssize_t n = ::read(readEnd_, buffer, size);
        if (n < 0)
            return {0, errno};
        return {static_cast<std::size_t>(n), 0};
    }

    platform::SerialIoResult write(const void* data, std::size_t size) override
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0)
            return {0, EBADF};
        if (const int err = s_->failure(Op::Write))
            return {0, err};
        FakeSerialLine& l = s_->lines[path_];
        if (l.writeRoom >= 0)
            size = std::min(size, static_cast<std::size_t>(l.writeRoom));
        if (size == 0)
            return {0, EAGAIN};
        if (l.writeRoom >= 0)
            l.writeRoom -= static_cast<int>(size);
        l.written.append(static_cast<const char*>(data), size);
        l.counters.tx += static_cast<std::uint32_t>(size);
        return {size, 0};
    }

    int inputWaiting(int& count) override
    {
        count = 0;
        return call(Op::InputWaiting, {}, [&](FakeSerialLine&) {
            return ioctl(readEnd_, FIONREAD, &count) == 0 ? 0 : errno;
        });
    }

    int outputWaiting(int& count) override
    {
        count = 0;
        return call(Op::OutputWaiting, {}, [&](FakeSerialLine& l) {
            count = l.outputQueued;
            return 0;
        });
    }

    int purge(bool input, bool output) override
    {
        return call(Op::Purge, std::string("purge") + (input ? " in" : "") + (output ? " out" : ""),
                    [&](FakeSerialLine& l) {
                        char sink[256];
                        while (input && ::read(readEnd_, sink, sizeof sink) > 0) {
                        }
                        if (output)
                            l.outputQueued = 0;
                        return 0;
                    });
    }

    int modemLines(unsigned& lines) override
    {
        lines = 0;
        return call(Op::ModemLines, {}, [&](FakeSerialLine& l) {
            if (l.hasModemLines)
                lines = l.modemLines;
            return 0;
        });
    }

    int setModemLines(unsigned lines, bool on) override
    {
        return call(Op::SetModemLines, {}, [&](FakeSerialLine& l) {
            if (l.hasModemLines)
                setLevel(l, lines, on);
            return 0;
        });
    }

    int setBreak(bool on) override
    {
        return call(Op::Break, on ? "break on" : "break off", [&](FakeSerialLine& l) {
            l.breakOn = on;
            return 0;
        });
    }

    int holdOutput(bool held) override
    {
        return call(Op::HoldOutput, held ? "hold output" : "release output", [&](FakeSerialLine& l) {
            l.outputHeld = held;
            return 0;
        });
    }

    int counters(platform::SerialCounters& counters) override
    {
        counters = {};
        return call(Op::Counters, {}, [&](FakeSerialLine& l) {
            counters = l.counters;
            return 0;
        });
    }

private:
    // Runs one recorded call: logs `text` (when any), fails when asked to,
    // else runs `body` on the line.
    template <class Body>
    int call(Op op, const std::string& text, Body body)
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0)
            return EBADF;
        if (!text.empty())
            s_->calls.push_back(text);
        if (const int err = s_->failure(op))
            return err;
        return body(s_->lines[path_]);
    }

    void setLevel(FakeSerialLine& l, unsigned lines, bool on)
    {
        for (unsigned bit : {platform::kModemDTR, platform::kModemRTS})
            if (lines & bit) {
                s_->calls.push_back(std::string("modem ") + (on ? "+" : "-") + (bit == platform::kModemDTR ? "DTR" : "RTS"));
                l.modemLines = on ? (l.modemLines | bit) : (l.modemLines & ~bit);
            }
    }

    std::shared_ptr<FakeSerialDevices::State> s_;
    int readEnd_ = -1;
    std::string path_;
};

} // namespace

FakeSerialDevices::FakeSerialDevices() : state_(std::make_shared<State>())
{
    std::shared_ptr<State> state = state_;
    platform::setSerialDeviceFactory([state] { return std::make_unique<FakeDevice>(state); });
}

FakeSerialDevices::~FakeSerialDevices()
{
    platform::setSerialDeviceFactory(nullptr);
}

void FakeSerialDevices::fail(Op op, int error, int times)
{
    std::lock_guard lock(state_->mutex);
    state_->failures[op] = {error, times};
}

void FakeSerialDevices::clearFailures()
{
    std::lock_guard lock(state_->mutex);
    state_->failures.clear();
}

std::vector<std::string> FakeSerialDevices::calls() const
{
    std::lock_guard lock(state_->mutex);
    return state_->calls;
}

void FakeSerialDevices::clearCalls()
{
    std::lock_guard lock(state_->mutex);
    state_->calls.clear();
}

FakeSerialLine FakeSerialDevices::line(const std::string& path) const
{
    std::lock_guard lock(state_->mutex);
    auto it = state_->lines.find(path);
    return it == state_->lines.end() ? FakeSerialLine{} : it->second;
}

void FakeSerialDevices::setModemInputs(const std::string& path, unsigned lines)
{
    std::lock_guard lock(state_->mutex);
    constexpr unsigned outputs = platform::kModemDTR | platform::kModemRTS;
    FakeSerialLine& l = state_->lines[path];
    l.modemLines = (l.modemLines & outputs) | (lines & ~outputs);
}

void FakeSerialDevices::setHasModemLines(const std::string& path, bool has)
{
    std::lock_guard lock(state_->mutex);
    state_->lines[path].hasModemLines = has;
}

void FakeSerialDevices::setCounters(const std::string& path, const platform::SerialCounters& counters)
{
    std::lock_guard lock(state_->mutex);
    state_->lines[path].counters = counters;
}

void FakeSerialDevices::setWriteRoom(const std::string& path, int bytes)
{
    std::lock_guard lock(state_->mutex);
    state_->lines[path].writeRoom = bytes;
}

void FakeSerialDevices::setOutputQueued(const std::string& path, int bytes)
{
    std::lock_guard lock(state_->mutex);
    state_->lines[path].outputQueued = bytes;
}

bool FakeSerialDevices::pushInput(const std::string& path, const std::string& bytes)
{
    std::lock_guard lock(state_->mutex);
    auto it = state_->inputWriteEnds.find(path);
    if (it == state_->inputWriteEnds.end())
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(it->second, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;  // the pipe is full: tests feed less at a time
        done += static_cast<std::size_t>(n);
    }
    state_->lines[path].counters.rx += static_cast<std::uint32_t>(bytes.size());
    return true;
}

} // namespace testenv
