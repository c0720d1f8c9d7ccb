// Writes the forms' picture files byte by byte, so their depth and palette are exactly what
// the forms expect: 24-bit and 8-bit (256-entry palette) device-independent bitmaps, and a
// 32 × 32, 16-colour icon with its transparency mask.
#pragma once

#include <QImage>
#include <QString>

// 24 bits per pixel; the alpha channel is ignored.
void WriteBmp24(const QImage& image, const QString& path);

// 8 bits per pixel with a palette of 256 entries. Entry 0 is black, and exactly the black pixels
// use it, so a picture's black ground stays the colour its transparency skips. Up to 255 other
// colours are kept exactly; more are reduced by median cut.
void WriteBmp8(const QImage& image, const QString& path);

// The standard 16-colour palette (4 bits per pixel): black, maroon, green, olive, navy,
// purple, teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white.
const QRgb* StandardPalette16();

// A 32 × 32 icon, 4 bits per pixel with the standard palette, each pixel the nearest palette
// colour; pixels that are clear (alpha 0) in `opaque` are transparent (mask bit set, colour
// black).
void WriteIcon16(const QImage& image, const QImage& opaque, const QString& path);
