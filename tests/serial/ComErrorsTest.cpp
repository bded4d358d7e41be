#include <gtest/gtest.h>

#include "serial/ComErrors.h"
#include "serial/ComTypes.h"

using namespace serial;

TEST(ComErrors, TextsByCode)
{
    struct Case { int code; const char* text; };
    const Case cases[] = {
        {0, "Unknown Error #0"},
        {1, "Unable to open com port"},
        {7, "SetCommState function failed"},
        {8, "SetCommTimeouts failed"},
        {9, "SetupComm function failed"},
        {14, "Cannot set property while connected"},
        {18, "Link (un)registration failed"},
        {22, "A component is linked to OnRxBuf event"},
        {23, "Registry error"},
        {24, "Unknown Error #24"},
        {255, "Unknown Error #255"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComErrorText(static_cast<std::uint8_t>(c.code)), c.text) << c.code;
    for (int code = 1; code <= 23; ++code)
        EXPECT_EQ(ComErrorText(static_cast<std::uint8_t>(code)).rfind("Unknown", 0), std::string::npos) << code;
}

TEST(ComErrors, ExceptionMessagesAndCodes)
{
    const EComPort plain("COM1", 14);
    EXPECT_EQ(plain.Code(), 14);
    EXPECT_EQ(plain.Message(), "COM1 Error: Cannot set property while connected");

    const EComPortExt ext("COM1", 1, 2);
    EXPECT_EQ(ext.Code(), 1);
    EXPECT_EQ(ext.WinCode(), 2);
    EXPECT_EQ(ext.Message(), "COM Port Error: Unable to open com port on COM1");

    const EComPort ready = EComPort::CreateMsg("anything at all");
    EXPECT_EQ(ready.Code(), 0);
    EXPECT_STREQ(ready.what(), "anything at all");

    // An extended error is caught as a plain one and as a standard exception.
    try {
        throw EComPortExt("ttyUSB0", 9, 22);
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), 9);
        EXPECT_EQ(dynamic_cast<const EComPortExt&>(e).WinCode(), 22);
    }
}

TEST(ComTypes, SetsAreBitSetsByOrdinal)
{
    const TComEvents events{TComEvent::evRxChar, TComEvent::evRxFlag, TComEvent::evRx80Full};
    EXPECT_EQ(events.ToBits(), 0x1 | 0x4 | 0x200);
    EXPECT_EQ(TComEvents::All().ToBits(), 0x3FF);
    EXPECT_EQ(TComEvents::FromBits(0xFFFF), TComEvents::All());
    EXPECT_EQ(TStoredProps::All().ToBits(), 0x3F);
    TComSignals signals;
    EXPECT_TRUE(signals.Empty());
    signals.Include(TComSignal::csRLSD).Include(TComSignal::csCTS).Exclude(TComSignal::csCTS);
    EXPECT_EQ(signals, TComSignals{TComSignal::csRLSD});
    EXPECT_EQ((events - TComEvents{TComEvent::evRxChar}).ToBits(), 0x204);
    EXPECT_EQ((events * TComEvents{TComEvent::evRxFlag, TComEvent::evCTS}), TComEvents{TComEvent::evRxFlag});
}

TEST(ComTypes, PlatformValuesByOrdinal)
{
    EXPECT_EQ(BaudRateValue(TBaudRate::brCustom), 0u);
    EXPECT_EQ(BaudRateValue(TBaudRate::br14400), 14400u);
    EXPECT_EQ(BaudRateValue(TBaudRate::br256000), 256000u);
    EXPECT_EQ(DataBitsValue(TDataBits::dbFive), 5);
    EXPECT_EQ(StopBitsValue(TStopBits::sbTwoStopBits), 2);
    EXPECT_EQ(ParityValue(TParityBits::prSpace), 4);
    EXPECT_EQ(DTRControlValue(TDTRFlowControl::dtrHandshake), 0x20u);
    EXPECT_EQ(RTSControlValue(TRTSFlowControl::rtsToggle), 0x3000u);
}
