// The system serial device on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>

#include "platform/SerialDevice.h"
#include "platform/SerialTermbits_posix.h"
#include "support/PtyPair.h"
#include "support/test_env.h"

using namespace platform;

namespace {

SerialLineState Line(std::uint32_t baud, std::uint8_t bits, std::uint8_t parity, std::uint8_t stop, std::uint32_t flags)
{
    SerialLineState s;
    s.BaudRate = baud;
    s.ByteSize = bits;
    s.Parity = parity;
    s.StopBits = stop;
    s.Flags = kLineBinary | flags;
    s.XonChar = 17;
    s.XoffChar = 19;
    return s;
}

// Reads from `device` until `count` bytes have come or 2 s have passed.
std::string ReadFor(SerialDevice& device, std::size_t count)
{
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd p{device.pollFd(), POLLIN, 0};
        poll(&p, 1, 50);
        char buf[256];
        const SerialIoResult r = device.read(buf, sizeof buf);
        out.append(buf, r.count);
    }
    return out;
}

} // namespace

TEST(SerialDevicePty, LineSettingsReadBackFromTheKernel)
{
    struct Case {
        const char* what;
        SerialLineState state;
        std::uint32_t cflagOn, cflagOff, iflagOn, iflagOff;
    };
    SerialLineState xon = Line(9600, 8, kParityNone, kOneStopBit, kLineOutX | kLineInX);
    xon.XonChar = 0x0B;
    xon.XoffChar = 0x0C;
    const Case cases[] = {
        {"9600 8N1", Line(9600, 8, kParityNone, kOneStopBit, 0), CS8, CSTOPB | PARENB | CRTSCTS, 0, IXON | IXOFF},
        {"14400 7E2", Line(14400, 7, kParityEven, kTwoStopBits, 0), CS7 | CSTOPB | PARENB, PARODD, 0, 0},
        {"56000 8O1 RTS/CTS", Line(56000, 8, kParityOdd, kOneStopBit, kLineOutxCtsFlow | kLineRtsHandshake), CS8 | PARENB | PARODD | CRTSCTS, CSTOPB, 0, 0},
        {"128000 mark", Line(128000, 8, kParityMark, kOneStopBit, 0), PARENB | PARODD | CMSPAR, 0, 0, 0},
        {"256000 space", Line(256000, 8, kParitySpace, kOneStopBit, 0), PARENB | CMSPAR, PARODD, 0, 0},
        {"31250 custom", Line(31250, 8, kParityNone, kOneStopBit, 0), CS8, PARENB, 0, 0},
        {"115200 5 bits 1.5 stop", Line(115200, 5, kParityNone, kOne5StopBits, 0), CS5 | CSTOPB, 0, 0, 0},
        {"XON/XOFF", xon, 0, CRTSCTS, IXON | IXOFF, 0},
    };
    // A pseudo-terminal always reads back 8 bits without parity; the rest of
    // the framing it keeps as set.
    const std::uint32_t forced = CSIZE | PARENB;
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    ASSERT_EQ(device->open(pty.path()), 0);
    EXPECT_FALSE(device->hasModemLines());
    for (const Case& c : cases) {
        ASSERT_EQ(device->setLineState(c.state), 0) << c.what;
        KernelTermios k;
        ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
        EXPECT_EQ(k.ospeed, c.state.BaudRate) << c.what;
        EXPECT_EQ(k.ispeed, c.state.BaudRate) << c.what;
        EXPECT_EQ(k.cflag & (c.cflagOn & ~forced), c.cflagOn & ~forced) << c.what;
        EXPECT_EQ(k.cflag & (c.cflagOff & ~forced), 0u) << c.what;
        EXPECT_EQ(k.iflag & c.iflagOn, c.iflagOn) << c.what;
        EXPECT_EQ(k.iflag & c.iflagOff, 0u) << c.what;
        EXPECT_EQ(k.cc[VSTART], c.state.XonChar) << c.what;
        EXPECT_EQ(k.cc[VSTOP], c.state.XoffChar) << c.what;
        // Raw binary mode stays whatever else changes.
        EXPECT_EQ(k.lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << c.what;
        EXPECT_EQ(k.oflag & OPOST, 0u) << c.what;
        EXPECT_EQ(k.iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u) << c.what;
        EXPECT_EQ(k.cflag & (CLOCAL | CREAD), static_cast<std::uint32_t>(CLOCAL | CREAD)) << c.what;
    }
}

TEST(SerialDevicePty, RefusedSettingsLeaveTheLineAsItWas)
{
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    ASSERT_EQ(device->open(pty.path()), 0);
    ASSERT_EQ(device->setLineState(Line(19200, 8, kParityNone, kOneStopBit, 0)), 0);
    EXPECT_EQ(device->setLineState(Line(0, 8, kParityNone, kOneStopBit, 0)), EINVAL);
    EXPECT_EQ(device->setLineState(Line(9600, 8, kParityNone, kOneStopBit, kLineOutxDsrFlow)), EINVAL);
    KernelTermios k;
    ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.ospeed, 19200u);
}

