// The lettering of the pictures: words drawn as coverage (how much of each pixel the ink
// covers) and coloured afterwards from a gradient that runs across the whole window, so that
// each picture carries the colours of its own place in the window.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPolygonF>
#include <QString>

// A horizontal gradient across a window's client area, from `left` at x 0 to `right` at the
// last column.
struct Gradient {
    QColor left;
    QColor right;
    int windowWidth;
    QRgb at(int windowX) const;
};

// An empty coverage canvas of the picture's size.
QImage NewCoverage(int width, int height);

// A font and the scale that makes its capital letters a given number of pixels high.
struct Typeface {
    QFont font;
    double scale;
};
Typeface TypefaceWithCapHeight(const QString& family, bool bold, double capHeight);

// Draws `text` with its baseline at `baseline` (the row below the letters' bottom), its ink
// running exactly from column x0 to column x1 (exclusive): up to `maxSpacing` pixels of
// letter spacing first, then a horizontal scale closes the difference.
void DrawFitted(QImage& coverage, const QString& text, const Typeface& typeface, double baseline, double x0,
                double x1, double maxSpacing = 1.0);

// Draws `text` at its natural width with its ink starting at column x0; returns the column
// after its ink.
double DrawNatural(QImage& coverage, const QString& text, const Typeface& typeface, double baseline, double x0,
                   double spacing = 0.0);

// A filled polygon (arrowheads), in picture coordinates.
void DrawPolygon(QImage& coverage, const QPolygonF& polygon);

// Rows [row, row + rows) covered completely, across the whole width.
void DrawBar(QImage& coverage, int row, int rows);

// The picture: black ground, each pixel the gradient's colour at its window column weighted
// by its coverage. `pictureLeft` is the picture's design Left in the window.
QImage Colourise(const QImage& coverage, const Gradient& gradient, int pictureLeft);
