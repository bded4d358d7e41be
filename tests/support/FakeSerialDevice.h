#pragma once
// Serial devices for tests, without hardware or a pseudo-terminal.
//
// While a FakeSerialDevices object lives, every port the code under test
// opens gets a fake device. The fakes record each call, keep what was set
// per device path (a "line"), keep ports exclusive, and fail on demand. Input
// is fed through a pipe, so pollFd() works as with a real device.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialDevice.h"

namespace testenv {

// What the fakes know of one device path.
struct FakeSerialLine {
    bool open = false;
    int opens = 0;
    std::optional<platform::SerialLineState> state;   // last state set
    std::optional<platform::SerialTimeouts> timeouts; // last time-outs set
    int inputSize = -1, outputSize = -1;               // last queue sizes set
    std::string written;                               // every byte written
    unsigned modemLines = 0;     // kModemCTS.. inputs and kModemDTR/RTS outputs
    bool hasModemLines = true;
    platform::SerialCounters counters;
    bool breakOn = false;
    bool outputHeld = false;
    int writeRoom = -1;        // bytes a write may still take (-1: any number)
    int outputQueued = 0;      // what the output queue reports; purged to 0
};

class FakeSerialDevices {
public:
    enum class Op {
        Open, Queues, State, Timeouts, Read, Write, InputWaiting, OutputWaiting,
        Purge, ModemLines, SetModemLines, Break, HoldOutput, Counters
    };

    FakeSerialDevices();   // puts the fakes in place
    ~FakeSerialDevices();  // puts the system devices back
    FakeSerialDevices(const FakeSerialDevices&) = delete;
    FakeSerialDevices& operator=(const FakeSerialDevices&) = delete;

    // The next `times` calls of `op` (any path) fail with `error`; times < 0
    // means every call until clearFailures().
    void fail(Op op, int error, int times = 1);
    void clearFailures();

    // Calls in order, as text: "open /dev/COM1", "queues 1024 1024",
    // "state", "timeouts", "modem +DTR", "modem -RTS", "close /dev/COM1", ...
    std::vector<std::string> calls() const;
    void clearCalls();

    // A copy of what is known of `path` (a full device path).
    FakeSerialLine line(const std::string& path) const;
    // Changes the inputs of a line: modem lines, whether it has any, counters.
    void setModemInputs(const std::string& path, unsigned lines);
    void setHasModemLines(const std::string& path, bool has);
    void setCounters(const std::string& path, const platform::SerialCounters& counters);
    // Limits what writes may still take (-1: no limit) and what the output
    // queue reports as still waiting.
    void setWriteRoom(const std::string& path, int bytes);
    void setOutputQueued(const std::string& path, int bytes);
    // Makes `bytes` arrive on the open device of `path`; false when none is open.
    bool pushInput(const std::string& path, const std::string& bytes);

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace testenv
