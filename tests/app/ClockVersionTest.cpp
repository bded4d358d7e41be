// The firmware version in the clock's identification line.
#include <gtest/gtest.h>

#include "app/ClockVersion.h"

namespace {

TEST(ClockVersion, ReadsTheFourCharactersOnePlaceAfterVer)
{
    struct Case { const char* text; int version; };
    const Case cases[] = {
        {"VILO CORVALINDER VER 2003", 2003},
        {"VILO CORVALINDER VER 2004", 2004},
        {"vilo corvalinder ver 2004", 2004},
        {"VILO CORVALINDER VER:2005 build 7", 2005},
        {"VILO CORVALINDER VER2004", 4},      // the "2" is the skipped character
        {"VILO CORVALINDER VER $7D5", 2005},  // hexadecimal after "$"
        {"VILO CORVALINDER VER 20", 20},      // fewer than four characters left
        {"VILO CORVALINDER VER", 0},          // nothing after "VER"
        {"VILO CORVALINDER", 0},              // no "VER": characters 4 to 7, "O CO"
        {"REVERSE 1999", 0},                  // the first "VER" counts: "E 19"
        {"ABC2010xyz", 2010},                 // no "VER": characters 4 to 7
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::clockFirmwareVersion(c.text), c.version) << c.text;
}

TEST(ClockVersion, IdentificationLineAndCommandSet)
{
    EXPECT_TRUE(app::isIdentificationLine("VILO CORVALINDER VER 2004"));
    EXPECT_TRUE(app::isIdentificationLine("vilo Corvalinder"));
    EXPECT_FALSE(app::isIdentificationLine("VILO CORVALINDE"));
    EXPECT_FALSE(app::isIdentificationLine(" VILO CORVALINDER"));
    EXPECT_TRUE(app::takesOldCommandSet(2003));
    EXPECT_TRUE(app::takesOldCommandSet(0));
    EXPECT_FALSE(app::takesOldCommandSet(2004));
}

} // namespace
