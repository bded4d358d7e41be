#include "serial/ComLineWatch.h"

namespace serial {

TComErrors lineErrorsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             bool parityCheck)
{
    TComErrors errors;
    if (after.frame != before.frame)
        errors.Include(TComError::ceFrame);
    if (parityCheck && after.parity != before.parity)
        errors.Include(TComError::ceRxParity);
    if (after.overrun != before.overrun)
        errors.Include(TComError::ceOverrun);
    if (after.bufOverrun != before.bufOverrun)
        errors.Include(TComError::ceRxOver);
    if (after.brk != before.brk)
        errors.Include(TComError::ceBreak);
    return errors;
}

TComEvents lineEventsBetween(const platform::SerialCounters& before, const platform::SerialCounters& after,
                             unsigned linesBefore, unsigned linesAfter)
{
    const unsigned changed = linesBefore ^ linesAfter;
    TComEvents events;
    if (after.cts != before.cts || (changed & platform::kModemCTS))
        events.Include(TComEvent::evCTS);
    if (after.dsr != before.dsr || (changed & platform::kModemDSR))
        events.Include(TComEvent::evDSR);
    if (after.rlsd != before.rlsd || (changed & platform::kModemRLSD))
        events.Include(TComEvent::evRLSD);
    if (after.ring != before.ring || (linesAfter & ~linesBefore & platform::kModemRing))
        events.Include(TComEvent::evRing);
    if (after.brk != before.brk)
        events.Include(TComEvent::evBreak);
    if (after.frame != before.frame || after.parity != before.parity || after.overrun != before.overrun
        || after.bufOverrun != before.bufOverrun)
        events.Include(TComEvent::evError);
    return events;
}

bool ComLineWatch::Read(platform::SerialDevice& device, platform::SerialCounters& counters, unsigned& lines)
{
    if (!device.hasModemLines())
        return false;
    return device.counters(counters) == 0 && device.modemLines(lines) == 0;
}

void ComLineWatch::Reset(platform::SerialDevice& device)
{
    counters_ = {};
    lines_ = 0;
    Read(device, counters_, lines_);
}

TComEvents ComLineWatch::Poll(platform::SerialDevice& device)
{
    platform::SerialCounters counters;
    unsigned lines = 0;
    if (!Read(device, counters, lines))
        return {};
    const TComEvents events = lineEventsBetween(counters_, counters, lines_, lines);
    counters_ = counters;
    lines_ = lines;
    return events;
}

} // namespace serial
