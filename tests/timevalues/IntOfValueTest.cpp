#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "timevalues/IntOfValue.h"

namespace {

TEST(IntOfValue, ReadsLeniently)
{
    struct Case { std::string text; int expected; };
    const Case cases[] = {
        {"12", 12},
        {"   12", 12},
        {"+12", 12},
        {"-12", -12},
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"-", 0},
        // A foreign character ends the reading and drops the sign.
        {"12a", 12},
        {"-12a", 12},
        {"2004 ", 2004},
        {"1.5", 1},
        {"\t5", 0},
        // Hexadecimal after its prefixes, either case of digit.
        {"$7D5", 2005},
        {"x7d5", 2005},
        {"X7D5", 2005},
        {"0x7D5", 2005},
        {"0X7d5", 2005},
        {"-$10", -16},
        {"$", 0},
        {"0x", 0},
        {"-$1G", 1},
        {"$-1", 0},
        // Digits are ASCII only.
        {"1\xD9\xA3", 1},
        {"\xEF\xBC\x91", 0},
        // Saturation instead of overflow.
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
        {"-99999999999999999999z", INT_MAX},
        {"$FFFFFFFFFF", INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(IntOfValue(c.text), c.expected);
    }
}

} // namespace
