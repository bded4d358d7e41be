#include <gtest/gtest.h>

#include "platform/IntegerText.h"

#include <QString>

TEST(ParseInt32, ReadsDecimalAndHexadecimalAndRejectsTheRest)
{
    struct Case { const char* text; std::optional<std::int32_t> expected; };
    const Case cases[] = {
        {"16", 16}, {" 16 ", 16}, {"+7", 7}, {"-1", -1}, {"0", 0},
        {"0x10", 16}, {"0X1f", 31}, {"$10", 16}, {"-0x10", -16},
        {"0xFFFFFFFF", -1}, {"0x80000000", INT32_MIN},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt}, {"0x100000000", std::nullopt},
        {"", std::nullopt}, {"  ", std::nullopt}, {"-", std::nullopt}, {"0x", std::nullopt}, {"$", std::nullopt},
        {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"0x1g", std::nullopt}, {"abc", std::nullopt},
        {"--1", std::nullopt}, {"1.5", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::parseInt32(QString::fromUtf8(c.text)), c.expected) << c.text;
}
