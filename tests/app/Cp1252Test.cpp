// Windows-1252 decoding and encoding of 8-bit texts.
#include <gtest/gtest.h>

#include "app/Cp1252.h"

namespace {

TEST(Cp1252, DecodesEveryByteToOneCharacter)
{
    struct Case { std::string bytes; QString text; };
    const Case cases[] = {
        {"VER\x93", QString::fromUtf16(u"VER\u201C")},
        {"\x80\x8A\x9F", QString::fromUtf16(u"\u20AC\u0160\u0178")},
        {"K\xC4LLA \xE5\xE4\xF6", QString::fromUtf16(u"K\u00C4LLA \u00E5\u00E4\u00F6")},
        {"\x81\x8D\x8F\x90\x9D", QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D")},  // undefined: kept as C1
        {std::string("\x06\x00\x7F", 3), QString::fromUtf16(u"\u0006") + QChar(0) + QChar(0x7F)},
        {"\xC3\xA5", QString::fromUtf16(u"\u00C3\u00A5")},  // never read as UTF-8
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::fromCp1252(c.bytes), c.text) << c.bytes;
}

TEST(Cp1252, EncodesBackAndMarksWhatItCannotHold)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(app::toCp1252(app::fromCp1252(all)), all);
    EXPECT_EQ(app::toCp1252(QString::fromUtf16(u"\u0100\u4E2D")), "??");
    EXPECT_EQ(app::toCp1252(QString::fromUtf8("a\xF0\x9F\x98\x80z")), "a?z");  // one character outside the BMP
}

} // namespace
