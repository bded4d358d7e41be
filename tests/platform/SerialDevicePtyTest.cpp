// The system serial device on a pseudo-terminal.
#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>

#include <cerrno>
#include <chrono>

#include "platform/SerialDevice.h"
#include "platform/SerialTermbits_posix.h"
#include "support/PtyPair.h"

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
        out.append(buf, device.read(buf, sizeof buf).count);
    }
    return out;
}

struct OpenPty : ::testing::Test {
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    void SetUp() override { ASSERT_EQ(device->open(pty.path()), 0); }
};

} // namespace

TEST_F(OpenPty, LineSettingsReadBackFromTheKernel)
{
    struct Case { const char* what; SerialLineState state; std::uint32_t cflagOn, cflagOff, iflagOn; };
    SerialLineState xon = Line(9600, 8, kParityNone, kOneStopBit, kLineOutX | kLineInX);
    xon.XonChar = 0x0B;
    xon.XoffChar = 0x0C;
    // A pseudo-terminal always reads back 8 bits without parity (the mapping
    // test covers those); the rest of the framing it keeps as set.
    const Case cases[] = {
        {"9600 8N1", Line(9600, 8, kParityNone, kOneStopBit, 0), 0, CSTOPB | CRTSCTS | PARODD | CMSPAR, 0},
        {"14400 7E2", Line(14400, 7, kParityEven, kTwoStopBits, 0), CSTOPB, PARODD, 0},
        {"56000 RTS/CTS", Line(56000, 8, kParityOdd, kOneStopBit, kLineOutxCtsFlow | kLineRtsHandshake), PARODD | CRTSCTS, CSTOPB, 0},
        {"256000 mark", Line(256000, 8, kParityMark, kOneStopBit, 0), PARODD | CMSPAR, CRTSCTS, 0},
        {"31250 custom", Line(31250, 8, kParityNone, kOneStopBit, 0), 0, CMSPAR, 0},
        {"115200 after a custom rate", Line(115200, 5, kParityNone, kOne5StopBits, 0), CSTOPB, 0, 0},
        {"XON/XOFF", xon, 0, CRTSCTS, IXON | IXOFF},
    };
    EXPECT_FALSE(device->hasModemLines());
    for (const Case& c : cases) {
        ASSERT_EQ(device->setLineState(c.state), 0) << c.what;
        KernelTermios k;
        ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
        EXPECT_EQ(k.ospeed, c.state.BaudRate) << c.what;
        EXPECT_EQ(k.ispeed, c.state.BaudRate) << c.what;
        EXPECT_EQ(k.cflag & c.cflagOn, c.cflagOn) << c.what;
        EXPECT_EQ(k.cflag & c.cflagOff, 0u) << c.what;
        EXPECT_EQ(k.iflag & (IXON | IXOFF), c.iflagOn) << c.what;
        EXPECT_EQ(k.cc[VSTART], c.state.XonChar) << c.what;
        EXPECT_EQ(k.cc[VSTOP], c.state.XoffChar) << c.what;
        // Raw binary mode stays whatever else changes.
        EXPECT_EQ(k.lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << c.what;
        EXPECT_EQ(k.oflag & OPOST, 0u) << c.what;
        EXPECT_EQ(k.iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u) << c.what;
        EXPECT_EQ(k.cflag & (CLOCAL | CREAD), static_cast<std::uint32_t>(CLOCAL | CREAD)) << c.what;
    }
    // Refused settings leave the line as it was.
    EXPECT_EQ(device->setLineState(Line(0, 8, kParityNone, kOneStopBit, 0)), EINVAL);
    EXPECT_EQ(device->setLineState(Line(9600, 8, kParityNone, kOneStopBit, kLineOutxDsrFlow)), EINVAL);
    KernelTermios k;
    ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.ospeed, 9600u);
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
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    pty.send(all);
    EXPECT_EQ(ReadFor(*device, all.size()), all);
    EXPECT_EQ(pty.receive(1, 100), "");  // nothing echoed back
    std::size_t sent = 0;
    while (sent < all.size()) {
        const SerialIoResult r = device->write(all.data() + sent, all.size() - sent);
        ASSERT_TRUE(r.error == 0 || r.error == EAGAIN) << r.error;
        sent += r.count;
    }
    EXPECT_EQ(pty.receive(all.size(), 2000), all);
}

TEST_F(OpenPty, AnswersWithoutModemLines)
{
    unsigned lines = 0xFF;
    EXPECT_EQ(device->modemLines(lines), 0);
    EXPECT_EQ(lines, 0u);
    EXPECT_EQ(device->setModemLines(kModemDTR | kModemRTS, true), 0);
    SerialCounters counters;
    counters.rx = 7;
    EXPECT_EQ(device->counters(counters), 0);
    EXPECT_EQ(counters, SerialCounters{});
    EXPECT_EQ(device->setLineState(Line(9600, 8, kParityNone, kOneStopBit, kLineDtrEnable)), 0);
}

TEST_F(OpenPty, QueueCountsAndPurge)
{
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
    device->close();
    EXPECT_EQ(device->inputWaiting(waiting), EBADF);
    EXPECT_EQ(device->pollFd(), -1);
}
