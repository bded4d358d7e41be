#pragma once
// Helpers shared by the serial tests.
#include <QTest>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "serial/ComErrors.h"
#include "serial/ComLink.h"
#include "serial/ExceptionHook.h"

namespace serialtest {

using Strings = std::vector<std::string>;

// The library error code `f` raises; 0 when it raises none.
template <class F>
std::uint8_t CodeOf(F f)
{
    try {
        f();
    } catch (const serial::EComPort& e) {
        return e.Code();
    }
    return 0;
}

// The errno an EComPortExt raised by `f` carries; -1 when none is raised.
template <class F>
int WinCodeOf(F f)
{
    try {
        f();
    } catch (const serial::EComPortExt& e) {
        return e.WinCode();
    }
    return -1;
}

// Runs the Qt event loop until `done` holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    return QTest::qWaitFor(done, ms);
}

// Waits, without the event loop, until `done` holds or `ms` have passed.
inline bool WaitWithoutEvents(const std::function<bool()>& done, int ms = 3000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Catches what goes to the exception hook while it lives.
struct HookMessages {
    Strings messages;
    HookMessages()
    {
        serial::SetExceptionHandler([this](std::exception_ptr e) { messages.push_back(serial::ExceptionMessage(e)); });
    }
    ~HookMessages() { serial::SetExceptionHandler(nullptr); }
};

} // namespace serialtest
