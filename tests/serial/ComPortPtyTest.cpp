// A port on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <termios.h>

#include <cerrno>
#include <fstream>

#include "platform/SerialTermbits_posix.h"
#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "support/PtyPair.h"
#include "support/test_env.h"

using namespace serial;

namespace {

platform::KernelTermios ReadBack(const testenv::PtyPair& pty)
{
    platform::KernelTermios k;
    EXPECT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    return k;
}

int OpenErrno(TComPort& port)
{
    try {
        port.Open();
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_OpenFailed);
        return e.WinCode();
    }
    return 0;
}

} // namespace

TEST(ComPortPty, ConfiguresTheLineAndFollowsChanges)
{
    testenv::PtyPair pty;
    TComPort port;
    port.SetPort(pty.path());
    port.SetBaudRate(TBaudRate::br14400);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);  // no modem lines on a pty: skipped
    port.Open();
    platform::KernelTermios k = ReadBack(pty);
    EXPECT_EQ(k.ospeed, 14400u);
    EXPECT_EQ(k.cflag & (CSTOPB | CRTSCTS), static_cast<std::uint32_t>(CSTOPB | CRTSCTS));
    EXPECT_EQ(k.lflag & (ICANON | ECHO | ISIG), 0u);

    // Each change reaches the line at once.
    port.FlowControl().SetFlowControl(TFlowControl::fcSoftware);
    port.FlowControl().SetXoffChar('\x02');
    port.SetBaudRate(TBaudRate::br9600);
    k = ReadBack(pty);
    EXPECT_EQ(k.ospeed, 9600u);
    EXPECT_FALSE(k.cflag & CRTSCTS);
    EXPECT_EQ(k.iflag & (IXON | IXOFF), static_cast<std::uint32_t>(IXON | IXOFF));
    EXPECT_EQ(k.cc[VSTOP], 2);
    port.Close();
}

TEST(ComPortPty, OpenedInsideAnUpdateTheLineIsRawAlready)
{
    testenv::PtyPair pty;
    termios cooked{};
    ASSERT_EQ(tcgetattr(pty.slave(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_oflag |= OPOST | ONLCR;
    ASSERT_EQ(tcsetattr(pty.slave(), TCSANOW, &cooked), 0);

    TComPort port;
    port.SetPort(pty.path());
    port.BeginUpdate();
    port.Open();
    const platform::KernelTermios k = ReadBack(pty);
    EXPECT_EQ(k.lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(k.oflag & OPOST, 0u);
    EXPECT_EQ(k.cflag & (CLOCAL | CREAD), static_cast<std::uint32_t>(CLOCAL | CREAD));
    port.EndUpdate();
    port.Close();
}

TEST(ComPortPty, TwoPortsCannotShareALineAndItReopensAfterClose)
{
    testenv::PtyPair pty;
    TComPort first, second;
    first.SetPort(pty.path());
    second.SetPort(pty.path());
    first.Open();
    const int busy = OpenErrno(second);
    EXPECT_TRUE(busy == EWOULDBLOCK || busy == EBUSY) << busy;
    EXPECT_FALSE(second.Connected());
    first.Close();
    EXPECT_EQ(OpenErrno(second), 0);
    EXPECT_TRUE(second.Connected());
    second.Close();
    first.Open();  // and again
    EXPECT_TRUE(first.Connected());
}

TEST(ComPortPty, FailedOpenRaisesCodeOneWithItsErrno)
{
    const std::string dir = testenv::makeTempDir("ports");
    struct Case { std::string port; int expected; };
    const std::string plainFile = dir + "/not-a-tty";
    std::ofstream(plainFile) << "x";
    const Case cases[] = {
        {dir + "/ttyNONE", ENOENT},
        {"startclock-no-such-port", ENOENT},  // under /dev
        {plainFile, ENOTTY},
        {dir, EISDIR},
        {"", EISDIR},  // "/dev/"
    };
    for (const Case& c : cases) {
        TComPort port;
        port.SetPort(c.port);
        EXPECT_EQ(OpenErrno(port), c.expected) << c.port;
        EXPECT_FALSE(port.Connected());
    }
}
