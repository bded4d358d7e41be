#pragma once
// Waits for the line events a port watches: received bytes (pumped into the
// input queue, which raises the receive events), events raised by others
// (a finished write), and, on a line that has them, modem and error events
// looked for every kLineLook while they are watched. Nothing else makes it
// wake: with only receive events watched it waits in poll() without a time
// limit, and once the device has gone it waits only for its stop
// descriptors. Used by the event thread and by WaitForEvent.
#include <chrono>

#include "platform/SerialDevice.h"
#include "serial/ComTypes.h"
#include "serial/engine/ComEventSignal.h"
#include "serial/engine/ComInputQueue.h"
#include "serial/engine/ComLineWatch.h"

namespace serial {

// The receive events the input pump raises.
inline constexpr TComEvents kReceiveEvents{TComEvent::evRxChar, TComEvent::evRxFlag, TComEvent::evRx80Full};

class ComEventWatcher {
public:
    // How often modem lines and line counters are looked at while watched.
    static constexpr std::chrono::milliseconds kLineLook{20};

    // Starts watching `watched` on `device`: bytes already received and
    // events raised before do not count.
    ComEventWatcher(platform::SerialDevice& device, ComInputQueue& input, ComEventSignal& events,
                    TComEvents watched);

    struct Result {
        TComEvents events;      // watched events that happened
        bool stopped = false;   // one of the stop descriptors is readable
        int error = 0;          // poll() failed with this errno
    };
    // Waits once: until events happen, a stop descriptor (-1: none) becomes
    // readable, or `timeout` passes (-1: no limit).
    Result wait(int stopA, int stopB, std::chrono::milliseconds timeout);

private:
    platform::SerialDevice& device_;
    ComInputQueue& input_;
    ComEventSignal& events_;
    TComEvents watched_;
    bool watchReceive_;
    bool watchLines_;
    ComLineWatch lines_;
};

} // namespace serial
