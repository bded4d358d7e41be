// Text routines: times as the operator types and imports them and as the
// grids and files show them, and the test for the clock's identification.
#include <gtest/gtest.h>

#include <QByteArray>

#include <climits>

#include "timevalues/TextRut.h"
#include "timevalues/TidEditMask.h"
#include "timevalues/TidRut.h"

using namespace timevalues;

namespace {

// Display masks (the grids' and files'; the time entries' are tested there):
// a negative time puts its sign before the first digit shown, beyond a day
// either way the digits are blank, and a mask whose first run holds three or
// more placeholders shows the value right-aligned in ten-thousandths (a zero
// under a "+" mask shows the sign alone).
TEST(FormatTid, DisplayMasks)
{
    const std::tuple<TTid, const char*, const char*> cases[] = {
        {53000, "##.$$", "   05"}, {3300000, "##.#$.$$", "    5.30"}, {39300000, "##.$$", "05.30"},
        {-300000, "$$.$$.$$", "00.0-.30"}, {-300000, "##.$$", "  -30"}, {-300000, "##.#$.$$", "    -.30"},
        {-3300000, "##.$$", "-5.30"}, {-3300000, "$$:$$", "-5:30"}, {-39300000, "##.#$.$$", "-1.05.30"},
        {-39300000, "##.$$", "05.30"}, {-864000001, "##.#$.$$", "    0.00"}, {INT_MIN, "$$.$$.$$", "00.00.00"},
        {INT_MAX, "##.$$", "   00"}, {39300000, "$$$.$$", "039.30"}, {39300000, "$$$$$$$$$$$$$$", "00000000003930"},
        {0, "+#,####", "     + "}, {123456789, "$$:$$:$$.@@@@", "03:25:45.6789"},
        {5, "$$:$$:$$.@@@@", "00:00:00.5   "},
    };
    for (const auto& [value, mask, text] : cases)
        EXPECT_EQ(std::tuple(FormatTid(value, mask, 'V'), FormatTid(value, mask, ' ')), std::tuple(text, text)) << mask;
    EXPECT_EQ(std::tuple(FormatTid(3300000, "##.#$.$$", 'T'), FormatTid(0, "##.#$.$$", 'E'), FormatTid(5, "$$", 'X'),
                         FormatTid(5, "", 'V'), FormatTid(5, "$$:$$:$$.@@@@", 'E')),
              std::tuple("  \x1F 5.30", "  . 0.00", "", "", "00:00:00.5"));
}

// Typed and imported times; only four fraction digits count; a character
// outside ASCII or a stray byte is one "0"; fields beyond 32 bits saturate.
TEST(StrToTid, ReadsTimes)
{
    const std::tuple<const char*, int, TTid> cases[] = {
        {"10:00:00", 0, 360000000}, {"12:30", 0, 7500000}, {"12.30", 0, 7500000}, {"1.05.30", 0, 39300000},
        {"5,3", 0, 53000}, {"5.3", 0, 3030000}, {"12:30.5", 0, 7505000}, {"10:00:00,5", 0, 360005000},
        {"10:00:00.25", 0, 360002500}, {"10:00:00.25", 1, 360002000}, {"10:00:00.25", 2, 360002500},
        {"10:00:00.2567", 3, 360002560}, {"10:00:00.2567", 4, 360002567}, {"10:00:00.2567", -1, 360002567},
        {"1.05,3", 0, 653000}, {"90", 0, 900000}, {"", 0, 0}, {" 9:05", 0, 5450000}, {"-5", 0, 50000}, {"abc", 0, 0},
        {"1:2:3:4,5", 0, 37845000}, {"1,2,3", 0, 13000}, {"1,5.30", 0, 900000}, {"10:00:00,123456", 0, 360001234},
        {"0,99999999999999999999", 0, 9999}, {"1\xD9\xA3:00", 0, 6000000}, {"1\xC3\xA9" "2", 0, 1020000},
        {"1\xE9" "2", 0, 1020000}, {"\xFF\xFF" "5", 0, 50000}, {"99999999999999999999", 0, INT_MAX},
        {"99999999999999999999:00:00", 0, INT_MAX}, {"1:99999999999999999999:00,5", 0, INT_MAX},
        {"596:00:00", 0, INT_MAX}, {"214748,3648", 0, INT_MAX}, {"214748,3647", 0, INT_MAX},
        {"214748,3646", 0, INT_MAX - 1}, {"99999999999999999999", 1, INT_MAX - INT_MAX % 1000},
    };
    for (const auto& [text, decimals, expected] : cases)
        EXPECT_EQ(StrToTid(text, decimals), expected) << "\"" << text << "\" decimals " << decimals;
}

// The clock's numbers: seconds of five digits, zeros in front, with up to
// four decimals; two hex digits in either case.
TEST(TidToSecStr, FiveDigitsOfSecondsAndDecimals)
{
    const std::tuple<TTid, int, std::string> cases[] = {
        {50000, 0, "00005"}, {360000000, 0, "36000"}, {51234, 2, "00005.12"}, {51234, 9, "00005.1234"}, {0, 0, "00000"},
    };
    for (const auto& [value, decimals, text] : cases)
        EXPECT_EQ(TidToSecStr(value, decimals), text) << value;
    EXPECT_EQ(std::tuple(HexToInt("1F"), HexToInt("a0"), FillStr(2, 'x'), BlankStr(1)), std::tuple(31, 160, "xx", " "));
}

// The time entry's edit mask gives the time picture and mode it is written by
// and the Qt input mask it is typed by ("\\" escapes, "<>" ends the case
// conversion, "_" is a blank; an empty blank field keeps "_"). Expected:
// picture, mode, a blank and the input mask.
TEST(TidEditMask, PictureAndInputMask)
{
    const std::pair<QString, std::string> cases[] = {
        {"!99.99;1;_", "#$.$$V 00.00;_"}, {"!99,99:99", "##,$$:$$E 00,00:00;_"}, {"!00;1;", "$$V 99;_"},
        {"9\\", "#E 0;_"}, {"9<", "#E 0<;_"}, {"", "E "}, {"\\;<>Ll<Aa>Cc#_xH;0;*", "E \\;!Aa<Nn>Xx# \\x\\H;*"},
    };
    for (const auto& [edit, expected] : cases)
        EXPECT_EQ(tidmask::pictureOf(edit).mask + tidmask::pictureOf(edit).mode + ' '
                      + tidmask::toQtInputMask(edit).toStdString(), expected);
}

// Numbered alternatives each ended by ";": "#" a digit or blank, "@" any
// byte, ASCII letters in either case (by letter, not by bit mask); the count
// does not wrap past 65535 alternatives.
TEST(MatchPattern, WorkedExamplesAndEdges)
{
    const std::string many = QByteArray("x;").repeated(65536).toStdString();
    const std::tuple<std::string, std::string, int> cases[] = {
        {"VILO CORVALINDER VER 2004", "VILO CORVALINDER;", 1}, {"vilo Corvalinder ver 2003", "VILO CORVALINDER;", 1},
        {"VILO CORVALINDE", "VILO CORVALINDER;", 0}, {"VILO  CORVALINDER", "VILO CORVALINDER;", 0},
        {"12:34", "12:3#;AB@;", 1}, {"12:3 x", "12:3#;AB@;", 1}, {"abX", "12:3#;AB@;", 2}, {"12:3x", "12:3#;AB@;", 0},
        {"AB", "12:3#;AB@;", 0}, {"anything", "", 0}, {"abc", "abc", 0}, {"", ";", 1}, {"xyz", ";abc;", 1},
        {"abc", "x;y;z;ABC;", 4}, {"\xE5", "\xC5;", 0}, {"\xE5x", "\xE5X;", 1}, {"\xE5", "@;", 1}, {"@", "`;", 0},
        {"[", "{;", 0}, {"a", many + "a;", 0},
    };
    for (const auto& [s, patterns, expected] : cases)
        EXPECT_EQ(MatchPattern(s, patterns), expected) << s << " against " << patterns.substr(0, 30);
}

} // namespace
