// Opening, setting up and closing a port on the fake device (the order of
// calls and notifications, the ways it fails); and on a pseudo-terminal, with
// the test playing the far end: the kernel's line, bytes both ways, the read
// time-outs, the event thread's delivery of the receive flag, every way of
// closing, and the far end going away.
#include <termios.h>

#include <atomic>

#include "platform/SerialTermbits_posix.h"
#include "serial/ComDebug.h"
#include "serial/SerialTestSupport.h"

using namespace serialtest;
using platform::SerialLineState;

namespace {

// A port that logs its opening and closing notifications and those of a
// link, and whose event start can be made to fail.
struct LoggedPort : TComPort {
    Log log;
    TComLink link;
    bool failStart = false;  // startEvents fails
    int stops = 0;           // stopEvents calls
    LoggedPort()
    {
        for (auto [event, name] : {std::pair{&OnBeforeOpen, "BeforeOpen"}, {&OnAfterOpen, "AfterOpen"},
                                   {&OnBeforeClose, "BeforeClose"}, {&OnAfterClose, "AfterClose"}})
            *event = log.note(name);
        for (auto [event, name] : {std::pair{&OnCTSChange, "CTS"}, {&OnDSRChange, "DSR"}, {&OnRLSDChange, "RLSD"},
                                   {&link.OnConn, "link Conn"}, {&link.OnCTSChange, "link CTS"},
                                   {&link.OnDSRChange, "link DSR"}})
            *event = log.signal(name);
        RegisterLink(&link);
    }
    ~LoggedPort() override { Close(), UnRegisterLink(&link); }

protected:
    void startEvents() override { failStart ? throw std::runtime_error("no event thread") : TComPort::startEvents(); }
    void stopEvents() override { ++stops, TComPort::stopEvents(); }
};

// A port on the slave side of a pty that watches the event character CR, as
// the application's ports do.
struct PtyPort : ::testing::Test {
    testenv::PtyPair pty;
    TComPort port;

