// The number conversions behind the decimal spin entry, without a widget:
// the cases the entry's own examples do not cover (signs, overflow, limits,
// the key filter).
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

TEST(SpinValueText, FormatsNegativeValuesSoTheyReadBack)
{
    const FormatCase cases[] = {
        {-5, 2, "-0,05"},      {-150, 2, "-1,50"},   {-1, 1, "-0,1"},     {-10, 1, "-1,0"},
        {-7, 0, "-7"},         {INT_MIN, 0, "-2147483648"}, {INT_MIN, 2, "-21474836,48"},
        {INT_MAX, 3, "2147483,647"}, {123, 1, "12,3"}, {0, 0, "0"},
    };
    for (const auto& c : cases) {
        const QString text = formatValue(c.value, c.decimals);
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.value << " with " << c.decimals;
        const Reading back = readValue(text, c.decimals, 4711);
        EXPECT_EQ(back.value, c.value) << text.toStdString();
        EXPECT_FALSE(back.rewrittenText) << text.toStdString();
    }
}

TEST(SpinValueText, EveryWrittenValueReadsBack)
{
    for (int decimals = 0; decimals <= kMaxDecimals; ++decimals)
        for (int32_t v : {INT_MIN, INT_MIN + 1, -100001, -1000, -999, -10, -9, -1, 0, 1, 9, 10, 999, 1000, INT_MAX})
            EXPECT_EQ(readValue(formatValue(v, decimals), decimals, 4711).value, v) << v << " with " << decimals;
}

struct ReadCase {
    const char* text;
    int decimals;
    int32_t value;
};

TEST(SpinValueText, TextsThatAreNoIntegerReadAsMinValue)
{
    const ReadCase cases[] = {
        {"-", 0, -3},           {"5-", 0, -3},         {"--5", 0, -3},        {"+-5", 0, -5},
        {"++5", 0, 5},          {"1,2.5", 1, -3},      {"2147483648", 0, -3}, {"-2147483649", 0, -3},
        {"99999999999999999999", 0, -3},               {"2147483647", 0, INT_MAX},
        {"-2147483648", 0, INT_MIN},                   {"21474836,48", 2, -3}, {" 5", 0, -3},
        {"12a", 0, -3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readValue(QString::fromLatin1(c.text), c.decimals, -3).value, c.value) << c.text;
}

TEST(SpinValueText, OutOfRangeDecimalsAreBounded)
{
    EXPECT_EQ(formatValue(5, -2), "5");
    EXPECT_EQ(readValue("1,5", -2, 0).value, 1);
    EXPECT_EQ(formatValue(1, 1000).size(), kMaxDecimals + 2);
}

struct ClampCase {
    int32_t value, min, max, result;
};

TEST(SpinValueText, ClampsOnlyWithDistinctLimits)
{
    const ClampCase cases[] = {
        {12, 1, 9, 9},  {0, 1, 9, 1},   {5, 1, 9, 5},     {1, 1, 9, 1},   {9, 1, 9, 9},
        {-50, 0, 0, -50}, {INT_MAX, 0, 0, INT_MAX}, {7, 3, 3, 7},
        {5, 9, 1, 9},   // limits the wrong way round: below min is tested first
        {20, 9, 1, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkValue(c.value, c.min, c.max), c.result) << c.value << " in " << c.min << ".." << c.max;
}

TEST(SpinValueText, StepsSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(stepValue(INT_MAX, 1, +1), INT_MAX);
    EXPECT_EQ(stepValue(INT_MIN, 1, -1), INT_MIN);
    EXPECT_EQ(stepValue(0, INT_MIN, -1), INT_MAX); // minus a negative increment
    EXPECT_EQ(stepValue(INT_MAX, INT_MIN, +1), -1);
    EXPECT_EQ(stepValue(5, -2, +1), 3);
    EXPECT_EQ(stepValue(5, 2, -1), 3);
}

struct CharCase {
    char16_t key;
    bool enabledEditor;
    bool valid;
};

TEST(SpinValueText, KeyFilter)
{
    const CharCase cases[] = {
        {u'0', true, true},   {u'9', true, true},   {u'+', true, true},  {u'-', true, true},
        {u',', true, true},   {u'.', true, true},   {u'a', true, false}, {u' ', true, false},
        {u'e', true, false},  {13, true, false},    {8, true, true},     {3, true, true},
        {22, true, true},     {u'5', false, false}, {u',', false, false}, {8, false, false},
        {13, false, false},   {3, false, true},     {24, false, true},   {u'\u00e9', true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidChar(QChar(c.key), c.enabledEditor, QChar(u',')), c.valid)
            << int(c.key) << (c.enabledEditor ? " editor on" : " editor off");
}

TEST(SpinValueText, LocaleDecimalPointCountsOnlyBelow256)
{
    EXPECT_TRUE(isValidChar(QChar(u'\u00b7'), true, QChar(u'\u00b7')));
    EXPECT_FALSE(isValidChar(QChar(u'\u00b7'), false, QChar(u'\u00b7')));
    EXPECT_FALSE(isValidChar(QChar(u'\u066b'), true, QChar(u'\u066b')));
}

} // namespace
