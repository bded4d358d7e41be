#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "timevalues/TextRut.h"

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(CheckChar, WorkedExamples)
{
    struct Case { std::string text; int check; };
    const Case cases[] = {
        {"VER", 0x93},
        {"abc", 'Z'},
        {"RESET", '}'},
        {"", 128},
        // Bytes of 128 and above count by their unsigned value: "åäö" in the
        // 8-bit code page sums to 703.
        {bytes({0xE5, 0xE4, 0xF6}), 'A'},
        {bytes({0xFF}), 129},
        {bytes({0x80, 0x80}), 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string line = c.text;
        AddCheckChar(line);
        EXPECT_EQ(line, c.text + static_cast<char>(c.check));
    }
}

TEST(CheckChar, TheVerFrameIsValidAndStripsBackToItsText)
{
    std::string frame = bytes({0x56, 0x45, 0x52, 0x93});
    EXPECT_TRUE(StripCheckChar(frame));
    EXPECT_EQ(frame, "VER");
}

TEST(StripCheckChar, RefusesShortOrInvalidLinesUnchanged)
{
    const std::string lines[] = {
        "",
        bytes({128}),            // the check character of an empty text
        std::string("a") + CheckChar("a"),
        "abcY",                  // sum 1 modulo 128
        "abcZ" + bytes({0x01}),
    };
    for (const std::string& original : lines) {
        std::string line = original;
        EXPECT_FALSE(StripCheckChar(line));
        EXPECT_EQ(line, original);
    }
}

TEST(CheckChar, PropertyAddThenStripGivesTheLineBack)
{
    std::mt19937 random(4721);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(2, 300);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += static_cast<char>(byte(random));
        std::string line = text;
        AddCheckChar(line);
        const int check = static_cast<unsigned char>(line.back());
        ASSERT_GE(check, 32);
        ASSERT_LE(check, 159);

        std::string stripped = line;
        ASSERT_TRUE(StripCheckChar(stripped));
        ASSERT_EQ(stripped, text);

        // One byte changed by anything other than a multiple of 128 is caught.
        std::string damaged = line;
        const auto at = static_cast<std::size_t>(random() % damaged.size());
        damaged[at] = static_cast<char>(static_cast<unsigned char>(damaged[at]) + 1 + random() % 127);
        ASSERT_FALSE(StripCheckChar(damaged));
    }
}

TEST(MatchPattern, WorkedExamplesAndEdges)
{
    struct Case { std::string s; std::string patterns; int expected; };
    const Case cases[] = {
        {"VILO CORVALINDER VER 2004", "VILO CORVALINDER;", 1},
        {"vilo Corvalinder ver 2003", "VILO CORVALINDER;", 1},
        {"VILO CORVALINDE", "VILO CORVALINDER;", 0},
        {"VILO  CORVALINDER", "VILO CORVALINDER;", 0},
        {"12:34", "12:3#;AB@;", 1},
        {"12:3 x", "12:3#;AB@;", 1},
        {"abX", "12:3#;AB@;", 2},
        {"12:3x", "12:3#;AB@;", 0},
        {"AB", "12:3#;AB@;", 0},
        {"anything", "", 0},
        {"abc", "abc", 0},
        {"", ";", 1},
        {"xyz", ";abc;", 1},
        {"abc", "x;y;z;ABC;", 4},
        // Case folding is for ASCII letters only: "å" and "Å" differ.
        {bytes({0xE5}), bytes({0xC5, ';'}), 0},
        {bytes({0xE5, 'x'}), bytes({0xE5, 'X', ';'}), 1},
        {bytes({0xE5}), "@;", 1},
        // Letters are matched by letter, not by a loose bit mask.
        {"@", "`;", 0},
        {"[", "{;", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.s + "\" against \"" + c.patterns + "\"");
        EXPECT_EQ(MatchPattern(c.s, c.patterns), c.expected);
    }
}

TEST(NextField, WalksThroughTheFields)
{
    struct Step { char delim; std::string field; int pos; };
    struct Case { std::string s; int start; std::vector<Step> steps; };
    const Case cases[] = {
        {"Tuta=1;", 1, {{'=', "Tuta", 6}, {';', "1", 8}, {';', "", 8}}},
        {"a;", 1, {{';', "a", 3}, {';', "", 3}}},
        {";b", 1, {{';', "", 2}, {';', "b", 4}, {';', "", 4}}},
        {"abc", 1, {{';', "abc", 5}}},
        {"abc", 3, {{';', "c", 5}}},
        {"abc", 4, {{';', "", 4}}},
        {"", 1, {{';', "", 1}}},
        {"a;b", 0, {{';', "a", 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s + " from " + std::to_string(c.start));
        int pos = c.start;
        for (const Step& step : c.steps) {
            EXPECT_EQ(NextField(c.s, pos, step.delim), step.field);
            EXPECT_EQ(pos, step.pos);
        }
    }
}

TEST(GetField, PicksTheNthField)
{
    struct Case { std::string s; int n; std::string expected; };
    const Case cases[] = {
        {"12;13:05:00;x", 1, "12"},
        {"12;13:05:00;x", 2, "13:05:00"},
        {"12;13:05:00;x", 3, "x"},
        {"12;13:05:00;x", 4, ""},
        {"a;;c", 2, ""},
        {"a;;c", 3, "c"},
        {"a;b;", 3, ""},
        {"a;b", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s + " field " + std::to_string(c.n));
        EXPECT_EQ(GetField(c.s, c.n, ';'), c.expected);
    }
}

TEST(Hex, DigitsTextsAndBytes)
{
    struct Digit { char ch; int value; };
    for (const Digit& d : {Digit{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'G', 16}, {'a', 42}, {' ', -16}})
        EXPECT_EQ(HexDigitValue(d.ch), d.value) << d.ch;
    EXPECT_EQ(HexDigitValue(static_cast<char>(0xC4)), 0xC4 - 55);

    struct Text { std::string s; int32_t value; };
    const Text texts[] = {
        {"1F", 31}, {"1f", 31}, {"FF", 255}, {"", 0}, {"G", 16}, {"7FFFFFFF", 0x7FFFFFFF},
        {"FFFFFFFF", -1}, {"100000000", 0}, {"123456789ABCDEF0", static_cast<int32_t>(0x9ABCDEF0)},
    };
    for (const Text& t : texts)
        EXPECT_EQ(HexToInt(t.s), t.value) << t.s;

    struct Byte { unsigned b; const char* hex; };
    for (const Byte& b : {Byte{0, "00"}, {10, "0A"}, {255, "FF"}, {300, "2C"}, {0x1234, "34"}})
        EXPECT_EQ(ByteToHex(b.b), b.hex) << b.b;
    for (unsigned b = 0; b < 256; ++b)
        ASSERT_EQ(HexToInt(ByteToHex(b)), static_cast<int32_t>(b));
}

} // namespace
