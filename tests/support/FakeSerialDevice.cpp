#include "support/FakeSerialDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace testenv {

using Op = FakeSerialDevices::Op;

struct FakeSerialDevices::State {
    std::mutex mutex;
    std::map<std::string, FakeSerialLine> lines;
    std::vector<std::string> calls;
    std::map<Op, std::pair<int, int>> failures;  // op -> error, calls left to fail (< 0: all)
};

namespace {

class FakeDevice final : public platform::SerialDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeSerialDevices::State> state) : s_(std::move(state)) {}
    ~FakeDevice() override { close(); }

    int open(const std::string& path) override
    {
        std::lock_guard lock(s_->mutex);
        s_->calls.push_back("open " + path);
        int fds[2];
        if (const int err = failure(Op::Open))
            return err;
        if (s_->lines[path].open || pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
            return EWOULDBLOCK;
        readEnd_ = fds[0];
        path_ = path;
        s_->lines[path].open = true;
        s_->lines[path].input = fds[1];
        return 0;
    }
    void close() noexcept override
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0) return;
        s_->calls.push_back("close " + path_);
        ::close(std::exchange(readEnd_, -1));
        ::close(std::exchange(s_->lines[path_].input, -1));
        s_->lines[path_].open = false;
    }
    bool isOpen() const override { return readEnd_ >= 0; }
    int pollFd() const override { return readEnd_; }
    bool hasModemLines() const override { return readEnd_ >= 0; }

    int setQueueSizes(int in, int out) override
    {
        return call(Op::Queues, "queues " + std::to_string(in) + " " + std::to_string(out), ok);
    }
    int setLineState(const platform::SerialLineState& state) override
    {
        return call(Op::State, "state", [&](FakeSerialLine& l) {
            if (const int err = platform::checkLineStateSupported(state))
                return err;
            l.state = state;
            setLevel(l, platform::kModemDTR, (state.Flags & platform::kLineDtrControlMask) == platform::kLineDtrEnable);
            const auto rts = state.Flags & platform::kLineRtsControlMask;
            if (!(state.Flags & platform::kLineOutxCtsFlow) && rts <= platform::kLineRtsEnable)
                setLevel(l, platform::kModemRTS, rts == platform::kLineRtsEnable);
            return 0;
        });
    }
    int setTimeouts(const platform::SerialTimeouts& t) override { return call(Op::Timeouts, "timeouts", [&](auto& l) { return l.timeouts = t, 0; }); }

    platform::SerialIoResult read(void* buffer, std::size_t size) override
    {
        ssize_t n = -1;
        const int err = call(Op::Read, "", [&](auto&) { return (n = ::read(readEnd_, buffer, size)) < 0 ? errno : 0; });
        return {n < 0 ? 0 : static_cast<std::size_t>(n), err};
    }
    platform::SerialIoResult write(const void* data, std::size_t size) override
    {
        const int err = call(Op::Write, "", [&](FakeSerialLine& l) {
            size = l.writeRoom < 0 ? size : std::min(size, static_cast<std::size_t>(l.writeRoom));
            l.writeRoom -= l.writeRoom < 0 ? 0 : static_cast<int>(size);
            l.written.append(static_cast<const char*>(data), size);
            return size == 0 ? EAGAIN : 0;
        });
        return {err ? 0 : size, err};
    }
    int inputWaiting(int& count) override { return count = 0, 0; }
    int outputWaiting(int& count) override { return call(Op::OutputWaiting, "", [&](auto& l) { return count = l.outputQueued, 0; }); }
    int purge(bool input, bool output) override
    {
        return call(Op::Purge, std::string("purge") + (input ? " in" : "") + (output ? " out" : ""), [&](auto& l) {
            for (char sink[256]; input && ::read(readEnd_, sink, sizeof sink) > 0;) {
            }
            l.outputQueued = output ? 0 : l.outputQueued;
            return 0;
        });
    }
    int modemLines(unsigned& lines) override { return call(Op::ModemLines, "", [&](auto& l) { return lines = l.modemLines, 0; }); }
    int setModemLines(unsigned lines, bool on) override { return call(Op::Escape, "", [&](auto& l) { return setLevel(l, lines, on), 0; }); }
    int setBreak(bool on) override { return call(Op::Escape, on ? "break +" : "break -", ok); }
    int holdOutput(bool held) override { return call(Op::Escape, held ? "hold +" : "hold -", ok); }
    int counters(platform::SerialCounters& c) override { return call({}, "", [&](auto& l) { return c = l.counters, 0; }); }

private:
    static int ok(FakeSerialLine&) { return 0; }
    // One call on the open device: logs `text` (when any), fails when `op`
    // is to fail, else runs `body` on the line.
    template <class Body>
    int call(std::optional<Op> op, const std::string& text, Body body)
    {
        std::lock_guard lock(s_->mutex);
        if (readEnd_ < 0)
            return EBADF;
        if (!text.empty())
            s_->calls.push_back(text);
        const int err = op ? failure(*op) : 0;
        return err ? err : body(s_->lines[path_]);
    }
    // The error `op` fails with now (0 for none), counting one failure; the state is locked.
    int failure(Op op)
    {
        auto it = s_->failures.find(op);
        const int error = it == s_->failures.end() ? 0 : it->second.first;
        if (error && --it->second.second == 0)
            s_->failures.erase(it);
        return error;
    }
    // Sets modem outputs, logging each.
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

FakeSerialDevices::FakeSerialDevices()
    : state_(std::make_shared<State>())
    , factory_(platform::setSerialDeviceFactory,
               platform::SerialDeviceFactory([state = state_] { return std::make_unique<FakeDevice>(state); }))
{
}

void FakeSerialDevices::fail(Op op, int error, int times)
{
    std::lock_guard lock(state_->mutex);
    state_->failures[op] = {error, times};
}

std::vector<std::string> FakeSerialDevices::calls(bool clear)
{
    std::lock_guard lock(state_->mutex);
    return clear ? std::exchange(state_->calls, {}) : state_->calls;
}

FakeSerialLine FakeSerialDevices::line(const std::string& path, const std::function<void(FakeSerialLine&)>& change)
{
    std::lock_guard lock(state_->mutex);
    if (change)
        change(state_->lines[path]);
    return state_->lines[path];
}

bool FakeSerialDevices::pushInput(const std::string& path, const std::string& bytes)
{
    const int input = line(path).input;
    return input >= 0 && ::write(input, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

} // namespace testenv
