#include "serial/engine/ComEventSignal.h"

namespace serial {

void ComEventSignal::raise(TComEvents events, bool wakeTaker)
{
    if (events.empty())
        return;
    pending_.fetch_or(events.toBits());
    if (wakeTaker)
        wake();
}

void ComEventSignal::wake() const
{
    if (fd_.valid())
        fd_.signal();
}

} // namespace serial
