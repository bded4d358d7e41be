#pragma once
// The signal lamp's built-in pictures: a lit and an unlit lamp in five colours
// and a light bulb, 15 x 15 pixels of at most 16 colours, drawn in code. Each
// is known by its name ("LEDREDON" .. "LEDBULBOFF").
//
// Every lamp picture is drawn transparently: the colour of its bottom-left
// pixel is the transparent colour. The built-in pictures keep that colour for
// their background only.
#include <QImage>

#include <string_view>

#include "serial/ComTypes.h"

namespace serial {

inline constexpr int kLedGlyphSize = 15;

// The name of the picture of `kind` in `state`; nullptr for lkCustom.
const char* ledGlyphName(TLedKind kind, TLedState state);
// The picture of that name (an indexed image); a null image for an unknown name.
QImage ledGlyph(std::string_view name);
// `picture` ready to draw: 32-bit with alpha, every pixel of the colour of
// the bottom-left pixel fully transparent. Null for a null picture.
QImage transparentLedImage(const QImage& picture);

} // namespace serial
