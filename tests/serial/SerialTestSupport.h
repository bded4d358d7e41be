#pragma once
// What the serial tests share: the fake device and the pseudo-terminal, errors
// raised, a log for handlers on any thread, bounded waits and the exception
// hook.
#include <gtest/gtest.h>

#include <QTest>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"
#include "serial/engine/ComThread.h"
#include "support/FakeSerialDevice.h"
#include "support/PtyPair.h"
#include "support/ScopedOverride.h"

namespace serialtest {

using namespace serial;
using testenv::FakeSerialDevices;
using Op = FakeSerialDevices::Op;
using Strings = std::vector<std::string>;
using std::chrono::milliseconds;
const std::string kPath = "/dev/COM1";  // the fake device of a port left at its default name

// The library code and errno `f` raises: {0, 0} for none, errno -1 for a
// plain EComPort, {-1, -1} for any other exception.
template <class F>
std::pair<int, int> Raised(F&& f)
{
    try {
        f();
    } catch (const EComPortExt& e) {
        return {int(e.Code()), e.WinCode()};
    } catch (const EComPort& e) {
        return {int(e.Code()), -1};
    } catch (...) {
        return {-1, -1};
    }
    return {0, 0};
}

// A log that handlers on any thread may write; take() empties it.
struct Log {
    mutable std::mutex mutex;
    Strings lines;
    void add(const std::string& s) { std::lock_guard lock(mutex); lines.push_back(s); }
    Strings take() { std::lock_guard lock(mutex); return std::exchange(lines, {}); }
    std::size_t Size() const { std::lock_guard lock(mutex); return lines.size(); }
    // Callbacks that log their name (with "+" / "-" for on and off, or the bytes).
    TNotifyEvent note(std::string name) { return [this, name](auto*) { add(name); }; }
    TComSignalEvent signal(std::string name) { return [this, name](auto*, bool on) { add(name + (on ? "+" : "-")); }; }
    TRxBufEvent Bytes(std::string name)
    {
        return [this, name](auto*, const char* b, int n) { add(name + " " + std::string(b, n)); };
    }
};

// Logs the messages that reach the exception hook while it lives.
struct HookMessages : Log {
    testenv::ScopedOverride handler{setErrorHandler, [this](std::exception_ptr e) { add(exceptionMessage(e)); }};
};

// Runs the Qt event loop until `done` holds or `ms` have passed.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000) { return QTest::qWaitFor(done, ms); }

// Waits, without the event loop, until `done` holds or `ms` have passed.
inline bool waitWithoutEvents(const std::function<bool()>& done, int ms = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(1));
    return done();
}

// How long `f` takes.
template <class F>
milliseconds timed(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

// The CPU time the port's event thread uses while the event loop runs `ms`.
inline milliseconds threadCpuDuring(TCustomComPort& port, int ms)
{
    const auto before = port.EventThread()->cpuTime();
    EXPECT_GT(before.count(), 0);  // the measure works
    QTest::qWait(ms);
    return std::chrono::duration_cast<milliseconds>(port.EventThread()->cpuTime() - before);
}

// A port named ComPort1 that shows its update nesting.
struct ProbePort : TComPort {
    ProbePort() { SetName("ComPort1"); }
    using TComPort::updateCount;
};

} // namespace serialtest
