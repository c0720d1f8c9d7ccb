#include "Projector.h"

#include <QPainter>

#include <cmath>
#include <string_view>
#include <vector>

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kGrey = qRgb(128, 128, 128);

bool inside(double cx, double cy, double r, int x, int y) {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    return dx * dx + dy * dy <= r * r;
}

// A film reel: a white disc with a silver rim, three round holes and the hub.
void drawReel(QImage& icon, double cx, double cy, double r) {
    constexpr double kPi = 3.14159265358979;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (!inside(cx, cy, r, x, y)) continue;
            QRgb c = inside(cx, cy, r - 1.0, x, y) ? kWhite : kSilver;
            for (int k = 0; k < 3; ++k) {
                const double a = -kPi / 2 + k * 2 * kPi / 3;
                if (inside(cx + std::cos(a) * r * 0.52, cy + std::sin(a) * r * 0.52, r * 0.26, x, y)) c = kBlack;
            }
            if (inside(cx, cy, 1.6, x, y)) c = kGrey;
            if (inside(cx, cy, 0.8, x, y)) c = kBlack;
            icon.setPixel(x, y, c);
        }
    }
}

// Letters five rows high; '#' is ink. Lower-case letters take the bottom four rows.
struct Glyph {
    char letter;
    std::vector<std::string_view> rows;
};

const std::vector<Glyph>& glyphs() {
    static const std::vector<Glyph> all{
        {'z', {"...", "###", "..#", ".#.", "###"}},
        {'u', {"...", "#.#", "#.#", "#.#", "###"}},
        {'K', {"#..#", "#.#.", "##..", "#.#.", "#..#"}},
        {'I', {"###", ".#.", ".#.", ".#.", "###"}},
        {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
        {'E', {"###", "#..", "##.", "#..", "###"}},
        {'O', {".##.", "#..#", "#..#", "#..#", ".##."}},
    };
    return all;
}

void drawWord(QImage& icon, std::string_view word, int top) {
    int width = -1;
    for (char letter : word)
        for (const Glyph& g : glyphs())
            if (g.letter == letter) width += static_cast<int>(g.rows[0].size()) + 1;
    int x = (icon.width() - width) / 2;
    for (char letter : word) {
        for (const Glyph& g : glyphs()) {
            if (g.letter != letter) continue;
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < static_cast<int>(g.rows[row].size()); ++col)
                    if (g.rows[row][col] == '#') icon.setPixel(x + col, top + row, kWhite);
            x += static_cast<int>(g.rows[0].size()) + 1;
        }
    }
}

void fillRect(QImage& icon, int x0, int y0, int x1, int y1, QRgb c) {  // inclusive corners
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) icon.setPixel(x, y, c);
}

}  // namespace

QImage DrawProjectorIcon() {
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(kBlack);
    // The body, seen from the side, with its lamp-house vents.
    fillRect(icon, 3, 13, 24, 21, kWhite);
    fillRect(icon, 3, 21, 24, 21, kSilver);
    for (int y : {15, 17, 19}) fillRect(icon, 6, y, 12, y, kGrey);
    // The lens: a barrel and its front ring, pointing right.
    fillRect(icon, 25, 15, 28, 19, kSilver);
    fillRect(icon, 29, 14, 30, 20, kWhite);
    // Two feet.
    fillRect(icon, 5, 22, 7, 22, kSilver);
    fillRect(icon, 20, 22, 22, 22, kSilver);
    // The feed reel and the take-up reel on top.
    drawReel(icon, 9.0, 7.0, 6.6);
    drawReel(icon, 21.5, 8.5, 5.0);
    drawWord(icon, "zuKINEO", 25);
    return icon;
}

QImage ProjectorIconMask(const QImage& icon) {
    QImage mask(icon.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            if ((icon.pixel(x, y) & 0xFFFFFF) == 0) continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (mask.rect().contains(x + dx, y + dy)) mask.setPixel(x + dx, y + dy, 0xFF000000u);
        }
    return mask;
}
