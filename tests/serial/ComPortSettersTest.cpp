// The setter rules of the port and its settings objects, on a fake device.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "serial/ComErrors.h"
#include "serial/ComPort.h"
#include "support/FakeSerialDevice.h"

using namespace serial;
using testenv::FakeSerialDevices;

namespace {

// The device calls that apply settings, without the modem level records.
std::vector<std::string> ApplyCalls(const FakeSerialDevices& devices)
{
    std::vector<std::string> out;
    for (const std::string& c : devices.calls())
        if (c.rfind("modem", 0) != 0)
            out.push_back(c);
    return out;
}

template <class F>
std::uint8_t CodeOf(F f)
{
    try {
        f();
    } catch (const EComPort& e) {
        return e.Code();
    }
    return 0;
}

struct OpenPort : ::testing::Test {
    FakeSerialDevices devices;
    TComPort port;
    void SetUp() override
    {
        port.Open();
        devices.clearCalls();
    }
};

} // namespace

TEST_F(OpenPort, EachSetterAppliesItsGroupOnlyWhenTheValueChanges)
{
    struct Case {
        const char* what;
        std::function<void(TComPort&)> same, changed;
        const char* group;
    };
    const Case cases[] = {
        {"BaudRate", [](TComPort& p) { p.SetBaudRate(TBaudRate::br9600); }, [](TComPort& p) { p.SetBaudRate(TBaudRate::br19200); }, "state"},
        {"CustomBaudRate", [](TComPort& p) { p.SetCustomBaudRate(9600); }, [](TComPort& p) { p.SetCustomBaudRate(1200); }, "state"},
        {"StopBits", [](TComPort& p) { p.SetStopBits(TStopBits::sbOneStopBit); }, [](TComPort& p) { p.SetStopBits(TStopBits::sbTwoStopBits); }, "state"},
        {"DataBits", [](TComPort& p) { p.SetDataBits(TDataBits::dbEight); }, [](TComPort& p) { p.SetDataBits(TDataBits::dbSeven); }, "state"},
        {"DiscardNull", [](TComPort& p) { p.SetDiscardNull(false); }, [](TComPort& p) { p.SetDiscardNull(true); }, "state"},
        {"EventChar", [](TComPort& p) { p.SetEventChar('\0'); }, [](TComPort& p) { p.SetEventChar('\r'); }, "state"},
        {"Parity.Bits", [](TComPort& p) { p.Parity().SetBits(TParityBits::prNone); }, [](TComPort& p) { p.Parity().SetBits(TParityBits::prOdd); }, "state"},
        {"Parity.Check", [](TComPort& p) { p.Parity().SetCheck(false); }, [](TComPort& p) { p.Parity().SetCheck(true); }, "state"},
        {"Parity.Replace", [](TComPort& p) { p.Parity().SetReplace(false); }, [](TComPort& p) { p.Parity().SetReplace(true); }, "state"},
        {"Parity.ReplaceChar", [](TComPort& p) { p.Parity().SetReplaceChar('\0'); }, [](TComPort& p) { p.Parity().SetReplaceChar('?'); }, "state"},
        {"OutCTSFlow", [](TComPort& p) { p.FlowControl().SetOutCTSFlow(false); }, [](TComPort& p) { p.FlowControl().SetOutCTSFlow(true); }, "state"},
        {"ControlDTR", [](TComPort& p) { p.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable); }, [](TComPort& p) { p.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable); }, "state"},
        {"ControlRTS", [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsDisable); }, [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsEnable); }, "state"},
        {"XonXoffOut", [](TComPort& p) { p.FlowControl().SetXonXoffOut(false); }, [](TComPort& p) { p.FlowControl().SetXonXoffOut(true); }, "state"},
        {"XonXoffIn", [](TComPort& p) { p.FlowControl().SetXonXoffIn(false); }, [](TComPort& p) { p.FlowControl().SetXonXoffIn(true); }, "state"},
        {"TxContinueOnXoff", [](TComPort& p) { p.FlowControl().SetTxContinueOnXoff(false); }, [](TComPort& p) { p.FlowControl().SetTxContinueOnXoff(true); }, "state"},
        {"XonChar", [](TComPort& p) { p.FlowControl().SetXonChar(17); }, [](TComPort& p) { p.FlowControl().SetXonChar(1); }, "state"},
        {"XoffChar", [](TComPort& p) { p.FlowControl().SetXoffChar(19); }, [](TComPort& p) { p.FlowControl().SetXoffChar(2); }, "state"},
        {"ReadInterval", [](TComPort& p) { p.Timeouts().SetReadInterval(-1); }, [](TComPort& p) { p.Timeouts().SetReadInterval(2000); }, "timeouts"},
        {"ReadTotalMultiplier", [](TComPort& p) { p.Timeouts().SetReadTotalMultiplier(0); }, [](TComPort& p) { p.Timeouts().SetReadTotalMultiplier(5); }, "timeouts"},
        {"ReadTotalConstant", [](TComPort& p) { p.Timeouts().SetReadTotalConstant(0); }, [](TComPort& p) { p.Timeouts().SetReadTotalConstant(5); }, "timeouts"},
        {"WriteTotalMultiplier", [](TComPort& p) { p.Timeouts().SetWriteTotalMultiplier(100); }, [](TComPort& p) { p.Timeouts().SetWriteTotalMultiplier(5); }, "timeouts"},
        {"WriteTotalConstant", [](TComPort& p) { p.Timeouts().SetWriteTotalConstant(1000); }, [](TComPort& p) { p.Timeouts().SetWriteTotalConstant(5); }, "timeouts"},
        {"InputSize", [](TComPort& p) { p.Buffer().SetInputSize(1024); }, [](TComPort& p) { p.Buffer().SetInputSize(2048); }, "queues 2048 1024"},
        {"OutputSize", [](TComPort& p) { p.Buffer().SetOutputSize(1024); }, [](TComPort& p) { p.Buffer().SetOutputSize(512); }, "queues 1024 512"},
    };
    for (const Case& c : cases) {
        TComPort fresh;
        fresh.SetPort("ttyFAKE");
        fresh.Open();
        devices.clearCalls();
        c.same(fresh);
        EXPECT_TRUE(ApplyCalls(devices).empty()) << c.what;
        c.changed(fresh);
        EXPECT_EQ(ApplyCalls(devices), std::vector<std::string>{c.group}) << c.what;
        fresh.Close();
    }
}

