#include <gtest/gtest.h>

#include "app/StrictInt.h"

TEST(StrictInt, OnlyWholeIntegersAreIntegers)
{
    const std::vector<std::pair<std::string, std::optional<int>>> cases = {
        {"12", 12},           {"0", 0},           {"00", 0},         {"-3", -3},
        {"+4", 4},            {" 7 ", 7},         {"$10", 16},       {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", std::nullopt},   {"  ", std::nullopt}, {"1a", std::nullopt}, {"a1", std::nullopt},
        {"1 2", std::nullopt}, {"-", std::nullopt}, {"2147483648", std::nullopt}, {"1.5", std::nullopt},
        {"\xc3\xa5", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(app::TryStrToInt(text), expected);
        if (expected) {
            EXPECT_EQ(app::StrToInt(text), *expected);
        } else {
            EXPECT_THROW(app::StrToInt(text), app::InvalidInteger);
        }
        EXPECT_EQ(app::SpinTextValue(text, -9), expected.value_or(-9));
    }
}

TEST(StrictInt, TheFailureQuotesTheText)
{
    try {
        app::StrToInt("1x");
        FAIL() << "no failure";
    } catch (const app::InvalidInteger& e) {
        EXPECT_NE(std::string(e.what()).find("\"1x\""), std::string::npos) << e.what();
    }
}
