#pragma once
// Line events and line errors from the driver's running counters and the
// modem input lines. A line without them (a pseudo-terminal) has neither
// events nor errors.
#include "platform/SerialDevice.h"
#include "serial/ComTypes.h"

namespace serial {

// The events the watch can notice; the others come from the data path.
inline constexpr TComEvents kLineWatchEvents{TComEvent::evCTS, TComEvent::evDSR, TComEvent::evRLSD,
                                             TComEvent::evRing, TComEvent::evBreak, TComEvent::evError};

// The line errors counted between two readings of the counters. A parity
// error counts only when the port checks parity.
TComErrors lineErrorsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             bool parityCheck);

// The line events between two readings of the counters and the modem lines:
// a modem line that changed or whose change counter moved, a ring, a break,
// any line error.
TComEvents lineEventsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             unsigned linesBefore, unsigned linesAfter);

// Follows a device's counters and modem lines from one look to the next.
class ComLineWatch {
public:
    // Takes the present state as the base of the next look.
    void reset(platform::SerialDevice& device);
    // The events since the last look (nothing for a line without them or
    // when the device cannot be asked).
    TComEvents poll(platform::SerialDevice& device);

private:
    bool read(platform::SerialDevice& device, platform::SerialCounters& counters, unsigned& lines);

    platform::SerialCounters counters_;
    unsigned lines_ = 0;
};

} // namespace serial
