// Opening, setting up and closing a port on a fake device: the order of
// device calls and notifications, and every way it can fail.
#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "serial/ComDebug.h"
#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "serial/ExceptionHook.h"
#include "support/FakeSerialDevice.h"

using namespace serial;
using testenv::FakeSerialDevices;
using Strings = std::vector<std::string>;

namespace {

const std::string kPath = "/dev/COM1";

// Records every notification of a port and of one link, in order.
struct Recorder {
    Strings log;
    TComLink link;

    void Attach(TCustomComPort& port)
    {
        auto signal = [this](const char* name) {
            return [this, name](TCustomComPort*, bool on) { log.push_back(std::string(name) + (on ? "+" : "-")); };
        };
        auto notify = [this](const char* name) { return [this, name](TCustomComPort*) { log.push_back(name); }; };
        port.OnBeforeOpen = notify("BeforeOpen");
        port.OnAfterOpen = notify("AfterOpen");
        port.OnBeforeClose = notify("BeforeClose");
        port.OnAfterClose = notify("AfterClose");
        port.OnCTSChange = signal("CTS");
        port.OnDSRChange = signal("DSR");
        port.OnRLSDChange = signal("RLSD");
        link.OnConn = signal("link Conn");
        link.OnCTSChange = signal("link CTS");
        link.OnDSRChange = signal("link DSR");
        link.OnRLSDChange = signal("link RLSD");
        port.RegisterLink(&link);
    }
};

// Catches what the port hands to the exception hook.
struct HookCatcher {
    Strings messages;
    HookCatcher()
    {
        SetExceptionHandler([this](std::exception_ptr e) { messages.push_back(ExceptionMessage(e)); });
    }
    ~HookCatcher() { SetExceptionHandler(nullptr); }
};

// A port whose event start can be made to fail, and that counts stops.
class EventPort : public TComPort {
public:
    bool failStart = false;
    int starts = 0, stops = 0;

protected:
    void StartEvents() override
    {
        ++starts;
        if (failStart)
            throw std::runtime_error("cannot start the event thread");
    }
    void StopEvents() override { ++stops; }
};

} // namespace

TEST(ComPortOpen, DeviceCallsInOrder)
{
    FakeSerialDevices devices;
    TComPort port;
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    port.Open();
    EXPECT_TRUE(port.Connected());
    ASSERT_NE(port.Handle(), nullptr);
    EXPECT_EQ(devices.calls(), (Strings{"open /dev/COM1", "queues 1024 1024", "state", "modem +DTR",
                                        "modem -RTS", "timeouts"}));
    EXPECT_EQ(devices.line(kPath).modemLines & (platform::kModemDTR | platform::kModemRTS), platform::kModemDTR);
    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Handle(), nullptr);
    EXPECT_EQ(devices.calls().back(), "close /dev/COM1");
}

TEST(ComPortOpen, NotificationOrder)
{
    FakeSerialDevices devices;
    devices.setModemInputs(kPath, platform::kModemCTS | platform::kModemRLSD);
    TComPort port;
    Recorder r;
    r.Attach(port);
    port.OnBeforeOpen = [&](TCustomComPort*) {
        r.log.push_back(std::string("BeforeOpen device ") + (devices.line(kPath).open ? "open" : "closed"));
    };
    port.OnAfterClose = [&](TCustomComPort*) {
        r.log.push_back(std::string("AfterClose device ") + (devices.line(kPath).open ? "open" : "closed"));
    };

    port.Open();
    EXPECT_EQ(r.log, (Strings{"BeforeOpen device closed", "link Conn+", "AfterOpen", "link CTS+", "CTS+",
                              "link DSR-", "DSR-", "link RLSD+", "RLSD+"}));
    r.log.clear();
    port.Close();
    EXPECT_EQ(r.log, (Strings{"link CTS-", "link DSR-", "link RLSD-", "CTS-", "DSR-", "RLSD-", "BeforeClose",
                              "link Conn-", "AfterClose device closed"}));
    r.log.clear();
    port.Close();  // closed already: nothing
    EXPECT_TRUE(r.log.empty());
    port.Open();
    r.log.clear();
    port.Open();  // open already: nothing
    EXPECT_TRUE(r.log.empty());
    port.Close();
    port.UnRegisterLink(&r.link);
}

