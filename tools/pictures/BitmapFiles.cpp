#include "BitmapFiles.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 pixels per inch

void put16(QByteArray& out, std::uint16_t v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((v >> shift) & 0xFF));
}

void putColour(QByteArray& out, QRgb c) {  // RGBQUAD: blue, green, red, reserved
    out.append(static_cast<char>(qBlue(c)));
    out.append(static_cast<char>(qGreen(c)));
    out.append(static_cast<char>(qRed(c)));
    out.append('\0');
}

// BITMAPINFOHEADER; `heightField` is twice the height for an icon's image (colour + mask).
void putInfoHeader(QByteArray& out, int width, int heightField, int bits, int colours, std::uint32_t imageSize) {
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(heightField));
    put16(out, 1);
    put16(out, static_cast<std::uint16_t>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, static_cast<std::uint32_t>(colours));
    put32(out, 0);
}

int stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

void writeBmpFile(const QString& path, int width, int height, int bits, const std::vector<QRgb>& palette,
                  const QByteArray& rows) {
    QByteArray out;
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    out.append("BM");
    put32(out, offset + static_cast<std::uint32_t>(rows.size()));
    put32(out, 0);
    put32(out, offset);
    putInfoHeader(out, width, height, bits, static_cast<int>(palette.size()), static_cast<std::uint32_t>(rows.size()));
    for (QRgb c : palette) putColour(out, c);
    out.append(rows);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QRgb opaque(QRgb c) { return qRgb(qRed(c), qGreen(c), qBlue(c)); }

// Median cut over the colours other than black, weighted by how many pixels use them.
struct Box {
    std::vector<std::pair<QRgb, int>> colours;
    int channelRange(int channel) const {
        int lo = 255, hi = 0;
        for (const auto& [c, n] : colours) {
            const int v = channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    }
};

std::vector<Box> medianCut(const std::map<QRgb, int>& histogram, std::size_t boxes) {
    std::vector<Box> result(1);
    result[0].colours.assign(histogram.begin(), histogram.end());
    while (result.size() < boxes) {
        // Split the box with the widest channel range that still holds two colours.
        int best = -1, bestRange = -1, bestChannel = 0;
        for (std::size_t i = 0; i < result.size(); ++i) {
            if (result[i].colours.size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch) {
                const int range = result[i].channelRange(ch);
                if (range > bestRange) {
                    bestRange = range;
                    best = static_cast<int>(i);
                    bestChannel = ch;
                }
            }
        }
        if (best < 0) break;
        auto& colours = result[static_cast<std::size_t>(best)].colours;
        const auto key = [bestChannel](const std::pair<QRgb, int>& e) {
            const QRgb c = e.first;
            return std::make_pair(bestChannel == 0 ? qRed(c) : bestChannel == 1 ? qGreen(c) : qBlue(c), c);
        };
        std::sort(colours.begin(), colours.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
        long total = 0;
        for (const auto& e : colours) total += e.second;
        long running = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < colours.size(); ++i) {
            running += colours[i].second;
            cut = i + 1;
            if (running * 2 >= total) break;
        }
        Box upper;
        upper.colours.assign(colours.begin() + static_cast<long>(cut), colours.end());
        colours.resize(cut);
        result.push_back(std::move(upper));
    }
    return result;
}

}  // namespace

void WriteBmp24(const QImage& source, const QString& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height(), bpl = stride(w, 24);
    QByteArray rows(bpl * h, '\0');
    for (int y = 0; y < h; ++y) {
        char* row = rows.data() + (h - 1 - y) * bpl;  // bottom-up
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            row[x * 3] = static_cast<char>(qBlue(c));
            row[x * 3 + 1] = static_cast<char>(qGreen(c));
            row[x * 3 + 2] = static_cast<char>(qRed(c));
        }
    }
    writeBmpFile(path, w, h, 24, {}, rows);
}

void WriteBmp8(const QImage& source, const QString& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height(), bpl = stride(w, 8);
    const QRgb black = qRgb(0, 0, 0);

    std::map<QRgb, int> histogram;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (const QRgb c = opaque(image.pixel(x, y)); c != black) ++histogram[c];

    std::vector<QRgb> palette{black};
    std::map<QRgb, int> indexOf{{black, 0}};
    if (!histogram.empty()) {
        for (const Box& box : medianCut(histogram, 255)) {
            double r = 0, g = 0, b = 0, n = 0;
            for (const auto& [c, count] : box.colours) {
                r += qRed(c) * count;
                g += qGreen(c) * count;
                b += qBlue(c) * count;
                n += count;
            }
            QRgb mean = qRgb(static_cast<int>(r / n + 0.5), static_cast<int>(g / n + 0.5), static_cast<int>(b / n + 0.5));
            if (mean == black) mean = qRgb(0, 0, 1);  // black is for the black ground only
            for (const auto& [c, count] : box.colours) indexOf[c] = static_cast<int>(palette.size());
            palette.push_back(mean);
        }
    }
    palette.resize(256, black);

    QByteArray rows(bpl * h, '\0');
    for (int y = 0; y < h; ++y) {
        char* row = rows.data() + (h - 1 - y) * bpl;
        for (int x = 0; x < w; ++x) row[x] = static_cast<char>(indexOf.at(opaque(image.pixel(x, y))));
    }
    writeBmpFile(path, w, h, 8, palette, rows);
}

const QRgb* StandardPalette16() {
    static const QRgb palette[16] = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return palette;
}

void WriteIcon16(const QImage& source, const QImage& opaqueMask, const QString& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    constexpr int size = 32;
    if (image.width() != size || image.height() != size || opaqueMask.size() != image.size())
        throw std::runtime_error("the icon is 32 x 32");
    const QRgb* palette = StandardPalette16();
    const auto nearest = [palette](QRgb c) {
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < 16; ++i) {
            const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                      db = qBlue(c) - qBlue(palette[i]);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return best;
    };

    const int colourStride = stride(size, 4), maskStride = stride(size, 1);
    QByteArray colour(colourStride * size, '\0'), mask(maskStride * size, '\0');
    for (int y = 0; y < size; ++y) {
        char* colourRow = colour.data() + (size - 1 - y) * colourStride;
        char* maskRow = mask.data() + (size - 1 - y) * maskStride;
        for (int x = 0; x < size; ++x) {
            const bool shown = qAlpha(opaqueMask.pixel(x, y)) != 0;
            const int index = shown ? nearest(image.pixel(x, y)) : 0;
            colourRow[x / 2] = static_cast<char>(colourRow[x / 2] | (x % 2 == 0 ? index << 4 : index));
            if (!shown) maskRow[x / 8] = static_cast<char>(maskRow[x / 8] | (0x80 >> (x % 8)));
        }
    }

    QByteArray dib;
    putInfoHeader(dib, size, size * 2, 4, 16, static_cast<std::uint32_t>(colour.size() + mask.size()));
    for (int i = 0; i < 16; ++i) putColour(dib, palette[i]);
    dib.append(colour);
    dib.append(mask);

    QByteArray out;
    put16(out, 0);  // ICONDIR
    put16(out, 1);  // an icon
    put16(out, 1);  // one image
    out.append(static_cast<char>(size));  // ICONDIRENTRY
    out.append(static_cast<char>(size));
    out.append(static_cast<char>(16));  // colours
    out.append('\0');
    put16(out, 1);  // planes
    put16(out, 4);  // bits per pixel
    put32(out, static_cast<std::uint32_t>(dib.size()));
    put32(out, 6 + 16);
    out.append(dib);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}
