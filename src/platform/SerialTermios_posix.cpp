#include "platform/SerialTermios_posix.h"

namespace platform {

void makeRawTermios(termios& t)
{
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

void applyLineStateToTermios(const SerialLineState& s, termios& t)
{
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= kSizes[s.ByteSize - 5];
    if (s.StopBits != kOneStopBit)
        t.c_cflag |= CSTOPB;  // 1.5 stop bits with 5 data bits, else 2
    switch (s.Parity) {
    case kParityOdd: t.c_cflag |= PARENB | PARODD; break;
    case kParityEven: t.c_cflag |= PARENB; break;
    case kParityMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case kParitySpace: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // The line can only pair CTS output flow with RTS input flow.
    if ((s.Flags & kLineOutxCtsFlow) || (s.Flags & kLineRtsControlMask) == kLineRtsHandshake)
        t.c_cflag |= CRTSCTS;

    t.c_iflag &= ~(INPCK | IGNPAR | PARMRK | ISTRIP | IXON | IXOFF | IXANY);
    // Checked input marks each byte received with an error as FF 00 byte
    // (and doubles a received FF), so the reader can tell it apart and
    // replace it with the error character.
    if (s.Flags & kLineParityCheck)
        t.c_iflag |= INPCK | PARMRK;
    if (s.Flags & kLineOutX)
        t.c_iflag |= IXON;
    if (s.Flags & kLineInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
}

bool standardSpeed(std::uint32_t baudRate, speed_t& speed)
{
    struct Pair { std::uint32_t rate; speed_t speed; };
    static constexpr Pair kSpeeds[] = {
        {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200},
        {300, B300}, {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400},
        {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
        {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const Pair& p : kSpeeds)
        if (p.rate == baudRate) {
            speed = p.speed;
            return true;
        }
    return false;
}

} // namespace platform
