#include "app/loader/ComBootPort.h"

#include <stdexcept>

#include "app/link/LineSetup.h"

namespace app {

void setUpLoaderPort(serial::TComPort& port)
{
    setUpClockLine(port, serial::TDTRFlowControl::dtrDisable);
    // Interval and multiplier all ones with a constant: at once with what is
    // there, else up to the constant for the first byte.
    serial::TComTimeouts& timeouts = port.Timeouts();
    timeouts.SetReadInterval(-1);
    timeouts.SetReadTotalMultiplier(-1);
    timeouts.SetReadTotalConstant(kLoaderReadSliceMs);
    port.SetEvents(serial::TComEvents{serial::TComEvent::evRxFlag});
}

void ComBootPort::write(const std::string& bytes)
{
    const int written = port_.WriteStr(bytes);
    if (written != static_cast<int>(bytes.size()))
        throw std::runtime_error("Kunde inte skriva till porten " + port_.Port() + ": " + std::to_string(written) +
                                 " av " + std::to_string(bytes.size()) + " byte gick iväg");
}

std::string ComBootPort::read()
{
    // Only what is there: a read of those bytes returns at once.
    std::string bytes;
    const int waiting = port_.InputCount();
    if (waiting > 0)
        port_.ReadStr(bytes, waiting);
    return bytes;
}

} // namespace app
