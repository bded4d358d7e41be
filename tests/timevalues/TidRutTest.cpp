#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/FakeLocalClock.h"
#include "timevalues/TidRut.h"

namespace {

const char* const kMasks[] = {"$$.$$.$$", "##.$$", "##.#$.$$", "$$:$$:$$", "$$:$$"};

struct DisplayRow {
    TTid value;
    const char* texts[5];
};

const DisplayRow kDisplayRows[] = {
    {0, {"00.00.00", "   00", "    0.00", "00:00:00", "00:00"}},
    {53000, {"00.00.05", "   05", "    0.05", "00:00:05", "00:05"}},
    {300000, {"00.00.30", "   30", "    0.30", "00:00:30", "00:30"}},
    {3300000, {"00.05.30", " 5.30", "    5.30", "00:05:30", "05:30"}},
    {39300000, {"01.05.30", "05.30", " 1.05.30", "01:05:30", "05:30"}},
    {360000000, {"10.00.00", "00.00", "10.00.00", "10:00:00", "00:00"}},
    {863990000, {"23.59.59", "59.59", "23.59.59", "23:59:59", "59:59"}},
    {864000000, {"24.00.00", "00.00", "24.00.00", "24:00:00", "00:00"}},
    {864000001, {"00.00.00", "   00", "    0.00", "00:00:00", "00:00"}},
    {-300000, {"00.0-.30", "  -30", "    -.30", "00:0-:30", "0-:30"}},
    {-3300000, {"00.-5.30", "-5.30", "   -5.30", "00:-5:30", "-5:30"}},
    {-39300000, {"-1.05.30", "05.30", "-1.05.30", "-1:05:30", "05:30"}},
    // Beyond a day in absolute value: blank digits and no sign, also at the
    // extremes of the range.
    {-864000001, {"00.00.00", "   00", "    0.00", "00:00:00", "00:00"}},
    {INT_MIN, {"00.00.00", "   00", "    0.00", "00:00:00", "00:00"}},
    {INT_MAX, {"00.00.00", "   00", "    0.00", "00:00:00", "00:00"}},
};

TEST(FormatTid, MasksInUseInDisplayModes)
{
    for (const DisplayRow& row : kDisplayRows) {
        for (int m = 0; m < 5; ++m) {
            SCOPED_TRACE(std::to_string(row.value) + " with " + kMasks[m]);
            EXPECT_EQ(FormatTid(row.value, kMasks[m], 'V'), row.texts[m]);
            EXPECT_EQ(FormatTid(row.value, kMasks[m], ' '), row.texts[m]);
        }
    }
}

TEST(FormatTid, OtherMasksAndModes)
{
    struct Case { TTid value; const char* mask; char mode; std::string expected; };
    std::string filled = "    5.30";
    filled[2] = kTidFillChar;
    const Case cases[] = {
        {3300000, "##.#$.$$", 'T', filled},
        {3300000, "$$.$$.$$", 'T', "00.05.30"},
        {300000, "$$:$$:$$", 'E', "00:00:30"},
        {300000, "$$:$$", 'E', "00:30"},
        {0, "##.#$.$$", 'E', "  . 0.00"},
        {3300000, "+##.#$.$$", 'V', "    +5.30"},
        {123456789, "#####,$", 'V', "12345,6"},
        {53000, "#####,$", 'V', "    5,3"},
        {123456789, "$$:$$:$$.@@@@", 'V', "03:25:45.6789"},
        {5, "$$:$$:$$.@@@@", 'V', "00:00:00.5   "},
        {5, "$$:$$:$$.@@@@", 'E', "00:00:00.5"},
        {5, "$$:$$:$$.@@@@", 'T', "00:00:00.5   "},
        // Literals are copied in display modes and dropped in edit mode.
        {39300000, "$$h$$m", 'V', "05h30m"},
        {39300000, "$$h$$m", 'E', "0530"},
        {3300000, "$$:$$", 'X', ""},
        {3300000, "", 'V', ""},
        // More placeholders than the digit positions hold read as blanks.
        {39300000, "$$$$$$$$$$$$$$", 'V', "00000000003930"},
        {39300000, "$$:$$:$$:$$:$$:$$", 'V', "00:00:00:01:05:30"},
        {5, ".$$$$.@@@@@@@@", 'V', " 0000.        "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " with " + c.mask + " mode '" + c.mode + "'");
        EXPECT_EQ(FormatTid(c.value, c.mask, c.mode), c.expected);
    }
}

TEST(StrToTid, ReadsTheWorkedExamples)
{
    struct Case { const char* text; int decimals; TTid expected; };
    const Case cases[] = {
        {"10:00:00", 0, 360000000},
        {"12:30", 0, 7500000},
        {"12.30", 0, 7500000},
        {"1.05.30", 0, 39300000},
        {"5,3", 0, 53000},
        {"5.3", 0, 3030000},
        {"12:30.5", 0, 7505000},
        {"10:00:00,5", 0, 360005000},
        {"10:00:00.25", 0, 360002500},
        {"10:00:00.25", 1, 360002000},
        {"10:00:00.25", 2, 360002500},
        {"10:00:00.2567", 3, 360002560},
        {"10:00:00.2567", 4, 360002567},
        {"10:00:00.2567", -1, 360002567},
        {"1.05,3", 0, 653000},
        {"90", 0, 900000},
        {"", 0, 0},
        {" 9:05", 0, 5450000},
        {"-5", 0, 50000},
        {"abc", 0, 0},
        {"1:2:3:4,5", 0, 37845000},
        {"1,2,3", 0, 13000},
        {"1,5.30", 0, 900000},
        // Only the first four fraction digits count.
        {"10:00:00,123456", 0, 360001234},
        {"0,99999999999999999999", 0, 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" decimals " + std::to_string(c.decimals));
        EXPECT_EQ(StrToTid(c.text, c.decimals), c.expected);
    }
}

TEST(StrToTid, CountsNonAsciiAndForeignDigitsAsOneZero)
{
    // "٣" (Arabic-Indic three) is no digit here; "é" is one character.
    EXPECT_EQ(StrToTid("1\xD9\xA3:00"), StrToTid("10:00"));
    EXPECT_EQ(StrToTid("1\xC3\xA9" "2"), 102 * kTidSecond);
    // A stray byte that starts no valid sequence is one character too.
    EXPECT_EQ(StrToTid("1\xE9" "2"), 102 * kTidSecond);
    EXPECT_EQ(StrToTid("\xFF\xFF" "5"), 5 * kTidSecond);
}

TEST(StrToTid, SaturatesHugeFields)
{
    const TTid most = INT_MAX;
    const char* const texts[] = {
        "99999999999999999999",
        "99999999999999999999:00:00",
        "1:99999999999999999999:00,5",
        "596:00:00",
        "214748,3648",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(StrToTid(text), most);
    }
    EXPECT_EQ(StrToTid("214748,3647"), most);
    EXPECT_EQ(StrToTid("214748,3646"), most - 1);
    EXPECT_EQ(StrToTid("99999999999999999999", 1), most - most % 1000);
}

TEST(TidRoundTrip, EveryWholeSecondOfTheDayThroughTheTimeMasks)
{
    for (const char* mask : {"$$.$$.$$", "##.#$.$$", "$$:$$:$$"}) {
        int failures = 0;
        for (TTid second = 0; second <= 86400 && failures < 5; ++second) {
            const TTid value = second * kTidSecond;
            const std::string text = FormatTid(value, mask, 'V');
            if (StrToTid(text) != value || text.size() != std::string(mask).size()) {
                ADD_FAILURE() << mask << ": " << second << " s wrote \"" << text << "\"";
                ++failures;
            }
        }
    }
}

TEST(TidToSecStr, WritesWholeSecondsAndFraction)
{
    struct Case { TTid value; int decimals; const char* expected; };
    const Case cases[] = {
        {360000000, 0, "36000"},
        {300000, 0, "00030"},
        {863999999, 0, "86399"},
        {863999999, 1, "86399.9"},
        {863999999, 4, "86399.9999"},
        {863999999, 9, "86399.9999"},
        {0, 0, "00000"},
        {0, 1, "00000.0"},
        {0, -3, "00000"},
        {INT_MIN, 2, "-2147.48"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " decimals " + std::to_string(c.decimals));
        EXPECT_EQ(TidToSecStr(c.value, c.decimals), c.expected);
    }
}

TEST(TidNow, IsTheLocalTimeOfDayInTenthsOfMilliseconds)
{
    struct Case { platform::LocalDateTime at; TTid expected; };
    const Case cases[] = {
        {{2026, 6, 15, 0, 0, 0, 0}, 0},
        {{2026, 6, 15, 10, 0, 0, 0}, 360000000},
        {{2026, 6, 15, 23, 59, 59, 999}, 863999990},
        {{2026, 6, 15, 12, 34, 56, 789}, 452967890},
    };
    for (const Case& c : cases) {
        testenv::FakeLocalClock clock(c.at);
        testenv::ScopedFakeClock scope(clock);
        EXPECT_EQ(TidNow(), c.expected);
    }
}

} // namespace
