#include "app/link/ComLinkPort.h"

#include <algorithm>

#include "serial/ComPort.h"

namespace app {

bool ComLinkPort::connected() const
{
    return port_.Connected();
}

void ComLinkPort::write(const std::string& bytes)
{
    // A write cut short by the write time-out is not an error of its own:
    // the frame stays outstanding and the resend writes it again. A write
    // that fails raises the port's error.
    port_.WriteStr(bytes);
}

std::string ComLinkPort::read(std::size_t maxCount)
{
    // Only what has arrived: the read then never waits.
    const std::size_t waiting = static_cast<std::size_t>(std::max(port_.InputCount(), 0));
    const int count = static_cast<int>(std::min({waiting, maxCount, std::size_t{1} << 20}));
    std::string bytes;
    if (count > 0)
        port_.ReadStr(bytes, count);
    return bytes;
}

} // namespace app
