#include "platform/SerialLineState.h"

#include <cerrno>

namespace platform {

int checkLineStateSupported(const SerialLineState& s)
{
    if (s.BaudRate == 0)
        return EINVAL;  // speed 0 would hang the line up
    if (s.Flags & (kLineOutxDsrFlow | kLineDsrSensitivity))
        return EINVAL;
    if ((s.Flags & kLineDtrControlMask) == kLineDtrHandshake || (s.Flags & kLineDtrControlMask) == kLineDtrControlMask)
        return EINVAL;
    if ((s.Flags & kLineRtsControlMask) == kLineRtsToggle)
        return EINVAL;
    if (s.ByteSize < 5 || s.ByteSize > 8 || s.Parity > kParitySpace || s.StopBits > kTwoStopBits)
        return EINVAL;
    if (s.StopBits == kOne5StopBits && s.ByteSize != 5)
        return EINVAL;
    if (s.StopBits == kTwoStopBits && s.ByteSize == 5)
        return EINVAL;
    return 0;
}

} // namespace platform
