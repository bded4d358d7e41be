// The line state and time-outs a port's settings make, bit for bit.
#include <gtest/gtest.h>

#include "serial/ComPort.h"

using namespace serial;
using platform::SerialLineState;

namespace {

// The port of the main window: 9600 8N1, DTR on, RTS off, events on CR.
void MakeMainPort(TCustomComPort& port)
{
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::dbEight);
    port.SetStopBits(TStopBits::sbOneStopBit);
    port.Parity().SetBits(TParityBits::prNone);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrEnable);
    port.FlowControl().SetControlRTS(TRTSFlowControl::rtsDisable);
    port.SetEventChar('\r');
    port.SetEvents({TComEvent::evRxFlag});
}

// The firmware loader's port: the same with DTR off and a 2 s read interval.
void MakeLoaderPort(TCustomComPort& port)
{
    MakeMainPort(port);
    port.FlowControl().SetControlDTR(TDTRFlowControl::dtrDisable);
    port.Timeouts().SetReadInterval(2000);
}

// Length, speed, flags, reserved, XON and XOFF limits, byte size, parity,
// stop bits, XON, XOFF, error, end-of-file and event characters, reserved.
const SerialLineState kMainState{28, 9600, 0x11, 0, 256, 256, 8, 0, 0, 17, 19, 0, 0, 13, 0};

} // namespace

TEST(ComLineImage, ThePortsOfTheApplication)
{
    TComPort main;
    MakeMainPort(main);
    EXPECT_EQ(main.LineStateImage(), kMainState);
    const platform::SerialTimeouts mainTimeouts{0xFFFFFFFFu, 0, 0, 100, 1000};
    EXPECT_EQ(main.TimeoutsImage(), mainTimeouts);
    EXPECT_EQ(main.Buffer().InputSize(), 1024);
    EXPECT_EQ(main.Buffer().OutputSize(), 1024);

    TComPort loader;
    MakeLoaderPort(loader);
    SerialLineState loaderState = kMainState;
    loaderState.Flags = 0x01;
    EXPECT_EQ(loader.LineStateImage(), loaderState);
    const platform::SerialTimeouts loaderTimeouts{2000, 0, 0, 100, 1000};
    EXPECT_EQ(loader.TimeoutsImage(), loaderTimeouts);
}

TEST(ComLineImage, ParityCheckAndReplacement)
{
    struct Case { bool check, replace; std::uint32_t flags; std::uint8_t errorChar; };
    const Case cases[] = {
        {false, false, 0x01, 0},
        {false, true, 0x01, 0},
        {true, false, 0x03, 0},
        {true, true, 0x403, '?'},
    };
    for (const Case& c : cases) {
        TComPort port;
        port.Parity().SetBits(TParityBits::prEven);
        port.Parity().SetCheck(c.check);
        port.Parity().SetReplace(c.replace);
        port.Parity().SetReplaceChar('?');
        const SerialLineState s = port.LineStateImage();
        EXPECT_EQ(s.Flags, c.flags) << c.check << c.replace;
        EXPECT_EQ(s.ErrorChar, c.errorChar) << c.check << c.replace;
        EXPECT_EQ(s.Parity, 2);
    }
}

TEST(ComLineImage, EveryFlagHasItsBit)
{
    struct Case { const char* what; void (*set)(TComPort&); std::uint32_t flags; };
    const Case cases[] = {
        {"CTS flow", [](TComPort& p) { p.FlowControl().SetOutCTSFlow(true); }, 0x5},
        {"DSR flow", [](TComPort& p) { p.FlowControl().SetOutDSRFlow(true); }, 0x9},
        {"DTR handshake", [](TComPort& p) { p.FlowControl().SetControlDTR(TDTRFlowControl::dtrHandshake); }, 0x21},
        {"DSR sensitivity", [](TComPort& p) { p.FlowControl().SetDSRSensitivity(true); }, 0x41},
        {"continue on XOFF", [](TComPort& p) { p.FlowControl().SetTxContinueOnXoff(true); }, 0x81},
        {"XON/XOFF out", [](TComPort& p) { p.FlowControl().SetXonXoffOut(true); }, 0x101},
        {"XON/XOFF in", [](TComPort& p) { p.FlowControl().SetXonXoffIn(true); }, 0x201},
        {"discard NUL", [](TComPort& p) { p.SetDiscardNull(true); }, 0x801},
        {"RTS enable", [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsEnable); }, 0x1001},
        {"RTS handshake", [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsHandshake); }, 0x2001},
        {"RTS toggle", [](TComPort& p) { p.FlowControl().SetControlRTS(TRTSFlowControl::rtsToggle); }, 0x3001},
        {"hardware preset", [](TComPort& p) { p.FlowControl().SetFlowControl(TFlowControl::fcHardware); }, 0x2005},
        {"software preset", [](TComPort& p) { p.FlowControl().SetFlowControl(TFlowControl::fcSoftware); }, 0x301},
    };
    for (const Case& c : cases) {
        TComPort port;
        c.set(port);
        EXPECT_EQ(port.LineStateImage().Flags, c.flags) << c.what;
    }
}

TEST(ComLineImage, SpeedsFramingAndLimits)
{
    struct Case { TBaudRate rate; int custom; std::uint32_t expected; };
    const Case cases[] = {
        {TBaudRate::br110, 0, 110}, {TBaudRate::br14400, 0, 14400}, {TBaudRate::br56000, 0, 56000},
        {TBaudRate::br256000, 0, 256000}, {TBaudRate::brCustom, 31250, 31250},
        {TBaudRate::brCustom, 1, 1},
    };
    for (const Case& c : cases) {
        TComPort port;
        port.SetBaudRate(c.rate);
        port.SetCustomBaudRate(c.custom);
        EXPECT_EQ(port.LineStateImage().BaudRate, c.expected) << c.custom;
    }

    TComPort port;
    port.SetDataBits(TDataBits::dbFive);
    port.SetStopBits(TStopBits::sbOne5StopBits);
    port.Parity().SetBits(TParityBits::prSpace);
    port.FlowControl().SetXonChar('\x81');
    port.FlowControl().SetXoffChar('\x82');
    port.Buffer().SetInputSize(4098);
    SerialLineState s = port.LineStateImage();
    EXPECT_EQ(s.ByteSize, 5);
    EXPECT_EQ(s.StopBits, 1);
    EXPECT_EQ(s.Parity, 4);
    EXPECT_EQ(s.XonChar, 0x81);
    EXPECT_EQ(s.XoffChar, 0x82);
    EXPECT_EQ(s.XonLim, 1024);
    EXPECT_EQ(s.XoffLim, 1024);
    // The limits are a 16-bit field; a negative size gives 0 (truncated toward zero).
    port.Buffer().SetInputSize(4 * 70000);
    EXPECT_EQ(port.LineStateImage().XonLim, static_cast<std::uint16_t>(70000));
    port.Buffer().SetInputSize(-3);
    EXPECT_EQ(port.LineStateImage().XonLim, 0);
}

TEST(ComLineImage, TimeoutsAreTheSame32Bits)
{
    TComPort port;
    port.Timeouts().SetReadInterval(-1);
    port.Timeouts().SetReadTotalMultiplier(-2);
    port.Timeouts().SetReadTotalConstant(7);
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(2147483647);
    const platform::SerialTimeouts expected{0xFFFFFFFFu, 0xFFFFFFFEu, 7, 0, 0x7FFFFFFFu};
    EXPECT_EQ(port.TimeoutsImage(), expected);
}
