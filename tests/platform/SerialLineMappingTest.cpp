// How line settings become termios flags, without a device.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/SerialDevice.h"
#include "platform/SerialLineState.h"
#include "platform/SerialTermios_posix.h"

using namespace platform;

namespace {

SerialLineState Line(std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits, std::uint32_t flags = kLineBinary)
{
    SerialLineState s;
    s.BaudRate = 9600;
    s.ByteSize = byteSize;
    s.Parity = parity;
    s.StopBits = stopBits;
    s.Flags = flags;
    s.XonChar = 17;
    s.XoffChar = 19;
    return s;
}

} // namespace

TEST(SerialLineState, WhatTheLineCannotDoIsRefused)
{
    struct Case { const char* what; SerialLineState state; int expected; };
    SerialLineState speedZero = Line(8, kParityNone, kOneStopBit);
    speedZero.BaudRate = 0;
    const Case cases[] = {
        {"8N1", Line(8, kParityNone, kOneStopBit), 0},
        {"5 bits, 1.5 stop", Line(5, kParityNone, kOne5StopBits), 0},
        {"7 bits, 2 stop", Line(7, kParityEven, kTwoStopBits), 0},
        {"speed 0", speedZero, EINVAL},
        {"8 bits, 1.5 stop", Line(8, kParityNone, kOne5StopBits), EINVAL},
        {"5 bits, 2 stop", Line(5, kParityNone, kTwoStopBits), EINVAL},
        {"4 bits", Line(4, kParityNone, kOneStopBit), EINVAL},
        {"parity 5", Line(8, 5, kOneStopBit), EINVAL},
        {"stop bits 3", Line(8, kParityNone, 3), EINVAL},
        {"DSR output flow", Line(8, 0, 0, kLineBinary | kLineOutxDsrFlow), EINVAL},
        {"DSR sensitivity", Line(8, 0, 0, kLineBinary | kLineDsrSensitivity), EINVAL},
        {"DTR handshake", Line(8, 0, 0, kLineBinary | kLineDtrHandshake), EINVAL},
        {"RTS toggle", Line(8, 0, 0, kLineBinary | kLineRtsToggle), EINVAL},
        {"limits, continue on XOFF", Line(8, 0, 0, kLineBinary | kLineTxContinueOnXoff), 0},
        {"CTS flow, RTS handshake, XON/XOFF", Line(8, 0, 0, kLineBinary | kLineOutxCtsFlow | kLineRtsHandshake | kLineOutX | kLineInX), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkLineStateSupported(c.state), c.expected) << c.what;
}

TEST(SerialTermios, FramingParityAndFlowBecomeTermiosFlags)
{
    struct Case {
        const char* what;
        SerialLineState state;
        tcflag_t cflagOn, cflagOff, iflagOn, iflagOff;
    };
    const tcflag_t parityBits = PARENB | PARODD | CMSPAR;
    const Case cases[] = {
        {"8N1", Line(8, kParityNone, kOneStopBit), CS8, parityBits | CSTOPB | CRTSCTS, 0, INPCK | IXON | IXOFF},
        {"7O1", Line(7, kParityOdd, kOneStopBit), CS7 | PARENB | PARODD, CMSPAR | CSTOPB, 0, INPCK},
        {"7E2 checked", Line(7, kParityEven, kTwoStopBits, kLineBinary | kLineParityCheck), CS7 | PARENB | CSTOPB, PARODD | CMSPAR, INPCK | PARMRK, 0},
        {"6 mark", Line(6, kParityMark, kOneStopBit), CS6 | PARENB | CMSPAR | PARODD, 0, 0, 0},
        {"8 space", Line(8, kParitySpace, kOneStopBit), CS8 | PARENB | CMSPAR, PARODD, 0, 0},
        {"5 bits 1.5 stop", Line(5, kParityNone, kOne5StopBits), CS5 | CSTOPB, 0, 0, 0},
        {"CTS output flow", Line(8, 0, 0, kLineBinary | kLineOutxCtsFlow), CS8 | CRTSCTS, 0, 0, 0},
        {"RTS handshake", Line(8, 0, 0, kLineBinary | kLineRtsHandshake), CS8 | CRTSCTS, 0, 0, 0},
        {"RTS enable only", Line(8, 0, 0, kLineBinary | kLineRtsEnable), CS8, CRTSCTS, 0, 0},
        {"XON/XOFF out", Line(8, 0, 0, kLineBinary | kLineOutX), CS8, 0, IXON, IXOFF},
        {"XON/XOFF in", Line(8, 0, 0, kLineBinary | kLineInX), CS8, 0, IXOFF, IXON},
    };
    for (const Case& c : cases) {
        termios t{};
        // Start from the opposite of everything, so stale bits must be cleared.
        t.c_cflag = CS5 | parityBits | CSTOPB | CRTSCTS | CREAD | CLOCAL;
        t.c_iflag = INPCK | IXON | IXOFF | IXANY | ISTRIP | PARMRK | IGNPAR;
        applyLineStateToTermios(c.state, t);
        EXPECT_EQ(t.c_cflag & CSIZE, c.cflagOn & CSIZE) << c.what;
        EXPECT_EQ(t.c_cflag & (c.cflagOn & ~CSIZE), c.cflagOn & ~CSIZE) << c.what;
        EXPECT_EQ(t.c_cflag & c.cflagOff, 0u) << c.what;
        EXPECT_EQ(t.c_iflag & c.iflagOn, c.iflagOn) << c.what;
        EXPECT_EQ(t.c_iflag & c.iflagOff, 0u) << c.what;
        EXPECT_EQ(t.c_iflag & (IXANY | ISTRIP | IGNPAR), 0u) << c.what;
        EXPECT_EQ((t.c_iflag & PARMRK) != 0, (c.iflagOn & INPCK) != 0) << c.what;  // errors marked only when checked
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL) << c.what;
    }
}

TEST(SerialTermios, XonXoffCharactersAndSpeeds)
{
    SerialLineState s = Line(8, kParityNone, kOneStopBit, kLineBinary | kLineOutX | kLineInX);
    s.XonChar = 0x81;
    s.XoffChar = 0x82;
    termios t{};
    applyLineStateToTermios(s, t);
    EXPECT_EQ(t.c_cc[VSTART], 0x81);
    EXPECT_EQ(t.c_cc[VSTOP], 0x82);

    speed_t speed = 0;
    for (std::uint32_t rate : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u})
        EXPECT_TRUE(standardSpeed(rate, speed)) << rate;
    EXPECT_TRUE(standardSpeed(9600, speed));
    EXPECT_EQ(speed, B9600);
    for (std::uint32_t rate : {14400u, 56000u, 128000u, 256000u, 31250u, 0u})
        EXPECT_FALSE(standardSpeed(rate, speed)) << rate;
}

TEST(SerialDevicePath, NamesLiveUnderDevAndPathsStayAsGiven)
{
    EXPECT_EQ(serialDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(serialDevicePath("COM1"), "/dev/COM1");
    EXPECT_EQ(serialDevicePath("/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(serialDevicePath("/dev/serial/by-id/usb-FTDI-if00"), "/dev/serial/by-id/usb-FTDI-if00");
    EXPECT_EQ(serialDevicePath("pts/3"), "pts/3");
}
