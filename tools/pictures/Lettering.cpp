#include "Lettering.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

QRgb Gradient::at(int windowX) const {
    const double t = std::clamp(windowX / static_cast<double>(windowWidth - 1), 0.0, 1.0);
    const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return qRgb(mix(left.red(), right.red()), mix(left.green(), right.green()), mix(left.blue(), right.blue()));
}

QImage NewCoverage(int width, int height) {
    QImage coverage(width, height, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    return coverage;
}

Typeface TypefaceWithCapHeight(const QString& family, bool bold, double capHeight) {
    // Outlines are taken from a 100-pixel font and scaled: QFont knows whole pixel sizes only.
    QFont font(family);
    font.setPixelSize(100);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setKerning(true);
    return {font, capHeight / QFontMetricsF(font).capHeight()};
}

namespace {

QPainterPath textPath(const QString& text, const Typeface& typeface, double spacing) {
    // Letter spacing counts in the 100-pixel font's pixels.
    QFont font = typeface.font;
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing / typeface.scale);
    QPainterPath path;
    path.addText(0, 0, font, text);
    return QTransform::fromScale(typeface.scale, typeface.scale).map(path);
}

void fill(QImage& coverage, const QPainterPath& path) {
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(path, Qt::white);
}

}  // namespace

void DrawFitted(QImage& coverage, const QString& text, const Typeface& typeface, double baseline, double x0,
                double x1, double maxSpacing) {
    const double wanted = x1 - x0;
    QPainterPath path = textPath(text, typeface, 0);
    const double natural = path.boundingRect().width();
    const int gaps = std::max(1, static_cast<int>(text.size()) - 1);
    const double spacing = std::clamp((wanted - natural) / gaps, 0.0, maxSpacing);
    if (spacing > 0) path = textPath(text, typeface, spacing);
    const QRectF ink = path.boundingRect();
    QTransform place;
    place.translate(x0, baseline);
    place.scale(wanted / ink.width(), 1.0);
    place.translate(-ink.left(), 0);
    fill(coverage, place.map(path));
}

double DrawNatural(QImage& coverage, const QString& text, const Typeface& typeface, double baseline, double x0,
                   double spacing) {
    const QPainterPath path = textPath(text, typeface, spacing);
    const QRectF ink = path.boundingRect();
    fill(coverage, QTransform::fromTranslate(x0 - ink.left(), baseline).map(path));
    return x0 + ink.width();
}

void DrawPolygon(QImage& coverage, const QPolygonF& polygon) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    fill(coverage, path);
}

void DrawBar(QImage& coverage, int row, int rows) {
    QPainter painter(&coverage);
    painter.fillRect(QRect(0, row, coverage.width(), rows), Qt::white);
}

QImage Colourise(const QImage& coverage, const Gradient& gradient, int pictureLeft) {
    QImage picture(coverage.size(), QImage::Format_RGB32);
    for (int y = 0; y < coverage.height(); ++y) {
        for (int x = 0; x < coverage.width(); ++x) {
            const int a = qAlpha(coverage.pixel(x, y));
            const QRgb c = gradient.at(pictureLeft + x);
            const auto weigh = [a](int v) { return (v * a + 127) / 255; };
            picture.setPixel(x, y, qRgb(weigh(qRed(c)), weigh(qGreen(c)), weigh(qBlue(c))));
        }
    }
    return picture;
}
