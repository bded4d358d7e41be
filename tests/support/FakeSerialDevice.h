#pragma once
// Serial devices for tests, without hardware or a pseudo-terminal.
//
// While a FakeSerialDevices object lives, every port the code under test
// opens gets a fake device with modem lines. The fakes record the calls that
// set a line up, keep what was set per device path (a "line"), keep ports
// exclusive, and fail on demand. Input arrives through a pipe, so pollFd() works as with a
// real device.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"
#include "support/ScopedOverride.h"

namespace testenv {

// What the fakes know of one device path.
struct FakeSerialLine {
    bool open = false;
    int input = -1;  // while open: the write end of the pipe the device reads
    std::optional<platform::SerialLineState> state;    // last state set
    std::optional<platform::SerialTimeouts> timeouts;  // last time-outs set
    std::string written;                               // every byte written
    unsigned modemLines = 0;  // kModemCTS.. inputs and kModemDTR/RTS outputs
    platform::SerialCounters counters;
    int writeRoom = -1;    // bytes writes may still take (-1: any number)
    int outputQueued = 0;  // what the output queue reports; purged to 0
};

class FakeSerialDevices {
public:
    enum class Op { Open, Queues, State, Timeouts, Read, Write, OutputWaiting, Purge, ModemLines, Escape };

    FakeSerialDevices();  // puts the fakes in place until it goes (not copied: the override is not)

    // The next `times` calls of `op` (any path) fail with `error`; times < 0
    // means every call, error 0 none.
    void fail(Op op, int error, int times = 1);
    // The calls that open, set up, control and close lines, in order ("open
    // /dev/COM1", "queues 1024 1024", "state", "modem +DTR", "timeouts",
    // "purge in", "break +", "hold -", ...); Escape fails the last three kinds;
    // `clear` forgets them.
    std::vector<std::string> calls(bool clear = false);
    // What is known of `path` (a full device path), after `change` (modem
    // inputs, counters, write room, ...) when given.
    FakeSerialLine line(const std::string& path, const std::function<void(FakeSerialLine&)>& change = {});
    // Makes `bytes` arrive on the open device of `path`; false when none is open.
    bool pushInput(const std::string& path, const std::string& bytes);

    struct State;

private:
    std::shared_ptr<State> state_;
    ScopedOverride factory_;
};

} // namespace testenv