TEST_F(OpenPort, AppliedValuesReachTheDevice)
{
    port.SetBaudRate(TBaudRate::br57600);
    port.Timeouts().SetReadInterval(2000);
    const testenv::FakeSerialLine line = devices.line("/dev/COM1");
    ASSERT_TRUE(line.state && line.timeouts);
    EXPECT_EQ(line.state->BaudRate, 57600u);
    EXPECT_EQ(line.timeouts->ReadIntervalTimeout, 2000u);
    EXPECT_EQ(port.AppliedLineState(), *line.state);
    EXPECT_EQ(port.AppliedTimeouts(), *line.timeouts);
}

TEST_F(OpenPort, CopySettersTakeEveryValueAndApplyOnce)
{
    TComFlowControl flow;
    flow.SetFlowControl(TFlowControl::fcSoftware);
    flow.SetXonChar('A');
    port.SetFlowControl(flow);
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcSoftware);
    EXPECT_EQ(port.FlowControl().XonChar(), 'A');
    EXPECT_EQ(port.FlowControl().ComPort(), &port);
    EXPECT_EQ(flow.ComPort(), nullptr);

    TComTimeouts timeouts;
    timeouts.SetReadInterval(2000);
    port.SetTimeouts(timeouts);
    TComBuffer buffer;
    buffer.SetInputSize(4096);
    port.SetBuffer(buffer);
    TComParity parity;
    port.SetParity(parity);  // the same values: applied all the same
    EXPECT_EQ(ApplyCalls(devices), (std::vector<std::string>{"state", "timeouts", "queues 4096 1024", "state"}));
    EXPECT_EQ(port.Timeouts().ReadInterval(), 2000);
}

