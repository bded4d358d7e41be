// The lamp's built-in pictures and the transparency rule of every picture.
#include <gtest/gtest.h>

#include <QColor>

#include <functional>
#include <set>

#include "serial/ComLedGlyphs.h"

using namespace serial;

namespace {

// Mean lightness of the opaque pixels.
double MeanLightness(const QImage& shown)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (qAlpha(shown.pixel(x, y)) == 255)
                sum += QColor(shown.pixel(x, y)).lightnessF(), ++count;
    return count ? sum / count : 0;
}

TEST(ComLedGlyphs, TwelveDistinctLampsLitInTheirColourOnATransparentBackground)
{
    struct Kind {
        TLedKind kind;
        const char* on;
        const char* off;
        std::function<bool(int r, int g, int b)> litHue;
    };
    const Kind kinds[] = {
        {TLedKind::lkRedLight, "LEDREDON", "LEDREDOFF", [](int r, int g, int b) { return r > 2 * std::max(g, b); }},
        {TLedKind::lkGreenLight, "LEDGREENON", "LEDGREENOFF", [](int r, int g, int b) { return g > 2 * std::max(r, b); }},
        {TLedKind::lkBlueLight, "LEDBLUEON", "LEDBLUEOFF", [](int r, int g, int b) { return b > 2 * std::max(r, g); }},
        {TLedKind::lkYellowLight, "LEDYELLOWON", "LEDYELLOWOFF", [](int r, int g, int b) { return std::min(r, g) > 2 * b; }},
        {TLedKind::lkPurpleLight, "LEDPURPLEON", "LEDPURPLEOFF", [](int r, int g, int b) { return std::min(r, b) > 2 * g; }},
        {TLedKind::lkBulb, "LEDBULBON", "LEDBULBOFF", [](int r, int g, int b) { return std::min(r, g) > b + 60; }},
    };
    std::set<QByteArray> distinct;
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.on);
        EXPECT_STREQ(LedGlyphName(k.kind, TLedState::lsOn), k.on);
        EXPECT_STREQ(LedGlyphName(k.kind, TLedState::lsOff), k.off);
        for (const char* name : {k.on, k.off}) {
            const QImage picture = LedGlyph(name);
            ASSERT_EQ(picture.size(), QSize(15, 15));
            EXPECT_LE(picture.colorCount(), 16);
            const QImage shown = TransparentLedImage(picture);
            for (QPoint corner : {QPoint(0, 0), QPoint(14, 0), QPoint(0, 14), QPoint(14, 14)})
                EXPECT_EQ(qAlpha(shown.pixel(corner)), 0);
            EXPECT_EQ(qAlpha(shown.pixel(7, 5)), 255);
            distinct.insert(QByteArray(reinterpret_cast<const char*>(shown.constBits()), shown.sizeInBytes()));
        }
        const QImage on = TransparentLedImage(LedGlyph(k.on));
        const QColor middle = on.pixelColor(8, 8);
        EXPECT_TRUE(k.litHue(middle.red(), middle.green(), middle.blue()));
        EXPECT_GT(MeanLightness(on), MeanLightness(TransparentLedImage(LedGlyph(k.off))) + 0.1);
    }
    EXPECT_EQ(distinct.size(), 12u);
    EXPECT_EQ(LedGlyphName(TLedKind::lkCustom, TLedState::lsOn), nullptr);
    EXPECT_TRUE(LedGlyph("ledredon").isNull());
}

TEST(ComLedGlyphs, TheBottomLeftColourIsTransparentWhereverItIs)
{
    const QRgb key = qRgb(10, 20, 30), other = qRgb(200, 0, 0);
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(other);
    picture.setPixel(0, 1, key);
    picture.setPixel(2, 0, key);
    const QImage shown = TransparentLedImage(picture);
    EXPECT_EQ(qAlpha(shown.pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 0);
    EXPECT_EQ(shown.pixel(1, 0), other);
    EXPECT_TRUE(TransparentLedImage(QImage()).isNull());
}

} // namespace
