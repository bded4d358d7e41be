// Opening, setting up and closing a port: on the fake device for the order of
// calls and notifications and the ways it fails, on a pseudo-terminal for
// what the kernel's line gets.
#include <termios.h>

#include <stdexcept>

#include "platform/SerialTermbits_posix.h"
#include "serial/SerialTestSupport.h"

using namespace serialtest;
using platform::SerialLineState;

namespace {

// A port that logs its opening and closing notifications and those of a
// link, and whose event start can be made to fail.
struct LoggedPort : TComPort {
    Log log;
    TComLink link;
    bool failStart = false;
    int stops = 0;
    LoggedPort()
    {
        for (auto [event, name] : {std::pair{&OnBeforeOpen, "BeforeOpen"}, {&OnAfterOpen, "AfterOpen"},
                                   {&OnBeforeClose, "BeforeClose"}, {&OnAfterClose, "AfterClose"}})
            *event = log.Note(name);
        for (auto [event, name] : {std::pair{&OnCTSChange, "CTS"}, {&OnRLSDChange, "RLSD"}, {&link.OnConn, "link Conn"},
                                   {&link.OnCTSChange, "link CTS"}, {&link.OnDSRChange, "link DSR"}})
            *event = log.Signal(name);
        RegisterLink(&link);
    }
    ~LoggedPort() override { Close(), UnRegisterLink(&link); }

protected:
    void StartEvents() override { failStart ? throw std::runtime_error("no event thread") : TComPort::StartEvents(); }
    void StopEvents() override { ++stops, TComPort::StopEvents(); }
};

} // namespace

// Opening sets the device up (queues, line, time-outs) before anyone hears of
// it and then reports the modem lines; closing reports them down before the
// device closes. Opening an open port, or closing a closed one, does nothing.
TEST(ComPort, OpenSetsTheDeviceUpAndNotifiesInOrder)
{
    FakeSerialDevices devices;
    devices.line(kPath, [](auto& l) { l.modemLines = platform::kModemCTS | platform::kModemRLSD; });
    LoggedPort port;
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    port.SetConnected(true);
    port.Open();
    EXPECT_EQ(devices.calls(true), (Strings{"open /dev/COM1", "queues 1024 1024", "state", "modem +DTR", "modem -RTS", "timeouts"}));
    EXPECT_EQ(port.log.Take(), (Strings{"BeforeOpen", "link Conn+", "AfterOpen", "link CTS+", "CTS+", "link DSR-", "RLSD+"}));
    port.SetConnected(false);
    port.Close();
    EXPECT_EQ(port.log.Take(), (Strings{"link CTS-", "link DSR-", "CTS-", "RLSD-", "BeforeClose", "link Conn-", "AfterClose"}));
    EXPECT_EQ(devices.calls(), (Strings{"purge in", "close /dev/COM1"}));
}

// A failed opening raises its code and errno, closes the device again, stops
// what was started, tells no one the port opened, and leaves the port fit to
// open once the cause is gone.
TEST(ComPort, AFailedOpeningIsRolledBack)
{
    // The device call `op` fails, unless a `cause` is given.
    const struct { const char* what; Op op; std::function<void(LoggedPort&)> cause; std::pair<int, int> raised; } cases[] = {
        {"no device", Op::Open, nullptr, {CError_OpenFailed, ENOENT}},
        {"queue sizes", Op::Queues, nullptr, {CError_SetupComFailed, ENOENT}},
        {"line state", Op::State, nullptr, {CError_SetStateFailed, ENOENT}},
        {"time-outs", Op::Timeouts, nullptr, {CError_TimeoutsFailed, ENOENT}},
        {"event thread", Op::Read, [](auto& p) { p.failStart = true; }, {-1, -1}},
        {"custom rate -9600", Op::Read, [](auto& p) { p.SetBaudRate(TBaudRate::brCustom), p.SetCustomBaudRate(-9600); },
         {CError_SetStateFailed, EINVAL}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSerialDevices devices;
        LoggedPort port;
        c.cause ? c.cause(port) : devices.fail(c.op, ENOENT);
        EXPECT_EQ(Raised([&] { port.Open(); }), c.raised);
        EXPECT_FALSE(port.Connected());
        EXPECT_FALSE(devices.line(kPath).open);
        EXPECT_EQ(port.stops, c.op == Op::Open ? 0 : 1);
        EXPECT_EQ(port.log.Take(), Strings{"BeforeOpen"});
        port.failStart = false;
        port.SetCustomBaudRate(9600);
        EXPECT_EQ(Raised([&] { port.Open(); }), std::make_pair(0, 0));
    }
}

// While loading, setters only store; Loaded() opens a port stored as
// connected, and a failure to do so goes to the hook.
TEST(ComPort, LoadingDefersEverythingToLoaded)
{
    FakeSerialDevices devices;
    HookMessages hook;
    TComPort port;
    port.BeginLoading();
    port.SetConnected(true);
    port.SetBaudRate(TBaudRate::br4800);
    port.SetSyncMethod(TSyncMethod::smNone);  // not refused while loading
    EXPECT_TRUE(devices.calls().empty());
    devices.fail(Op::Open, EBUSY);
    port.Loaded();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(hook.Take(), Strings{"COM Port Error: Unable to open com port on COM1"});
    port.Open();
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 4800u);
}