TEST(ComSettings, OddQueueSizesAreLowered)
{
    struct Case { int given, stored; };
    const Case cases[] = {{1025, 1024}, {1, 0}, {-3, -3}, {2048, 2048}, {0, 0}, {2147483647, 2147483646}};
    for (const Case& c : cases) {
        TComBuffer b;
        b.SetInputSize(c.given);
        b.SetOutputSize(c.given);
        EXPECT_EQ(b.InputSize(), c.stored) << c.given;
        EXPECT_EQ(b.OutputSize(), c.stored) << c.given;
    }
}

TEST(ComSettings, OddSizeIsComparedBeforeLowering)
{
    FakeSerialDevices devices;
    TComPort port;
    port.Open();
    devices.clearCalls();
    port.Buffer().SetInputSize(1025);  // differs from 1024 as given: stored as 1024 and applied
    EXPECT_EQ(ApplyCalls(devices), std::vector<std::string>{"queues 1024 1024"});
}

TEST(ComSettings, FlowControlPresetFromTheFields)
{
    TComFlowControl f;
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcNone);
    f.SetControlRTS(TRTSFlowControl::rtsHandshake);
    f.SetOutCTSFlow(true);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcHardware);
    f.SetOutDSRFlow(true);
    f.SetControlDTR(TDTRFlowControl::dtrHandshake);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcHardware);
    f.SetXonXoffIn(true);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcCustom);

    f.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_EQ(f.ControlRTS(), TRTSFlowControl::rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    EXPECT_TRUE(f.OutDSRFlow());  // not part of any preset
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcSoftware);
    f.SetXonXoffOut(false);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcCustom);
    f.SetFlowControl(TFlowControl::fcNone);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcNone);
    f.SetControlRTS(TRTSFlowControl::rtsEnable);
    EXPECT_EQ(f.FlowControl(), TFlowControl::fcCustom);
    f.SetFlowControl(TFlowControl::fcCustom);
    EXPECT_EQ(f.ControlRTS(), TRTSFlowControl::rtsEnable);
}

TEST_F(OpenPort, CustomFlowPresetChangesNothingButReapplies)
{
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    devices.clearCalls();
    port.FlowControl().SetFlowControl(TFlowControl::fcCustom);
    port.FlowControl().SetFlowControl(TFlowControl::fcHardware);
    EXPECT_EQ(ApplyCalls(devices), (std::vector<std::string>{"state", "state"}));
    EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcHardware);
}

TEST_F(OpenPort, SyncMethodAndPriorityAreRefusedWhileOpen)
{
    EXPECT_EQ(CodeOf([&] { port.SetSyncMethod(TSyncMethod::smNone); }), CError_ConnChangeProp);
    EXPECT_EQ(port.SyncMethod(), TSyncMethod::smThreadSync);
    EXPECT_EQ(CodeOf([&] { port.SetEventThreadPriority(TThreadPriority::tpHigher); }), CError_ConnChangeProp);
    EXPECT_EQ(port.EventThreadPriority(), TThreadPriority::tpNormal);
    // The same value is no change, so no error.
    EXPECT_EQ(CodeOf([&] { port.SetSyncMethod(TSyncMethod::smThreadSync); }), 0);
    port.Close();
    port.SetSyncMethod(TSyncMethod::smNone);
    port.SetEventThreadPriority(TThreadPriority::tpHigher);
    EXPECT_EQ(port.SyncMethod(), TSyncMethod::smNone);
    EXPECT_EQ(port.EventThreadPriority(), TThreadPriority::tpHigher);
}

TEST(ComPortSettings, TriggersOnRxCharYieldsToALinkThatTakesData)
{
    TComPort port;
    TComLink counting;
    counting.OnRx = [](TCustomComPort*, bool) {};
    port.RegisterLink(&counting);
    port.SetTriggersOnRxChar(false);
    port.SetTriggersOnRxChar(true);
    EXPECT_TRUE(port.TriggersOnRxChar());

    TComLink taking;
    taking.OnRxBuf = [](TCustomComPort*, const char*, int) {};
    port.RegisterLink(&taking);
    EXPECT_FALSE(port.TriggersOnRxChar());
    EXPECT_EQ(CodeOf([&] { port.SetTriggersOnRxChar(true); }), CError_HasLink);
    EXPECT_EQ(CodeOf([&] { port.SetTriggersOnRxChar(false); }), CError_HasLink);
    port.UnRegisterLink(&taking);
    EXPECT_TRUE(port.TriggersOnRxChar());

    EXPECT_EQ(CodeOf([&] { port.RegisterLink(&counting); }), CError_RegFailed);
    EXPECT_EQ(CodeOf([&] { port.UnRegisterLink(&taking); }), CError_RegFailed);
    port.UnRegisterLink(&counting);
}

