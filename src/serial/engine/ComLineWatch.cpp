#include "serial/engine/ComLineWatch.h"

namespace serial {

TComErrors lineErrorsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             bool parityCheck)
{
    TComErrors errors;
    if (after.frame != before.frame)
        errors.include(TComError::ceFrame);
    if (parityCheck && after.parity != before.parity)
        errors.include(TComError::ceRxParity);
    if (after.overrun != before.overrun)
        errors.include(TComError::ceOverrun);
    if (after.bufOverrun != before.bufOverrun)
        errors.include(TComError::ceRxOver);
    if (after.brk != before.brk)
        errors.include(TComError::ceBreak);
    return errors;
}

TComEvents lineEventsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             unsigned linesBefore, unsigned linesAfter)
{
    const unsigned changed = linesBefore ^ linesAfter;
    TComEvents events;
    if (after.cts != before.cts || (changed & platform::kModemCTS))
        events.include(TComEvent::evCTS);
    if (after.dsr != before.dsr || (changed & platform::kModemDSR))
        events.include(TComEvent::evDSR);
    if (after.rlsd != before.rlsd || (changed & platform::kModemRLSD))
        events.include(TComEvent::evRLSD);
    if (after.ring != before.ring || (linesAfter & ~linesBefore & platform::kModemRing))
        events.include(TComEvent::evRing);
    if (after.brk != before.brk)
        events.include(TComEvent::evBreak);
    if (after.frame != before.frame || after.parity != before.parity || after.overrun != before.overrun
        || after.bufOverrun != before.bufOverrun)
        events.include(TComEvent::evError);
    return events;
}

bool ComLineWatch::read(platform::SerialDevice& device, platform::SerialCounters& counters, unsigned& lines)
{
    if (!device.hasModemLines())
        return false;
    return device.counters(counters) == 0 && device.modemLines(lines) == 0;
}

void ComLineWatch::reset(platform::SerialDevice& device)
{
    counters_ = {};
    lines_ = 0;
    read(device, counters_, lines_);
}

TComEvents ComLineWatch::poll(platform::SerialDevice& device)
{
    platform::SerialCounters counters;
    unsigned lines = 0;
    if (!read(device, counters, lines))
        return {};
    const TComEvents events = lineEventsBetween(counters_, counters, lines_, lines);
    counters_ = counters;
    lines_ = lines;
    return events;
}

} // namespace serial