// Freeing an open port never throws, and the device is closed all the same.
TEST(ComPort, DestructorNeverThrowsAndAlwaysClosesTheDevice)
{
    FakeSerialDevices devices;
    HookMessages hook;
    {
        TComPort port;
        port.Open();
        port.OnBeforeClose = [](TCustomComPort*) { throw std::runtime_error("handler failed"); };
    }
    EXPECT_EQ(hook.Take(), Strings{"handler failed"});
    EXPECT_FALSE(devices.line(kPath).open);
}

// The main window's port (9600 8N1, DTR on, RTS off, events on CR) reaches
// the line bit for bit, and each setting changed while open reaches it at once.
TEST(ComPort, SettingsReachTheOpenLineBitForBit)
{
    FakeSerialDevices devices;
    TComPort port;
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    port.SetEventChar('\r');
    port.Open();
    // Length, speed, flags, reserved, XON/XOFF limits, byte size, parity, stop
    // bits, XON, XOFF, error, end-of-file and event characters, reserved.
    EXPECT_EQ(devices.line(kPath).state, (SerialLineState{28, 9600, 0x11, 0, 256, 256, 8, 0, 0, 17, 19, 0, 0, 13, 0}));
    EXPECT_EQ(devices.line(kPath).timeouts, (platform::SerialTimeouts{0xFFFFFFFFu, 0, 0, 100, 1000}));
    const struct { const char* what; std::function<void()> set; std::uint32_t flags; } cases[] = {
        {"CTS flow, continue on XOFF", [&] { port.FlowControl().SetOutCTSFlow(true), port.FlowControl().SetTxContinueOnXoff(true); }, 0x95},
        {"RTS handshake", [&] { port.FlowControl().SetControlRTS(TRTSFlowControl::rtsHandshake); }, 0x2095},
        {"software preset", [&] { port.FlowControl().SetFlowControl(TFlowControl::fcSoftware); }, 0x391},
        {"discard NUL, parity checked", [&] { port.SetDiscardNull(true), port.Parity().SetCheck(true); }, 0xB93},
        {"errors replaced", [&] { port.Parity().SetReplace(true); }, 0xF93},
        {"RTS on", [&] { port.FlowControl().SetControlRTS(TRTSFlowControl::rtsEnable); }, 0x1F93},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(devices.line(kPath).state->Flags, c.flags) << c.what;
    }
    port.Buffer().SetInputSize(4098);  // the XON/XOFF limits follow at the next line change
    port.SetBaudRate(TBaudRate::brCustom);
    port.SetCustomBaudRate(31250);
    port.SetDataBits(TDataBits::dbFive);
    port.SetStopBits(TStopBits::sbOne5StopBits);
    port.Parity().SetBits(TParityBits::prSpace);
    port.Parity().SetReplaceChar('?');
    port.FlowControl().SetXoffChar('\x82');
    port.Timeouts().SetWriteTotalConstant(-2);
    EXPECT_EQ(devices.line(kPath).state, (SerialLineState{28, 31250, 0x1F93, 0, 1024, 1024, 5, 4, 1, 17, 0x82, '?', 0, 13, 0}));
    EXPECT_EQ(devices.line(kPath).timeouts->WriteTotalTimeoutConstant, 0xFFFFFFFEu);
}

// On a real line: raw mode already when opened inside an update, before
// anything is applied; then the settings as termios (an arbitrary speed
// among them), changed at once.
TEST(ComPortPty, ConfiguresTheKernelsLine)
{
    testenv::PtyPair pty;  // cooked and echoing as the kernel makes it
    TComPort port;
    port.SetPort(pty.path());
    port.SetBaudRate(TBaudRate::br14400);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    port.BeginUpdate();
    port.Open();
    platform::KernelTermios k;
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(k.oflag & OPOST, 0u);
    EXPECT_EQ(k.cflag & (CLOCAL | CREAD), static_cast<std::uint32_t>(CLOCAL | CREAD));
    port.EndUpdate();
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.ospeed, 14400u);
    EXPECT_EQ(k.cflag & (CSTOPB | CRTSCTS), static_cast<std::uint32_t>(CSTOPB | CRTSCTS));
    port.FlowControl().SetXoffChar('\x02');  // a change reaches the line at once
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.cc[VSTOP], 2);
}
