#include "serial/controls/ComLedGlyphs.h"

#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace serial {
namespace {

constexpr int kSize = kLedGlyphSize;
// The transparent background; no picture uses it anywhere else.
constexpr QRgb kBackground = qRgb(0, 128, 128);

QRgb mix(QRgb a, QRgb b, double towardB)
{
    auto channel = [towardB](int x, int y) { return int(std::lround(x + (y - x) * towardB)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

QRgb lighter(QRgb c, double by) { return mix(c, qRgb(255, 255, 255), by); }
QRgb darker(QRgb c, double by) { return mix(c, qRgb(0, 0, 0), by); }

double distance(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

// An indexed picture: `palette[0]` is the background; `pixel` gives each
// pixel's palette index.
QImage draw(const std::vector<QRgb>& palette, const std::function<int(int x, int y)>& pixel)
{
    QImage image(kSize, kSize, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            image.setPixel(x, y, uint(pixel(x, y)));
    return image;
}

// A round lamp in a grey bezel, lit from the upper left.
QImage drawLight(QRgb colour, bool lit)
{
    enum { Back, BezelLight, BezelMid, BezelDark, Gloss, Body1, Body2, Body3 };
    const std::vector<QRgb> palette = lit
        ? std::vector<QRgb>{kBackground, qRgb(224, 224, 224), qRgb(150, 150, 150), qRgb(72, 72, 72),
                            lighter(colour, 0.8), lighter(colour, 0.3), colour, darker(colour, 0.3)}
        : std::vector<QRgb>{kBackground, qRgb(224, 224, 224), qRgb(150, 150, 150), qRgb(72, 72, 72),
                            lighter(darker(colour, 0.55), 0.3), darker(colour, 0.55), darker(colour, 0.65),
                            darker(colour, 0.78)};
    return draw(palette, [](int x, int y) {
        const double d = distance(x, y, 7, 7);
        if (d > 7.3)
            return int(Back);
        if (d > 5.8) {
            const int slope = (x - 7) + (y - 7);
            return slope < -2 ? int(BezelLight) : slope > 2 ? int(BezelDark) : int(BezelMid);
        }
        const double e = distance(x, y, 4.5, 4.5);
        return e < 1.3 ? int(Gloss) : e < 3.2 ? int(Body1) : e < 5.6 ? int(Body2) : int(Body3);
    });
}

// A light bulb: a glass globe with its filament over a screw base.
QImage drawBulb(bool lit)
{
    enum { Back, Outline, Gloss, Glass1, Glass2, Filament, MetalLight, MetalDark, Tip };
    const std::vector<QRgb> palette = lit
        ? std::vector<QRgb>{kBackground, qRgb(200, 160, 0), qRgb(255, 255, 240), qRgb(255, 255, 150),
                            qRgb(255, 235, 90), qRgb(255, 96, 0), qRgb(200, 200, 200), qRgb(120, 120, 120),
                            qRgb(40, 40, 40)}
        : std::vector<QRgb>{kBackground, qRgb(72, 72, 72), qRgb(200, 200, 200), qRgb(150, 150, 150),
                            qRgb(125, 125, 125), qRgb(60, 60, 60), qRgb(200, 200, 200), qRgb(120, 120, 120),
                            qRgb(40, 40, 40)};
    return draw(palette, [](int x, int y) {
        if (y <= 10) {
            const double d = distance(x, y, 7, 5.2);
            const bool neck = y >= 9 && x >= 5 && x <= 9;
            if (d > 5.6 && !neck)
                return int(Back);
            if (d > 4.7 && !neck)
                return int(Outline);
            if (neck && (x == 5 || x == 9))
                return int(Outline);
            if ((y == 6 && x >= 6 && x <= 8) || ((x == 6 || x == 8) && (y == 7 || y == 8)))
                return int(Filament);
            const double e = distance(x, y, 5, 3);
            return e < 1.5 ? int(Gloss) : e < 3.5 ? int(Glass1) : int(Glass2);
        }
        if (y == 14)
            return x >= 6 && x <= 8 ? int(Tip) : int(Back);
        if (x < 5 || x > 9)
            return int(Back);
        return y % 2 == 1 ? int(MetalLight) : int(MetalDark);
    });
}

struct Glyph {
    const char* on;
    const char* off;
    QRgb colour;  // unused for the bulb
};

// By kind, lkRedLight .. lkBulb.
constexpr std::array<Glyph, 6> kGlyphs = {{
    {"LEDREDON", "LEDREDOFF", qRgb(255, 0, 0)},
    {"LEDGREENON", "LEDGREENOFF", qRgb(0, 224, 0)},
    {"LEDBLUEON", "LEDBLUEOFF", qRgb(0, 80, 255)},
    {"LEDYELLOWON", "LEDYELLOWOFF", qRgb(255, 230, 0)},
    {"LEDPURPLEON", "LEDPURPLEOFF", qRgb(200, 0, 220)},
    {"LEDBULBON", "LEDBULBOFF", 0},
}};

} // namespace

const char* ledGlyphName(TLedKind kind, TLedState state)
{
    if (kind == TLedKind::lkCustom)
        return nullptr;
    const Glyph& g = kGlyphs[ord(kind)];
    return state == TLedState::lsOn ? g.on : g.off;
}

QImage ledGlyph(std::string_view name)
{
    for (std::size_t kind = 0; kind < kGlyphs.size(); ++kind) {
        const Glyph& g = kGlyphs[kind];
        const bool on = name == g.on;
        if (!on && name != g.off)
            continue;
        if (TLedKind(kind) == TLedKind::lkBulb)
            return drawBulb(on);
        return drawLight(g.colour, on);
    }
    return {};
}

QImage transparentLedImage(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

} // namespace serial
