// The lamp's built-in pictures: names, size and colours, the transparent
// background, lit against unlit, and the transparency rule for any picture.
#include <gtest/gtest.h>

#include <QColor>

#include <functional>
#include <set>
#include <string>

#include "serial/ComLedGlyphs.h"

using namespace serial;

namespace {

// Mean lightness of the pixels that are not transparent.
double MeanLightness(const QImage& transparent)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < transparent.height(); ++y)
        for (int x = 0; x < transparent.width(); ++x)
            if (qAlpha(transparent.pixel(x, y)) == 255) {
                sum += QColor(transparent.pixel(x, y)).lightnessF();
                ++count;
            }
    return count ? sum / count : 0;
}

int OpaqueCount(const QImage& transparent)
{
    int count = 0;
    for (int y = 0; y < transparent.height(); ++y)
        for (int x = 0; x < transparent.width(); ++x)
            count += qAlpha(transparent.pixel(x, y)) == 255;
    return count;
}

struct KindCase {
    TLedKind kind;
    const char* on;
    const char* off;
    // True when a lit colour has the kind's hue.
    std::function<bool(QRgb)> hue;
};

const KindCase kKinds[] = {
    {TLedKind::lkRedLight, "LEDREDON", "LEDREDOFF", [](QRgb c) { return qRed(c) > 2 * std::max(qGreen(c), qBlue(c)); }},
    {TLedKind::lkGreenLight, "LEDGREENON", "LEDGREENOFF", [](QRgb c) { return qGreen(c) > 2 * std::max(qRed(c), qBlue(c)); }},
    {TLedKind::lkBlueLight, "LEDBLUEON", "LEDBLUEOFF", [](QRgb c) { return qBlue(c) > 2 * std::max(qRed(c), qGreen(c)); }},
    {TLedKind::lkYellowLight, "LEDYELLOWON", "LEDYELLOWOFF", [](QRgb c) { return std::min(qRed(c), qGreen(c)) > 2 * qBlue(c); }},
    {TLedKind::lkPurpleLight, "LEDPURPLEON", "LEDPURPLEOFF", [](QRgb c) { return std::min(qRed(c), qBlue(c)) > 2 * qGreen(c); }},
    {TLedKind::lkBulb, "LEDBULBON", "LEDBULBOFF", [](QRgb c) { return std::min(qRed(c), qGreen(c)) > qBlue(c) + 60; }},
};

TEST(ComLedGlyphs, NamesByKindAndState)
{
    for (const KindCase& k : kKinds) {
        EXPECT_STREQ(LedGlyphName(k.kind, TLedState::lsOn), k.on);
        EXPECT_STREQ(LedGlyphName(k.kind, TLedState::lsOff), k.off);
    }
    EXPECT_EQ(LedGlyphName(TLedKind::lkCustom, TLedState::lsOn), nullptr);
    EXPECT_TRUE(LedGlyph("LEDORANGEON").isNull());
    EXPECT_TRUE(LedGlyph("ledredon").isNull());
    EXPECT_TRUE(LedGlyph("").isNull());
}

TEST(ComLedGlyphs, EveryPictureIsA15By15LampOnATransparentBackground)
{
    for (const KindCase& k : kKinds)
        for (const char* name : {k.on, k.off}) {
            SCOPED_TRACE(name);
            const QImage picture = LedGlyph(name);
            ASSERT_EQ(picture.size(), QSize(15, 15));
            EXPECT_LE(picture.colorCount(), 16);
            const QImage shown = TransparentLedImage(picture);
            for (QPoint corner : {QPoint(0, 0), QPoint(14, 0), QPoint(0, 14), QPoint(14, 14)})
                EXPECT_EQ(qAlpha(shown.pixel(corner)), 0);
            EXPECT_EQ(qAlpha(shown.pixel(7, 5)), 255);  // the middle of lamp or globe
            EXPECT_GT(OpaqueCount(shown), 100);
        }
}

TEST(ComLedGlyphs, LitPicturesShowTheirColourAndOutshineTheUnlit)
{
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.on);
        const QImage on = TransparentLedImage(LedGlyph(k.on));
        const QImage off = TransparentLedImage(LedGlyph(k.off));
        EXPECT_TRUE(k.hue(on.pixel(8, 8)));
        EXPECT_GT(MeanLightness(on), MeanLightness(off) + 0.1);
    }
}

TEST(ComLedGlyphs, AllTwelvePicturesDiffer)
{
    std::set<std::string> seen;
    for (const KindCase& k : kKinds)
        for (const char* name : {k.on, k.off}) {
            const QImage picture = LedGlyph(name).convertToFormat(QImage::Format_RGB32);
            seen.insert(std::string(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
        }
    EXPECT_EQ(seen.size(), 12u);
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
    EXPECT_EQ(shown.pixel(1, 0), QColor(other).rgba());
    EXPECT_TRUE(TransparentLedImage(QImage()).isNull());
}

} // namespace
