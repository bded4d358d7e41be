// Numbers as text: the lenient integer of file values, the picture masks of
// the clock's command fields, and the decimal spin entry's text.
#include <gtest/gtest.h>

#include <QString>

#include <climits>
#include <tuple>

#include "timevalues/IntOfValue.h"
#include "timevalues/NumPicture.h"
#include "timevalues/SpinValueText.h"

using namespace timevalues;

namespace {

// Decimal, or hex after "$", "x" or "0x"; a foreign character ends the
// reading and drops the sign; digits are ASCII only; beyond 32 bits it saturates.
TEST(IntOfValue, ReadsLeniently)
{
    const std::tuple<std::string, int> cases[] = {
        {"12", 12}, {"   12", 12}, {"+12", 12}, {"-12", -12}, {"", 0}, {"   ", 0}, {"abc", 0}, {"-", 0}, {"12a", 12},
        {"-12a", 12}, {"2004 ", 2004}, {"1.5", 1}, {"\t5", 0}, {"$7D5", 2005}, {"x7d5", 2005}, {"X7D5", 2005},
        {"0x7D5", 2005}, {"0X7d5", 2005}, {"$ff", 255}, {"-$10", -16}, {"$", 0}, {"0x", 0}, {"-$1G", 1}, {"$-1", 0},
        {"1\xD9\xA3", 1}, {"\xEF\xBC\x91", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN}, {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
        {"-99999999999999999999z", INT_MAX}, {"$FFFFFFFFFF", INT_MAX},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(intOfValue(text), expected) << "\"" << text << "\"";
}

// The clock's command fields: the beep code and setting values ("$",
// "$$$"), record indexes and start numbers ("$$$", "$$$$"); too wide a value
// shows "9"s unsigned and its last digits signed, a negative one its sign.
TEST(NumPicture, CommandFields)
{
    const std::tuple<const char*, long, const char*, const char*> cases[] = {
        {"$", 0, "0", "0"}, {"$", 9, "9", "9"}, {"$", 10, "9", "0"}, {"$", 65535, "9", "5"}, {"$$$", 0, "000", "000"},
        {"$$$", 1, "001", "001"}, {"$$$", 64, "064", "064"}, {"$$$", 128, "128", "128"}, {"$$$", 999, "999", "999"},
        {"$$$", 1000, "999", "000"}, {"$$$", 12345, "999", "345"}, {"$$$", 65535, "999", "535"},
        {"$$$", -5, nullptr, "-05"}, {"$$$", -64, nullptr, "-64"}, {"$$$", -1234, nullptr, "234"},
        {"$$$", INT_MIN, nullptr, "648"}, {"$$$$", 0, "0000", "0000"}, {"$$$$", 5, "0005", "0005"},
        {"$$$$", 1000, "1000", "1000"}, {"$$$$", 12345, "9999", "2345"}, {"$$$$$", 65535, "65535", "65535"},
        {"$$.$$", 1234, "12.34", "12.34"}, {"##.##", 5, " 0.05", "    5"}, {"###", 0, "   ", "   "},
        {"@@@", 5, "5  ", "5  "}, {"+###", 5, "  +5", "+  5"},
        {"##.##", 12, " 0.12", "   12"}, {"$$$ s", 5, "005 s", "005 s"}, {"##.@@", 1200, "12.  ", "12.00"},
        {"T##.$$", 0, "  \xC2\xA0" "00", "T   00"}, {"+###", -5, nullptr, "  -5"},
    };
    for (const auto& [mask, value, word, integer] : cases)
        EXPECT_EQ(std::tuple(word ? FormatWord(static_cast<uint16_t>(value), mask) : "",
                             FormatInt(static_cast<int32_t>(value), mask)),
                  std::tuple(word ? word : "", integer)) << mask << " with " << value;
    // A blank for every character but "@", one for a character outside ASCII.
    EXPECT_EQ(std::tuple(MaskBlank("##.@@"), MaskBlank("\xC2\xA7$$@"), MaskBlank("\xE2\x82\xAC$")),
              std::tuple("   ", "   ", "  "));
}

// The spin entry's text: values written with "," and the sign in front
// ("-0,05") read back; reading cuts or pads decimals and says so; what is no
// integer reads as the minimum; steps saturate; equal limits do not clamp.
TEST(SpinValueText, ValuesTextsAndSteps)
{
    using namespace spinvalue;
    const std::tuple<int32_t, int, const char*> written[] = {{1250, 2, "12,50"}, {5, 2, "0,05"}, {0, 2, "0,00"},
        {-5, 2, "-0,05"}, {-150, 2, "-1,50"}, {-7, 0, "-7"}, {INT_MIN, 2, "-21474836,48"}, {INT_MAX, 3, "2147483,647"}};
    for (const auto& [value, decimals, text] : written)
        EXPECT_EQ(formatValue(value, decimals), QString::fromLatin1(text)) << value;
    for (int decimals = 0; decimals <= kMaxDecimals; ++decimals)
        for (int32_t v : {INT_MIN, -100001, -1000, -999, -10, -9, -1, 0, 1, 9, 10, 999, INT_MAX}) {
            const Reading back = readValue(formatValue(v, decimals), decimals, 4711);
            EXPECT_EQ(std::tuple(back.value, back.rewrittenText), std::tuple(v, std::nullopt)) << v << " " << decimals;
        }
    EXPECT_EQ(formatValue(1, 1000), "0,000000001");  // at most nine decimals
    const std::tuple<const char*, int, int32_t, const char*> reads[] = {
        {"5-", 0, -3, ""}, {"--5", 0, -3, ""}, {"+-5", 0, -5, ""}, {"++5", 0, 5, ""}, {"2147483648", 0, -3, ""},
        {"-2147483649", 0, -3, ""}, {"99999999999999999999", 0, -3, ""}, {"-2147483648", 0, INT_MIN, ""},
        {"21474836,48", 2, -3, ""}, {" 5", 0, -3, ""}, {"1,5", -2, 1, "1,"}, {"12,5", 2, 1250, "12,50"},
        {"1.234", 2, 123, "1.23"}, {"12", 2, 1200, ""}, {"", 2, 0, ""}, {"", 0, -3, ""}, {"12,7", 0, 12, "12,"},
        {"+5", 0, 5, ""}, {"5+", 0, 5, ""}, {"abc", 0, -3, ""}, {"-0,05", 2, -5, ""}, {"1.2,5", 1, 12, "1.2"},
        {"1.2,5", 2, -3, "1.2,"},
    };
    for (const auto& [text, decimals, value, rewritten] : reads) {
        const Reading r = readValue(QString::fromLatin1(text), decimals, -3);
        EXPECT_EQ(std::tuple(r.value, r.rewrittenText.value_or("")), std::tuple(value, rewritten)) << text;
    }
    // With limits the wrong way round, below the minimum is tested first.
    EXPECT_EQ(std::tuple(checkValue(INT_MAX, 0, 0), checkValue(7, 3, 3), checkValue(5, 9, 1), checkValue(20, 9, 1)),
              std::tuple(INT_MAX, 7, 9, 1));
    EXPECT_EQ(std::tuple(stepValue(INT_MAX, 1, +1), stepValue(INT_MIN, 1, -1), stepValue(0, INT_MIN, -1),
                         stepValue(5, -2, +1)), std::tuple(INT_MAX, INT_MIN, INT_MAX, 3));
}

} // namespace
