// The system serial device on a pseudo-terminal: the line settings the kernel
// reads back, and a port that one opener holds at a time; what is no terminal
// does not open.
#include <gtest/gtest.h>

#include <QTest>

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <tuple>

#include "platform/SerialDevice.h"
#include "platform/SerialTermbits_posix.h"
#include "support/PtyPair.h"
#include "support/TestFiles.h"

using namespace platform;

namespace {

SerialLineState Line(std::uint32_t baud, std::uint8_t bits, std::uint8_t parity, std::uint8_t stop, std::uint32_t flags,
                     std::uint8_t xon = 17, std::uint8_t xoff = 19)
{
    SerialLineState s;
    std::tie(s.BaudRate, s.ByteSize, s.Parity, s.StopBits, s.Flags, s.XonChar, s.XoffChar) =
        std::tuple(baud, bits, parity, stop, kLineBinary | flags, xon, xoff);
    return s;
}

// Each setting reads back with both speeds, also a standard speed after an
// arbitrary one; raw mode stays; a setting the line cannot take (no speed,
// DSR flow or sensitivity, DTR handshake, RTS toggle, a size, parity or stop
// bits out of range, 1.5 stop bits without 5 data bits, 2 stop bits with 5)
// is refused and changes nothing. (A pseudo-terminal always reads back 8 bits
// without parity enabled.)
TEST(SerialDevicePty, LineSettingsReadBackFromTheKernel)
{
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> device = createSystemSerialDevice();
    ASSERT_EQ(device->open(pty.path()), 0);
    struct Case { const char* what; SerialLineState state; std::uint32_t cflagOn, cflagOff, iflagOn; };
    const Case cases[] = {
        {"9600 8N1", Line(9600, 8, kParityNone, kOneStopBit, 0), 0, CSTOPB | CRTSCTS | PARODD | CMSPAR, 0},
        {"14400 7E2", Line(14400, 7, kParityEven, kTwoStopBits, 0), CSTOPB, PARODD, 0},
        {"56000 RTS/CTS", Line(56000, 8, kParityOdd, kOneStopBit, kLineOutxCtsFlow | kLineRtsHandshake),
         PARODD | CRTSCTS, CSTOPB, 0},
        {"256000 mark", Line(256000, 8, kParityMark, kOneStopBit, 0), PARODD | CMSPAR, CRTSCTS, 0},
        {"space", Line(9600, 8, kParitySpace, kOneStopBit, 0), CMSPAR, PARODD, 0},
        {"31250 custom", Line(31250, 8, kParityNone, kOneStopBit, 0), 0, CMSPAR, 0},
        {"115200 after a custom rate", Line(115200, 5, kParityNone, kOne5StopBits, 0), CSTOPB, 0, 0},
        {"XON/XOFF", Line(9600, 8, kParityNone, kOneStopBit, kLineOutX | kLineInX, 11, 12), 0, CRTSCTS, IXON | IXOFF},
    };
    KernelTermios k;
    for (const Case& c : cases) {
        ASSERT_EQ(device->setLineState(c.state), 0) << c.what;
        ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
        EXPECT_EQ(std::tuple(k.ospeed, k.ispeed, k.cc[VSTART], k.cc[VSTOP]),
                  std::tuple(c.state.BaudRate, c.state.BaudRate, c.state.XonChar, c.state.XoffChar)) << c.what;
        EXPECT_EQ(std::tuple(k.cflag & c.cflagOn, k.cflag & c.cflagOff, k.iflag & (IXON | IXOFF)),
                  std::tuple(c.cflagOn, 0u, c.iflagOn)) << c.what;
        // Raw binary mode stays whatever else changes.
        EXPECT_EQ(std::tuple(k.lflag & (ICANON | ECHO | ISIG | IEXTEN), k.oflag & OPOST,
                             k.iflag & (ICRNL | INLCR | IGNCR | ISTRIP), k.cflag & (CLOCAL | CREAD)),
                  std::tuple(0u, 0u, 0u, std::uint32_t{CLOCAL | CREAD})) << c.what;
    }
    const auto set = [&](std::uint8_t bits, std::uint8_t parity, std::uint8_t stop, std::uint32_t flags = 0,
                         std::uint32_t baud = 9600) { return device->setLineState(Line(baud, bits, parity, stop, flags)); };
    EXPECT_EQ((std::vector{set(8, 0, 0, 0, 0), set(8, 0, 0, kLineOutxDsrFlow), set(8, 0, 0, kLineDsrSensitivity),
                           set(8, 0, 0, kLineDtrHandshake), set(8, 0, 0, kLineDtrControlMask), set(8, 0, 0, kLineRtsToggle),
                           set(4, 0, 0), set(9, 0, 0), set(8, 5, 0), set(8, 0, 3), set(6, 0, kOne5StopBits),
                           set(5, 0, kTwoStopBits)}),
              std::vector<int>(12, EINVAL));
    ASSERT_EQ(readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.ospeed, 9600u);
}

// A second opener is refused, and so is what is not a terminal or not there,
// keeping no descriptor; what waits is counted and purged; a closed device
// answers EBADF and the port opens again.
TEST(SerialDevicePty, OneOpenerAtATime)
{
    testenv::PtyPair pty;
    std::unique_ptr<SerialDevice> first = createSystemSerialDevice();
    std::unique_ptr<SerialDevice> second = createSystemSerialDevice();
    ASSERT_EQ(first->open(pty.path()), 0);
    const std::string file = testing::TempDir() + "serial-not-a-tty";
    testfiles::putFile(file, "x");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const auto descriptors = testfiles::openDescriptors();
    for (const auto& [path, error] : {std::pair{pty.path(), EWOULDBLOCK}, {file, ENOTTY}, {"/dev/null", ENOTTY},
                                      {"/proc/self/fd/" + std::to_string(fds[0]), ENOTTY}, {file + "-none", ENOENT}}) {
        EXPECT_EQ(second->open(path), error) << path;
        EXPECT_EQ(testfiles::openDescriptors(), descriptors) << path;
    }
    ::close(fds[0]), ::close(fds[1]);
    int waiting = -1;
    pty.send("abc");
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->inputWaiting(waiting) == 0 && waiting == 3; }, 2000)) << waiting;
    EXPECT_EQ(first->purge(true, true), 0);
    EXPECT_EQ(first->inputWaiting(waiting), 0);
    EXPECT_EQ(waiting, 0);
    EXPECT_EQ(std::tuple(first->setBreak(true), first->setBreak(false), first->purge(false, false),
                         first->setQueueSizes(-1, 0), first->setQueueSizes(0, -1), first->open(pty.path())),
              std::tuple(0, 0, 0, EINVAL, EINVAL, EBUSY));
    // Output held stays on our side until let go.
    ASSERT_EQ(first->holdOutput(true), 0);
    first->write("x", 1);
    EXPECT_EQ(pty.receive(1, 100), "");
    ASSERT_EQ(first->holdOutput(false), 0);
    EXPECT_EQ(first->write("y", 1).error, 0);
    EXPECT_EQ(pty.receive(1, 2000), "y");
    first->close();
    unsigned lines = 1;
    SerialCounters counters{.rx = 1};
    const std::vector<int> answers{first->inputWaiting(waiting), first->outputWaiting(waiting), first->setBreak(true),
        first->holdOutput(true), first->purge(true, false), first->setQueueSizes(1, 1), first->setTimeouts({}),
        first->setLineState(Line(9600, 8, kParityNone, kOneStopBit, 0)), first->modemLines(lines), first->counters(counters),
        first->setModemLines(kModemDTR, true), first->read(&lines, 1).error, first->write("x", 1).error};
    EXPECT_EQ(answers, std::vector<int>(13, EBADF));
    EXPECT_EQ(std::tuple(first->pollFd(), first->isOpen(), lines, counters.rx), std::tuple(-1, false, 0u, 0u));
    EXPECT_EQ(second->open(pty.path()), 0);
    // A program started without input gets the port on descriptor 0.
    second->close();
    const int input = ::dup(0);
    ::close(0);
    ASSERT_EQ(second->open(pty.path()), 0);
    EXPECT_EQ(std::tuple(second->pollFd(), second->write("x", 1).error), std::tuple(0, 0));
    second->close();
    ::dup2(input, 0);
    ::close(input);
}

} // namespace