TEST(ComPortOpen, SetupFailuresCloseTheDeviceAgain)
{
    struct Case { FakeSerialDevices::Op op; std::uint8_t code; const char* lastCall; };
    const Case cases[] = {
        {FakeSerialDevices::Op::Queues, CError_SetupComFailed, "queues 1024 1024"},
        {FakeSerialDevices::Op::State, CError_SetStateFailed, "state"},
        {FakeSerialDevices::Op::Timeouts, CError_TimeoutsFailed, "timeouts"},
    };
    for (const Case& c : cases) {
        FakeSerialDevices devices;
        devices.fail(c.op, EIO);
        TComPort port;
        Recorder r;
        r.Attach(port);
        try {
            port.Open();
            ADD_FAILURE() << "no error for " << int(c.code);
        } catch (const EComPortExt& e) {
            EXPECT_EQ(e.Code(), c.code);
            EXPECT_EQ(e.WinCode(), EIO);
        }
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(port.Handle(), nullptr);
        const Strings calls = devices.calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], c.lastCall);
        EXPECT_EQ(calls.back(), "close /dev/COM1");
        EXPECT_EQ(r.log, Strings{"BeforeOpen"});  // no AfterOpen
        port.UnRegisterLink(&r.link);
    }
}

TEST(ComPortOpen, MissingDeviceRaisesCodeOneWithItsErrno)
{
    FakeSerialDevices devices;
    devices.fail(FakeSerialDevices::Op::Open, ENOENT);
    Strings debug;
    SetDebugTextHook([&](const std::string& text) { debug.push_back(text); });
    TComPort port;
    port.SetPort("ttyNOPE");
    Recorder r;
    r.Attach(port);
    try {
        port.Open();
        FAIL() << "no error";
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_OpenFailed);
        EXPECT_EQ(e.WinCode(), ENOENT);
        EXPECT_EQ(e.Message(), "COM Port Error: Unable to open com port on ttyNOPE");
    }
    SetDebugTextHook(nullptr);
    EXPECT_EQ(debug, Strings{"CreateFile /dev/ttyNOPE"});
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(r.log, Strings{"BeforeOpen"});
    port.UnRegisterLink(&r.link);
}

TEST(ComPortOpen, SettingsTheLineCannotTakeAreRefusedWithCodeSeven)
{
    struct Case { const char* what; void (*set)(TComPort&); };
    const Case cases[] = {
        {"custom rate 0", [](TComPort& p) { p.SetBaudRate(TBaudRate::brCustom); p.SetCustomBaudRate(0); }},
        {"custom rate -9600", [](TComPort& p) { p.SetBaudRate(TBaudRate::brCustom); p.SetCustomBaudRate(-9600); }},
        {"DSR output flow", [](TComPort& p) { p.FlowControl().SetOutDSRFlow(true); }},
        {"DSR sensitivity", [](TComPort& p) { p.FlowControl().SetDSRSensitivity(true); }},
        {"DTR handshake", [](TComPort& p) { p.FlowControl().SetControlDTR(TDTRFlowControl::dtrHandshake); }},
        {"RTS toggle", [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle); }},
        {"8 bits, 1.5 stop", [](TComPort& p) { p.SetStopBits(TStopBits::sbOne5StopBits); }},
    };
    for (const Case& c : cases) {
        FakeSerialDevices devices;
        TComPort port;
        c.set(port);
        try {
            port.Open();
            ADD_FAILURE() << "no error: " << c.what;
        } catch (const EComPortExt& e) {
            EXPECT_EQ(e.Code(), CError_SetStateFailed) << c.what;
            EXPECT_EQ(e.WinCode(), EINVAL) << c.what;
        }
        EXPECT_FALSE(port.Connected()) << c.what;
        EXPECT_FALSE(devices.line(kPath).state.has_value()) << c.what;  // nothing reached the line
    }
}

TEST(ComPortOpen, CustomRateZeroOnAnOpenPortNeverReachesTheDevice)
{
    FakeSerialDevices devices;
    TComPort port;
    port.SetCustomBaudRate(0);
    port.Open();
    devices.clearCalls();
    EXPECT_THROW(port.SetBaudRate(TBaudRate::brCustom), EComPortExt);
    EXPECT_TRUE(devices.calls().empty());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 9600u);
}

