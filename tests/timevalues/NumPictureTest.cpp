#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "timevalues/NumPicture.h"

namespace {

struct Row {
    const char* mask;
    std::vector<std::pair<long, std::string>> results;
};

TEST(FormatWord, WorkedExamples)
{
    const Row rows[] = {
        {"$", {{0, "0"}, {1, "1"}, {2, "2"}, {3, "3"}, {9, "9"}, {10, "9"}, {65535, "9"}}},
        {"$$$", {{0, "000"}, {1, "001"}, {64, "064"}, {128, "128"}, {999, "999"}, {1000, "999"}, {65535, "999"}}},
        {"##.##", {{0, "     "}, {1, " 0.01"}, {128, " 1.28"}, {1200, "12.00"}, {1234, "12.34"}, {65535, "99.99"}}},
        {"##.@@", {{1200, "12.  "}, {1234, "12.34"}}},
        {"###", {{0, "   "}, {5, "  5"}, {128, "128"}}},
        {"@@@", {{0, ""}, {5, "5  "}}},
        {"+###", {{0, "    "}, {5, "  +5"}, {128, " 128"}}},
        {"-###", {{5, "  -5"}, {128, "-128"}}},
        // Further cases: literals, other separators, a zero fraction under "$".
        {"$$$$$", {{0, "00000"}, {65535, "65535"}}},
        {"Nr $$$", {{7, "Nr 007"}}},
        {"#:##", {{5, "0:05"}, {123, "1:23"}}},
        {"$$,$$", {{0, "00,00"}, {1200, "12,00"}}},
        {"@@.@@", {{0, " "}, {5, "0.05 "}}},
        {"##x.##", {{0, "      "}, {5, " 5x.00"}}},
        // A separator with nothing shown before it is a blank.
        {".##", {{5, "  5"}}},
        {" ,.##", {{5, "    5"}}},
        // More placeholders than the digit text: the extra ones read blank.
        {"##.##,$$", {{1234, "12.34,00"}}},
        {"###,#", {{7, "  0,7"}}},
    };
    for (const Row& row : rows) {
        for (const auto& [value, expected] : row.results) {
            SCOPED_TRACE(std::string(row.mask) + " with " + std::to_string(value));
            EXPECT_EQ(FormatWord(static_cast<uint16_t>(value), row.mask), expected);
        }
    }
}

TEST(FormatWord, NoBreakModeKeepsTheLeadingArea)
{
    const std::string nbsp = "\xC2\xA0";
    struct Case { uint16_t value; const char* mask; std::string expected; };
    const Case cases[] = {
        {5, "T.##", nbsp + " 5"},
        {5, "T ,.##", " " + nbsp + nbsp + " 5"},
        {5, "T#.#.##", "0.5.00"},
        {123, "T##.#", "12.3"},
        {0, "T###", "   "},
        {0, "T##.##", "     "},
        {5, "T+###", "  +5"},
        {0, "T$", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " with " + std::to_string(c.value));
        EXPECT_EQ(FormatWord(c.value, c.mask), c.expected);
    }
}

TEST(FormatInt, WorkedExamples)
{
    const Row rows[] = {
        {"$$$", {{0, "000"}, {5, "005"}, {999, "999"}, {1000, "000"}, {12345, "345"}, {-5, "-05"}, {-64, "-64"}, {-1234, "234"}}},
        {"$$$$", {{0, "0000"}, {5, "0005"}, {1000, "1000"}, {12345, "2345"}, {-5, "-005"}}},
        {"###", {{0, "   "}, {5, "  5"}, {1000, "   "}, {-5, " -5"}}},
        {"#,###", {{5, "    5"}, {1000, "1,000"}, {12345, "2,345"}}},
        {"+###", {{5, "+  5"}, {-5, "  -5"}}},
        {"$$.$$", {{1234, "12.34"}, {-5, "-0.05"}}},
        // Further cases: ":" is an ordinary character here, "@" keeps the
        // width, only the first "+" turns into a blank.
        {"$$:$$", {{1234, "12:34"}}},
        {"##:##", {{5, "  : 5"}}},
        {"##.##", {{5, "    5"}}},
        {"@@@", {{0, "0  "}, {5, "5  "}, {-5, "5  "}}},
        {"+#+#", {{5, "+ +5"}, {-5, " -+5"}}},
        {"#", {{-5, "5"}, {0, " "}}},
        {"", {{-5, ""}, {5, ""}}},
        // The extremes of the range.
        {"##########", {{INT_MAX, "2147483647"}, {INT_MIN, "2147483648"}}},
        {"###########", {{INT_MIN, "-2147483648"}, {INT_MAX, " 2147483647"}}},
        {"$$$$$$$$$$$$", {{INT_MIN, "-02147483648"}, {0, "000000000000"}}},
        {"$$$", {{INT_MIN, "648"}}},
    };
    for (const Row& row : rows) {
        for (const auto& [value, expected] : row.results) {
            SCOPED_TRACE(std::string(row.mask) + " with " + std::to_string(value));
            EXPECT_EQ(FormatInt(static_cast<int32_t>(value), row.mask), expected);
        }
    }
}

TEST(MaskBlank, OneBlankPerCharacterOtherThanTheOptionalDigit)
{
    struct Case { std::string mask; std::string expected; };
    const Case cases[] = {
        {"##.@@", "   "},
        {"$$$", "   "},
        {"@@@", ""},
        {"", ""},
        {"Tid \xC3\xA5 $", "       "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MaskBlank(c.mask), c.expected) << c.mask;
}

} // namespace
