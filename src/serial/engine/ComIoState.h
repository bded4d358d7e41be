#pragma once
// What a port keeps for its data path while it lives: the input queue, the
// pending line events with their wake-up, the abort signal of its pending
// operations, and the base of its status queries.
#include <atomic>
#include <mutex>
#include <shared_mutex>

#include "platform/SerialDevice.h"
#include "serial/engine/ComAbortSignal.h"
#include "serial/engine/ComEventSignal.h"
#include "serial/engine/ComInputQueue.h"

namespace serial {

struct ComIoState {
    ComEventSignal events;
    ComInputQueue input{events};
    ComAbortSignal abort;
    // Reads, writes and queries hold it shared while they use the device;
    // closing holds it alone while it closes the device, so no call ever
    // reaches a closed descriptor.
    std::shared_mutex gate;
    // The counters at the last status query: line errors are those counted
    // since then.
    std::mutex statusMutex;
    platform::SerialCounters statusCounters;
    // Output held as if XOFF had been received.
    std::atomic<bool> outputHeld{false};

    // Makes the wake-ups for a port being opened: 0 or an errno value.
    int open()
    {
        if (const int err = events.open())
            return err;
        if (const int err = input.open())
            return err;
        return abort.open();
    }
};

} // namespace serial
