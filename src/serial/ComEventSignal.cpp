#include "serial/ComEventSignal.h"

namespace serial {

void ComEventSignal::Raise(TComEvents events, bool wake)
{
    if (events.Empty())
        return;
    pending_.fetch_or(events.ToBits());
    if (wake)
        Wake();
}

void ComEventSignal::Wake() const
{
    if (fd_.valid())
        fd_.signal();
}

} // namespace serial