TEST(SerialDevicePty, OpensRawSoTheLineNeitherEchoesNorTranslates)
{
    testenv::PtyPair pty;
    // Make the line cooked first, as a tty is when nobody has set it up.
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.slave(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_iflag |= ICRNL;
    ASSERT_EQ(tcsetattr(pty.slave(), TCSANOW, &cooked), 0);

    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    ASSERT_EQ(device->open(pty.path()), 0);
    const std::string line = std::string("VER\x93\r", 5);
    pty.send(line);
    EXPECT_EQ(ReadFor(*device, line.size()), line);
    EXPECT_EQ(pty.receive(1, 100), "");  // nothing echoed back

    // All 256 byte values pass both ways unchanged.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    std::size_t sent = 0;
    while (sent < all.size()) {
        const SerialIoResult r = device->write(all.data() + sent, all.size() - sent);
        ASSERT_TRUE(r.error == 0 || r.error == EAGAIN) << r.error;
        sent += r.count;
    }
    EXPECT_EQ(pty.receive(all.size(), 2000), all);
    pty.send(all);
    EXPECT_EQ(ReadFor(*device, all.size()), all);
}

TEST(SerialDevicePty, OpenIsExclusiveAndTheDeviceCanBeOpenedAgainAfterClose)
{
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> first = createSystemSerialDevice();
    std::unique_ptr<SerialDevice> second = createSystemSerialDevice();
    ASSERT_EQ(first->open(pty.path()), 0);
    const int busy = second->open(pty.path());
    EXPECT_TRUE(busy == EWOULDBLOCK || busy == EBUSY) << busy;
    EXPECT_FALSE(second->isOpen());
    EXPECT_EQ(second->pollFd(), -1);
    first->close();
    EXPECT_FALSE(first->isOpen());
    EXPECT_EQ(second->open(pty.path()), 0);
    EXPECT_EQ(first->open(pty.path()) != 0, true);
}

TEST(SerialDevicePty, OpenFailuresCarryTheirErrno)
{
    const std::string dir = testenv::makeTempDir("serial-open");
    const std::string plainFile = dir + "/not-a-tty";
    std::ofstream(plainFile) << "x";
    struct Case { std::string path; int expected; };
    const Case cases[] = {
        {dir + "/missing", ENOENT},
        {plainFile, ENOTTY},
        {dir, EISDIR},
    };
    for (const Case& c : cases) {
        std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
        EXPECT_EQ(device->open(c.path), c.expected) << c.path;
        EXPECT_FALSE(device->isOpen()) << c.path;
    }
}

TEST(SerialDevicePty, PseudoTerminalAnswersWithoutModemLines)
{
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    ASSERT_EQ(device->open(pty.path()), 0);
    unsigned lines = 0xFF;
    EXPECT_EQ(device->modemLines(lines), 0);
    EXPECT_EQ(lines, 0u);
    EXPECT_EQ(device->setModemLines(kModemDTR | kModemRTS, true), 0);
    SerialCounters counters;
    counters.rx = 7;
    EXPECT_EQ(device->counters(counters), 0);
    EXPECT_EQ(counters, SerialCounters{});
    // DTR on and RTS off as part of the line state: skipped, no failure.
    EXPECT_EQ(device->setLineState(Line(9600, 8, kParityNone, kOneStopBit, kLineDtrEnable)), 0);

    int waiting = -1;
    pty.send("abc");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (waiting < 3 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{device->pollFd(), POLLIN, 0};
        poll(&p, 1, 50);
        ASSERT_EQ(device->inputWaiting(waiting), 0);
    }
    EXPECT_EQ(waiting, 3);
    EXPECT_EQ(device->purge(true, true), 0);
    EXPECT_EQ(device->inputWaiting(waiting), 0);
    EXPECT_EQ(waiting, 0);
}

TEST(SerialDevicePty, ClosedDeviceRefusesEveryCall)
{
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    char buf[4];
    int n = 0;
    unsigned lines = 0;
    EXPECT_EQ(device->setQueueSizes(1024, 1024), EBADF);
    EXPECT_EQ(device->setLineState(Line(9600, 8, 0, 0, 0)), EBADF);
    EXPECT_EQ(device->setTimeouts({}), EBADF);
    EXPECT_EQ(device->read(buf, sizeof buf).error, EBADF);
    EXPECT_EQ(device->write(buf, sizeof buf).error, EBADF);
    EXPECT_EQ(device->inputWaiting(n), EBADF);
    EXPECT_EQ(device->modemLines(lines), EBADF);
    device->close();  // harmless
}