TEST_F(OpenPort, OverlappedIsKeptWhileOpen)
{
    port.SetOverlapped(false);
    port.Close();
    port.Open();
    EXPECT_TRUE(port.Overlapped());
    port.Close();
    port.SetOverlapped(false);
    EXPECT_FALSE(port.Overlapped());
}

TEST_F(OpenPort, PortNameMovesAnOpenPort)
{
    port.SetPort("COM1");
    EXPECT_TRUE(ApplyCalls(devices).empty());
    port.SetPort("ttyUSB9");
    const std::vector<std::string> calls = ApplyCalls(devices);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "purge in out");  // as the event thread ends
    EXPECT_EQ(calls[1], "close /dev/COM1");
    EXPECT_EQ(calls[2], "open /dev/ttyUSB9");
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(devices.line("/dev/ttyUSB9").open);
    EXPECT_FALSE(devices.line("/dev/COM1").open);

    devices.fail(FakeSerialDevices::Op::Open, ENOENT);
    try {
        port.SetPort("ttyGONE");
        FAIL() << "no error";
    } catch (const EComPortExt& e) {
        EXPECT_EQ(e.Code(), CError_OpenFailed);
        EXPECT_EQ(e.WinCode(), ENOENT);
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "ttyGONE");
    EXPECT_FALSE(devices.line("/dev/ttyUSB9").open);
}

TEST(ComPortSettings, ClosedPortOnlyStores)
{
    FakeSerialDevices devices;
    TComPort port;
    port.SetBaudRate(TBaudRate::br115200);
    port.Timeouts().SetReadInterval(10);
    port.Buffer().SetInputSize(64);
    port.SetPort("ttyFAKE9");
    EXPECT_TRUE(devices.calls().empty());
    EXPECT_EQ(port.Handle(), nullptr);
}

TEST(ComPortSettings, UpdatesNestAndApplyOnceAtTheEnd)
{
    FakeSerialDevices devices;
    TComPort port;
    port.EndUpdate();  // without BeginUpdate: nothing
    port.BeginUpdate();
    port.BeginUpdate();
    port.Open();  // opens the device without configuring it
    port.SetBaudRate(TBaudRate::br19200);
    port.Timeouts().SetReadInterval(5);
    EXPECT_EQ(ApplyCalls(devices), std::vector<std::string>{"open /dev/COM1"});
    port.EndUpdate();
    EXPECT_EQ(ApplyCalls(devices).size(), 1u);
    port.EndUpdate();
    EXPECT_EQ(ApplyCalls(devices), (std::vector<std::string>{"open /dev/COM1", "queues 1024 1024", "state", "timeouts"}));
    EXPECT_EQ(devices.line("/dev/COM1").state->BaudRate, 19200u);
    port.EndUpdate();  // one too many: nothing
    EXPECT_EQ(ApplyCalls(devices).size(), 4u);
}

TEST_F(OpenPort, FailedApplyLeavesTheValueStoredAndThePortOpen)
{
    devices.fail(FakeSerialDevices::Op::Timeouts, EIO);
    EXPECT_EQ(CodeOf([&] { port.Timeouts().SetReadInterval(50); }), CError_TimeoutsFailed);
    EXPECT_EQ(port.Timeouts().ReadInterval(), 50);
    EXPECT_TRUE(port.Connected());
    const platform::SerialTimeouts defaults{0xFFFFFFFFu, 0, 0, 100, 1000};
    EXPECT_EQ(port.AppliedTimeouts(), defaults);

    devices.fail(FakeSerialDevices::Op::Queues, ENOMEM);
    EXPECT_EQ(CodeOf([&] { port.Buffer().SetOutputSize(4096); }), CError_SetupComFailed);
    EXPECT_EQ(port.Buffer().OutputSize(), 4096);
    EXPECT_EQ(port.AppliedOutputSize(), 1024);
}