TEST(ComPortOpen, FailedEventStartRollsTheOpeningBack)
{
    FakeSerialDevices devices;
    EventPort port;
    port.failStart = true;
    Recorder r;
    r.Attach(port);
    EXPECT_THROW(port.Open(), std::runtime_error);
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(devices.line(kPath).open);
    EXPECT_EQ(port.stops, 1);
    EXPECT_EQ(r.log, Strings{"BeforeOpen"});

    port.failStart = false;
    port.Open();
    EXPECT_EQ(port.starts, 2);
    port.Close();
    EXPECT_EQ(port.stops, 2);
    port.UnRegisterLink(&r.link);
}

TEST(ComPortOpen, PortWithoutModemLinesReportsThemOff)
{
    FakeSerialDevices devices;
    devices.setHasModemLines(kPath, false);
    devices.setModemInputs(kPath, platform::kModemCTS);
    TComPort port;
    Recorder r;
    r.Attach(port);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    port.Open();
    EXPECT_TRUE(port.Signals().Empty());
    EXPECT_EQ(r.log, (Strings{"BeforeOpen", "link Conn+", "AfterOpen", "link CTS-", "CTS-", "link DSR-", "DSR-",
                              "link RLSD-", "RLSD-"}));
    port.Close();
    port.UnRegisterLink(&r.link);
}

TEST(ComPortOpen, SignalsMapTheModemLines)
{
    FakeSerialDevices devices;
    TComPort port;
    port.Open();
    struct Case { unsigned lines; TComSignals expected; };
    const Case cases[] = {
        {0, {}},
        {platform::kModemCTS, {TComSignal::csCTS}},
        {platform::kModemDSR | platform::kModemRing, {TComSignal::csDSR, TComSignal::csRing}},
        {platform::kModemRLSD | platform::kModemDTR, {TComSignal::csRLSD}},
    };
    for (const Case& c : cases) {
        devices.setModemInputs(kPath, c.lines);
        EXPECT_EQ(port.Signals(), c.expected) << c.lines;
    }
    devices.fail(FakeSerialDevices::Op::ModemLines, EIO);
    try {
        port.Signals();
        FAIL() << "no error";
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_ModemStatFailed);
        EXPECT_EQ(e.WinCode(), EIO);
    }
    port.Close();
    port.SetOverlapped(false);
    port.Open();
    devices.setModemInputs(kPath, platform::kModemCTS);
    EXPECT_TRUE(port.Signals().Empty());  // the line is not asked
}

TEST(ComPortLifetime, DestructorNeverThrowsAndAlwaysClosesTheDevice)
{
    FakeSerialDevices devices;
    HookCatcher hook;
    {
        TComPort port;
        port.Open();
        port.OnBeforeClose = [](TCustomComPort*) { throw std::runtime_error("handler failed"); };
    }
    EXPECT_EQ(hook.messages, Strings{"handler failed"});
    EXPECT_FALSE(devices.line(kPath).open);
}

TEST(ComPortLifetime, LoadingStoresAndLoadedOpens)
{
    FakeSerialDevices devices;
    HookCatcher hook;
    TComPort port;
    port.BeginLoading();
    port.SetConnected(true);
    port.SetBaudRate(TBaudRate::br4800);
    port.SetSyncMethod(TSyncMethod::smNone);  // not refused while loading
    EXPECT_TRUE(devices.calls().empty());
    EXPECT_TRUE(port.Connected());
    port.Loaded();
    EXPECT_FALSE(port.Loading());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(devices.line(kPath).state->BaudRate, 4800u);
    EXPECT_TRUE(hook.messages.empty());

    // A port stored as connected that cannot open: the message goes to the
    // hook and the port stays closed.
    devices.fail(FakeSerialDevices::Op::Open, EBUSY);
    TComPort other;
    other.SetPort("ttyOTHER");
    other.BeginLoading();
    other.SetConnected(true);
    other.Loaded();
    EXPECT_FALSE(other.Connected());
    EXPECT_EQ(hook.messages, Strings{"COM Port Error: Unable to open com port on ttyOTHER"});
}

TEST(ComPortLifetime, ConnectedOpensAndCloses)
{
    FakeSerialDevices devices;
    TComPort port;
    port.SetConnected(true);
    EXPECT_TRUE(devices.line(kPath).open);
    port.SetConnected(true);
    EXPECT_EQ(devices.line(kPath).opens, 1);
    port.SetConnected(false);
    EXPECT_FALSE(devices.line(kPath).open);
    EXPECT_FALSE(port.Connected());
}