    void Open(TSyncMethod sync, TComEvents events = {TComEvent::evRxFlag})
    {
        port.SetPort(pty.path());
        port.SetEventChar('\r');
        port.SetEvents(events);
        port.SetSyncMethod(sync);
        port.Open();
    }
    // Reads what has arrived, as the application's receive handler does.
    std::string readAll(int count = 200) { std::string s; return port.ReadStr(s, count), s; }
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
    EXPECT_TRUE(port.Connected());
    port.Open();
    EXPECT_EQ(devices.calls(true), (Strings{"open /dev/COM1", "queues 1024 1024", "state", "modem +DTR", "modem -RTS", "timeouts"}));
    EXPECT_EQ(port.log.take(), (Strings{"BeforeOpen", "link Conn+", "AfterOpen", "link CTS+", "CTS+", "link DSR-", "DSR-", "RLSD+"}));
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_EQ(port.log.take(), (Strings{"link CTS-", "link DSR-", "CTS-", "DSR-", "RLSD-", "BeforeClose", "link Conn-", "AfterClose"}));
    EXPECT_EQ(devices.calls(), (Strings{"purge in", "close /dev/COM1"}));
}

// A failed opening raises its code and errno, closes the device again, stops
// what was started, tells no one the port opened, and leaves the port fit to
// open once the cause is gone.
TEST(ComPort, AFailedOpeningIsRolledBack)
{
    // The device call `op` fails, unless a `cause` is given.
    const struct { const char* what; Op op; std::function<void(LoggedPort&)> cause; std::pair<int, int> raised; } cases[] = {
        {"no device", Op::Open, nullptr, {int(CError_OpenFailed), ENOENT}},
        {"queues", Op::Queues, nullptr, {int(CError_SetupComFailed), ENOENT}},
        {"line state", Op::State, nullptr, {int(CError_SetStateFailed), ENOENT}},
        {"time-outs", Op::Timeouts, nullptr, {int(CError_TimeoutsFailed), ENOENT}},
        {"event thread", Op::Read, [](auto& p) { p.failStart = true; }, {-1, -1}},
        {"custom rate -9600", Op::Read, [](auto& p) { p.SetBaudRate(TBaudRate::brCustom), p.SetCustomBaudRate(-9600); },
         {int(CError_SetStateFailed), EINVAL}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSerialDevices devices;
        LoggedPort port;
        c.cause ? c.cause(port) : devices.fail(c.op, ENOENT);
        EXPECT_EQ(Raised([&] { port.Open(); }), c.raised);
        EXPECT_EQ(std::tuple(port.Connected(), devices.line(kPath).open, port.stops, port.log.take()),
                  std::tuple(false, false, c.op == Op::Open ? 0 : 1, Strings{"BeforeOpen"}));
        port.failStart = false;
        port.SetCustomBaudRate(9600);
        EXPECT_EQ(Raised([&] { port.Open(); }), std::make_pair(0, 0));
    }
}

// While loading, setters only store; Loaded() opens a port stored as
// connected, and a failure to do so goes to the exception hook, and names the
// device in the diagnostic texts.
TEST(ComPort, LoadingDefersEverythingToLoaded)
{
    FakeSerialDevices devices;
    HookMessages hook;
    Log debug;
    const testenv::ScopedOverride texts(setDebugTextHook, DebugTextHook([&](const std::string& t) { debug.add(t); }));
    TComPort port;
    port.beginLoading();
    port.SetConnected(true);
    port.SetBaudRate(TBaudRate::br4800);
    EXPECT_TRUE(devices.calls().empty());
    devices.fail(Op::Open, EBUSY);
    port.Loaded();  // a failure to open goes to the hook
    EXPECT_EQ(hook.take(), Strings{"COM Port Error: Unable to open com port on COM1"});
    EXPECT_EQ(debug.take(), Strings{"CreateFile /dev/COM1"});
    port.Open();
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 4800u);
}

// Each code has its text, and one past either end says it is unknown; a
// message of one's own has code 0; what is no exception is reported as such.
TEST(ComErrors, TextsOfCodesAndMessages)
{
    EXPECT_EQ(std::tuple(ComErrorText(CError_OpenFailed), ComErrorText(CError_RegError), ComErrorText(ComErrorCode{0}),
                         ComErrorText(ComErrorCode{24})),
              std::tuple("Unable to open com port", "Registry error", "Unknown Error #0", "Unknown Error #24"));
    const EComPort own = EComPort::CreateMsg("no line");
    EXPECT_EQ(std::tuple(int(own.Code()), std::string(own.what()), exceptionMessage(std::make_exception_ptr(7))),
              std::tuple(0, "no line", "Unknown exception"));
}

// Freeing an open port never throws, nor waits for a read in its event
// thread, and the device is closed all the same.
TEST(ComPort, DestructorNeverThrowsAndAlwaysClosesTheDevice)
{
    FakeSerialDevices devices;
    HookMessages hook;
    std::atomic<bool> reading{false};
    EXPECT_LT(timed([&] {
        TComPort port;
        port.SetSyncMethod(TSyncMethod::smNone);
        port.Timeouts().SetReadInterval(0);
        port.Timeouts().SetReadTotalConstant(3000);  // a read waits 3 s for its count
        port.OnRxChar = [&](TCustomComPort* p, int) {
            std::string s;
            reading = true;
            Raised([&] { p->ReadStr(s, 9); });  // cut off by the closing
        };
        port.SetEvents({TComEvent::evRxChar});
        port.Open();
        ASSERT_TRUE(devices.pushInput(kPath, "x"));
        ASSERT_TRUE(waitWithoutEvents([&] { return reading.load(); }));
        std::this_thread::sleep_for(milliseconds(50));  // the read waits
        port.OnBeforeClose = [](TCustomComPort*) { throw std::runtime_error("handler failed"); };
    }), std::chrono::seconds(1));
    EXPECT_EQ(hook.take(), Strings{"handler failed"});
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
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(devices.line(kPath).state->Flags, c.flags) << c.what;
    }
    port.SetBaudRate(TBaudRate::br56000);
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 56000u);
    port.Buffer().SetInputSize(4098);  // the XON/XOFF limits follow at the next line change
    port.SetBaudRate(TBaudRate::brCustom);
    port.SetCustomBaudRate(31250);
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 31250u);
    port.SetDataBits(TDataBits::dbFive);
    port.SetStopBits(TStopBits::sbOne5StopBits);
    port.Parity().SetBits(TParityBits::prSpace);
    port.Parity().SetReplaceChar('?');
    EXPECT_EQ(devices.line(kPath).state, (SerialLineState{28, 31250, 0xF93, 0, 1024, 1024, 5, 4, 1, 17, 19, '?', 0, 13, 0}));
    // Whole groups given while open reach the line at once, every field.
    TComBuffer buffer;
    TComTimeouts times;
    TComParity parity;
    TComFlowControl flow;
    devices.calls(true);
    buffer.SetInputSize(2048), buffer.SetOutputSize(512);
    times.SetReadInterval(1), times.SetReadTotalMultiplier(2), times.SetReadTotalConstant(3);
    times.SetWriteTotalMultiplier(4), times.SetWriteTotalConstant(5);
    parity.SetBits(TParityBits::prOdd), parity.SetCheck(true), parity.SetReplace(true), parity.SetReplaceChar('!');
    flow.SetOutCTSFlow(true), flow.SetControlDTR(TDTRFlowControl::dtrEnable), flow.SetTxContinueOnXoff(true);
    flow.SetControlRTS(TRTSFlowControl::rtsHandshake), flow.SetXonXoffIn(true), flow.SetXonChar(1), flow.SetXoffChar(2);
    for (const auto& [set, calls] : {std::pair<std::function<void()>, Strings>{[&] { port.SetBuffer(buffer); }, {"queues 2048 512"}},
                                     {[&] { port.SetTimeouts(times); }, {"timeouts"}},
                                     {[&] { port.SetParity(parity); }, {"state", "modem +DTR", "modem -RTS"}},
                                     {[&] { port.SetFlowControl(flow); }, {"state", "modem +DTR"}}}) {
        set();
        EXPECT_EQ(devices.calls(true), calls);
    }
    EXPECT_EQ(devices.line(kPath).state, (SerialLineState{28, 31250, 0x2E97, 0, 512, 512, 5, 1, 1, 1, 2, '!', 0, 13, 0}));
    EXPECT_EQ(devices.line(kPath).timeouts, (platform::SerialTimeouts{1, 2, 3, 4, 5}));
    // The event thread's settings may not change while open, unless unchanged.
    EXPECT_EQ(Raised([&] { port.SetSyncMethod(TSyncMethod::smThreadSync); }), std::make_pair(0, 0));
    EXPECT_EQ(Raised([&] { port.SetSyncMethod(TSyncMethod::smNone); }), std::make_pair(int(CError_ConnChangeProp), -1));
    EXPECT_EQ(Raised([&] { port.SetEventThreadPriority(port.EventThreadPriority()); }), std::make_pair(0, 0));
    EXPECT_EQ(Raised([&] { port.SetEventThreadPriority(TThreadPriority::tpIdle); }),
              std::make_pair(int(CError_ConnChangeProp), -1));
}

