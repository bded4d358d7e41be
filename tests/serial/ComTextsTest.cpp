#include <gtest/gtest.h>

#include "serial/ComTexts.h"

using namespace serial;

TEST(ComTexts, EveryValueReadsBackFromItsOwnText)
{
    for (int i = 0; i < 16; ++i) {
        const auto b = static_cast<TBaudRate>(i);
        EXPECT_EQ(StrToBaudRate(BaudRateToStr(b)), b) << i;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StrToStopBits(StopBitsToStr(static_cast<TStopBits>(i))), static_cast<TStopBits>(i));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(StrToDataBits(DataBitsToStr(static_cast<TDataBits>(i))), static_cast<TDataBits>(i));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(StrToParity(ParityToStr(static_cast<TParityBits>(i))), static_cast<TParityBits>(i));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(StrToFlowControl(FlowControlToStr(static_cast<TFlowControl>(i))), static_cast<TFlowControl>(i));
        EXPECT_EQ(StrToRTS(RTSToStr(static_cast<TRTSFlowControl>(i))), static_cast<TRTSFlowControl>(i));
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StrToDTR(DTRToStr(static_cast<TDTRFlowControl>(i))), static_cast<TDTRFlowControl>(i));
    EXPECT_TRUE(StrToBool(BoolToStr(true)));
    EXPECT_FALSE(StrToBool(BoolToStr(false)));
}

TEST(ComTexts, UnknownAndOddTextsGiveTheTableDefault)
{
    EXPECT_EQ(StrToBaudRate("custom"), TBaudRate::brCustom);
    EXPECT_EQ(StrToBaudRate(""), TBaudRate::br9600);
    EXPECT_EQ(StrToBaudRate("9600 "), TBaudRate::br9600);
    EXPECT_EQ(StrToBaudRate(" 110"), TBaudRate::br9600);  // no trimming
    EXPECT_EQ(StrToStopBits("1.5"), TStopBits::sbOne5StopBits);
    EXPECT_EQ(StrToStopBits("1,5"), TStopBits::sbOneStopBit);
    EXPECT_EQ(StrToFlowControl("none"), TFlowControl::fcNone);
    EXPECT_EQ(StrToFlowControl("xyz"), TFlowControl::fcCustom);
    EXPECT_EQ(StrToDataBits("9"), TDataBits::dbEight);
    EXPECT_EQ(StrToRTS("TOGGLE"), TRTSFlowControl::rtsToggle);
    EXPECT_EQ(StrToDTR("Toggle"), TDTRFlowControl::dtrDisable);
    EXPECT_EQ(StrToParity("sPaCe"), TParityBits::prSpace);
    // Only ASCII letters fold: a Latin-1 capital does not match its small form.
    EXPECT_EQ(StrToParity("N\xD6NE"), TParityBits::prNone);
    EXPECT_EQ(StrToParity("\xE9VEN"), TParityBits::prNone);
}

TEST(ComTexts, BooleanIsYesInAnyCaseOnly)
{
    EXPECT_EQ(BoolToStr(true), "Yes");
    EXPECT_EQ(BoolToStr(false), "No");
    for (const char* yes : {"yes", "YES", "yEs"})
        EXPECT_TRUE(StrToBool(yes)) << yes;
    for (const char* no : {"Yes ", "Y", "1", "True", "", "No"})
        EXPECT_FALSE(StrToBool(no)) << no;
}

TEST(ComTexts, CharactersAsText)
{
    struct Case { int code; const char* text; };
    const Case cases[] = {
        {0, "#0"}, {13, "#13"}, {32, "#32"}, {33, "!"}, {65, "A"}, {127, "\x7F"},
        {128, "#128"}, {255, "#255"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharToStr(static_cast<char>(c.code)), c.text) << c.code;
    // Every character survives the round trip.
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(static_cast<unsigned char>(StrToChar(CharToStr(static_cast<char>(code)))), code);
}

TEST(ComTexts, TextsAsCharacters)
{
    struct Case { const char* text; int code; };
    const Case cases[] = {
        {"#17", 17}, {"#", '#'}, {"#Q", 0}, {"", 0}, {"AB", 'A'}, {"#256", 0},
        {"#300", 44}, {"#-1", 255}, {"#13x", 0}, {"#$41", 0x41}, {"#0x7e", 0x7E},
        {"#99999999999", 0}, {"\xC4", 0xC4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<unsigned char>(StrToChar(c.text)), c.code) << c.text;
}
