// The number conversions behind the decimal spin entry, without a widget:
// signs, overflow, limits and the key filter.
#include <gtest/gtest.h>

#include <QString>

#include <climits>

#include "timevalues/SpinValueText.h"

using namespace spinvalue;

namespace {

struct FormatCase {
    int32_t value;
    int decimals;
    const char* text;
};

TEST(SpinValueText, WritesValuesThatReadBack)
{
    const FormatCase cases[] = {
        {1250, 2, "12,50"}, {5, 2, "0,05"},   {0, 2, "0,00"},           {-5, 2, "-0,05"},
        {-150, 2, "-1,50"}, {-7, 0, "-7"},    {INT_MIN, 2, "-21474836,48"}, {INT_MAX, 3, "2147483,647"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatValue(c.value, c.decimals), QString::fromLatin1(c.text)) << c.value;
    for (int decimals = 0; decimals <= kMaxDecimals; ++decimals)
        for (int32_t v : {INT_MIN, -100001, -1000, -999, -10, -9, -1, 0, 1, 9, 10, 999, INT_MAX}) {
            const Reading back = readValue(formatValue(v, decimals), decimals, 4711);
            EXPECT_EQ(back.value, v) << v << " with " << decimals;
            EXPECT_FALSE(back.rewrittenText) << v << " with " << decimals;
        }
    EXPECT_EQ(formatValue(1, 1000).size(), kMaxDecimals + 2);
}

struct ReadCase {
    const char* text;
    int decimals;
    int32_t value;
};

TEST(SpinValueText, TextsThatAreNoIntegerReadAsMinValue)
{
    const ReadCase cases[] = {
        {"5-", 0, -3},          {"--5", 0, -3},          {"+-5", 0, -5},       {"++5", 0, 5},
        {"2147483648", 0, -3},  {"-2147483649", 0, -3},  {"99999999999999999999", 0, -3},
        {"-2147483648", 0, INT_MIN}, {"21474836,48", 2, -3}, {" 5", 0, -3},   {"1,5", -2, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readValue(QString::fromLatin1(c.text), c.decimals, -3).value, c.value) << c.text;
}

TEST(SpinValueText, ClampsOnlyWithDistinctLimitsAndStepsSaturate)
{
    EXPECT_EQ(checkValue(INT_MAX, 0, 0), INT_MAX);
    EXPECT_EQ(checkValue(7, 3, 3), 7);
    EXPECT_EQ(checkValue(5, 9, 1), 9); // limits the wrong way round: below min is tested first
    EXPECT_EQ(checkValue(20, 9, 1), 1);
    EXPECT_EQ(stepValue(INT_MAX, 1, +1), INT_MAX);
    EXPECT_EQ(stepValue(INT_MIN, 1, -1), INT_MIN);
    EXPECT_EQ(stepValue(0, INT_MIN, -1), INT_MAX);
    EXPECT_EQ(stepValue(5, -2, +1), 3);
}

struct CharCase {
    char16_t key;
    bool enabledEditor;
    bool valid;
};

TEST(SpinValueText, KeyFilter)
{
    const CharCase cases[] = {
        {u'7', true, true},   {u'+', true, true},   {u'.', true, true},  {u'a', true, false},
        {u' ', true, false},  {13, true, false},    {8, true, true},     {22, true, true},
        {u'5', false, false}, {8, false, false},    {3, false, true},    {u'\u00b7', true, true},
        {u'\u066b', true, false},
    };
    for (const auto& c : cases) {
        const QChar point(c.key > 0xff ? c.key : u'\u00b7'); // the locale's point where one is tested
        EXPECT_EQ(isValidChar(QChar(c.key), c.enabledEditor, point), c.valid)
            << int(c.key) << (c.enabledEditor ? " editor on" : " editor off");
    }
}

} // namespace