// The flow control the settings amount to: a preset when they are exactly
// one, else custom.
TEST(ComPort, FlowControlNamesThePresetTheSettingsAmountTo)
{
    using enum TFlowControl;
    using R = TRTSFlowControl;
    const std::tuple<R, bool, bool, bool, TFlowControl> cases[] = {
        {R::rtsHandshake, true, false, false, fcHardware}, {R::rtsHandshake, true, true, false, fcCustom},
        {R::rtsHandshake, false, false, false, fcCustom},  {R::rtsEnable, true, false, false, fcCustom},
        {R::rtsDisable, false, true, true, fcSoftware},    {R::rtsDisable, false, true, false, fcCustom},
        {R::rtsDisable, true, true, true, fcCustom},       {R::rtsDisable, false, false, true, fcCustom},
        {R::rtsDisable, false, false, false, fcNone},      {R::rtsToggle, false, false, false, fcCustom},
    };
    TComPort port;
    TComFlowControl& flow = port.FlowControl();
    for (const auto& [rts, cts, in, out, named] : cases) {
        flow.SetControlRTS(rts), flow.SetOutCTSFlow(cts), flow.SetXonXoffIn(in), flow.SetXonXoffOut(out);
        EXPECT_EQ(flow.FlowControl(), named) << ord(rts) << cts << in << out;
    }
}

// On a real line: raw mode already when opened inside an update, before
// anything is applied; then the settings as termios (an arbitrary speed
// among them), changed at once.
TEST_F(PtyPort, ConfiguresTheKernelsLine)
{
    port.SetPort(pty.path());  // cooked and echoing as the kernel makes it
    port.SetBaudRate(TBaudRate::br14400);
    port.SetStopBits(TStopBits::sbTwoStopBits);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    port.BeginUpdate();
    port.Open();
    platform::KernelTermios k;
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(std::tuple(k.lflag & (ICANON | ECHO | ISIG), k.oflag & OPOST, k.cflag & (CLOCAL | CREAD)),
              std::tuple(0u, 0u, std::uint32_t{CLOCAL | CREAD}));
    pty.send("\xff\xff");  // nothing is marked before the settings are applied
    EXPECT_TRUE(waitWithoutEvents([&] { return port.InputCount() == 2; }));
    port.EndUpdate();
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.ospeed, 14400u);
    EXPECT_EQ(k.cflag & (CSTOPB | CRTSCTS), static_cast<std::uint32_t>(CSTOPB | CRTSCTS));
    port.FlowControl().SetXoffChar('\x02');  // a change reaches the line at once
    ASSERT_EQ(platform::readKernelTermios(pty.slave(), k), 0);
    EXPECT_EQ(k.cc[VSTOP], 2);
}

// Every byte value passes both ways unchanged, also on a checked line, which
// marks errors and doubles FF on the way in.
TEST_F(PtyPort, AllByteValuesPassBothWays)
{
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    Open(TSyncMethod::smThreadSync, {});
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalConstant(3000);  // wait for the count, at most 3 s
    for (const bool checked : {false, true}) {
        port.Parity().SetCheck(checked);
        ASSERT_EQ(port.WriteStr(all), 256);
        EXPECT_EQ(pty.receive(256, 3000), all) << checked;
        pty.send(all);
        EXPECT_EQ(readAll(256), all) << checked;
    }
}

// A read ends as the read time-outs say: at once by default, after the
// interval behind the last byte, or at its total time; when the far end goes
// it fails at once; once it has gone a read cannot start.
TEST_F(PtyPort, ReadStrFollowsTheReadTimeouts)
{
    Open(TSyncMethod::smThreadSync, {});
    EXPECT_EQ(readAll(), "");
    port.Timeouts().SetReadInterval(300);
    const auto sendInTwo = [this](std::string first, std::string then) {  // 50 ms apart, less than the interval
        return std::thread([=, this] { pty.send(first), std::this_thread::sleep_for(milliseconds(50)), pty.send(then); });
    };
    std::thread far = sendInTwo("AB", "C");
    const milliseconds took = timed([&] { EXPECT_EQ(readAll(10), "ABC"); });
    EXPECT_GE(took, milliseconds(300));
    EXPECT_LT(took, milliseconds(2000));
    far.join();
    std::thread more = sendInTwo("ab", "cdef");  // more than the read asks for, after its first part
    EXPECT_EQ(readAll(4), "abcd");
    more.join();
    EXPECT_EQ(readAll(), "ef");
    pty.send("g");
    EXPECT_EQ(readAll(1), "g");
    port.Timeouts().SetReadTotalMultiplier(10);
    port.Timeouts().SetReadTotalConstant(40);
    EXPECT_GE(timed([&] { EXPECT_EQ(readAll(2), ""); }), milliseconds(60));
    port.Timeouts().SetReadTotalConstant(3000);
    std::thread hangUp([this] { std::this_thread::sleep_for(milliseconds(50)), pty.closeMaster(); });
    const auto failed = std::make_pair(int(CError_ReadFailed), EIO);  // the far end goes during a read
    EXPECT_LT(timed([&] { EXPECT_EQ(Raised([&] { readAll(); }), failed); }), milliseconds(1000));
    hangUp.join();
    EXPECT_EQ(readAll(), "");  // and once it has gone a read cannot start
    EXPECT_EQ(port.ReadAsyncLastError(), static_cast<unsigned>(EIO));
}

// Each line ending in CR calls OnRxFlag once, links first, in the GUI thread
// unless the sync method is smNone; smDisableEvents calls nothing.
TEST_F(PtyPort, OnRxFlagRunsOncePerLineWhereTheSyncMethodSays)
{
    const std::thread::id gui = std::this_thread::get_id();
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone,
                                   TSyncMethod::smDisableEvents}) {
        SCOPED_TRACE(ord(sync));
        const bool delivered = sync != TSyncMethod::smDisableEvents;
        Log log;
        std::atomic<int> calls{0}, wrongThread{0};
        TComLink link;
        link.OnRxFlag = [&](TCustomComPort*) { log.add("link"); };
        port.RegisterLink(&link);
        port.OnRxFlag = [&](TCustomComPort*) {
            wrongThread += (std::this_thread::get_id() == gui) == (sync == TSyncMethod::smNone);
            log.add("port " + readAll());
            ++calls;
        };
        Open(sync);
        Strings expected;  // the link, then the port, which reads the line
        for (int i = 0; i < 5; ++i) {
            const std::string line = "line " + std::to_string(i) + "\r";
            pty.send(line.substr(0, 5));  // no event character yet: no call
            QTest::qWait(20);
            pty.send(line.substr(5));
            EXPECT_TRUE(!delivered || waitFor([&] { return calls == i + 1; })) << i;
            expected.insert(expected.end(), {"link", "port " + line});
        }
        QTest::qWait(50);  // room for a call too many
        EXPECT_EQ(wrongThread, 0);
        EXPECT_EQ(log.take(), delivered ? expected : Strings());
        port.Close();
        port.UnRegisterLink(&link);
    }
}

// A handler that throws is reported and delivery goes on; one that closes
// its own port does not hang, and the port opens and delivers again.
TEST_F(PtyPort, HandlersThatThrowOrCloseTheirPort)
{
    for (const TSyncMethod sync : {TSyncMethod::smThreadSync, TSyncMethod::smWindowSync, TSyncMethod::smNone}) {
        SCOPED_TRACE(ord(sync));
        HookMessages reported;
        std::atomic<int> calls{0};
        std::atomic<bool> closed{false};
        port.OnRxFlag = [&](TCustomComPort* p) {
            readAll();
            if (++calls == 1)
                throw std::runtime_error("handler failed");
            if (calls == 2)
                p->Close(), closed = true;
        };
        Open(sync);
        pty.send("1\r");
        ASSERT_TRUE(waitFor([&] { return reported.Size() == 1; }));
        pty.send("2\r");
        ASSERT_TRUE(waitFor([&] { return closed.load() && !port.Connected(); }));
        port.Open();
        pty.send("3\r");
        EXPECT_TRUE(waitFor([&] { return calls == 3; }));
        EXPECT_EQ(reported.take(), Strings{"handler failed"});
        port.Close();
        // A handler that closes its port ends the delivery of the events that
        // came with its own: the port hears nothing more of them.
        std::atomic<int> flags{0};
        closed = false;
        port.OnRxChar = [&](TCustomComPort* p, int) { p->Close(), closed = true; };
        port.OnRxFlag = [&](TCustomComPort*) { ++flags; };
        Open(sync, {TComEvent::evRxChar, TComEvent::evRxFlag});
        pty.send("x\r");  // RxChar and RxFlag at once, RxChar delivered first
        ASSERT_TRUE(waitFor([&] { return closed.load(); }));
        QTest::qWait(50);  // room for a call too many
        EXPECT_EQ(flags, 0);
        port.OnRxChar = nullptr;
    }
}

// Closing while the thread waits for the GUI thread to run a delivery runs
// that delivery in place, with the port still open, and ends at once.
TEST_F(PtyPort, CloseWhileTheThreadWaitsInAHandOverRunsItAndEndsQuickly)
{
    Strings reads;
    port.OnRxFlag = [&](TCustomComPort*) { reads.push_back(readAll()); };
    Open(TSyncMethod::smThreadSync);
    pty.send("x\r");
    ASSERT_TRUE(waitWithoutEvents([&] { return port.EventThread()->handingOver(); }));
    EXPECT_EQ(port.EventThread()->Events(), TComEvents{TComEvent::evRxFlag});
    EXPECT_LT(timed([&] { port.Close(); }), std::chrono::seconds(1));
    EXPECT_EQ(reads, Strings{"x\r"});
    QTest::qWait(20);  // the posted hand-over finds nothing to run
    EXPECT_EQ(reads.size(), 1u);
}

// When the far end goes away mid-stream the thread stops watching (no busy
// loop), writes fail with their code, and Close ends at once.
TEST_F(PtyPort, FarEndGoneStopsTheWatchAndFailsReadsAndWrites)
{
    std::atomic<int> calls{0};
    port.OnRxFlag = [&](TCustomComPort*) { readAll(), ++calls; };
    Open(TSyncMethod::smThreadSync, {TComEvent::evRxChar, TComEvent::evRxFlag});
    for (int i = 0; i < 20; ++i)
        pty.send("data " + std::to_string(i) + "\r");
    ASSERT_TRUE(waitFor([&] { return calls > 0; }));
    pty.send("half a li");
    pty.closeMaster();
    QTest::qWait(100);  // the thread notices the hang-up
    EXPECT_LT(threadCpuDuring(port, 1000), milliseconds(20)) << "thread busy after the far end went away";
    EXPECT_EQ(Raised([&] { port.WriteStr("x"); }), std::make_pair(int(CError_WriteFailed), EIO));
    EXPECT_LT(timed([&] { port.Close(); }), std::chrono::seconds(1));
}
