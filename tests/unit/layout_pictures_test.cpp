// The forms' pictures as built into the program: sizes, depths, palettes, transparency keys,
// underlines, the gradient across the window, and the window icon's format.
#include "FormResources.h"
#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdint>
#include <map>

namespace {

enum class Underline { None, Bar16And17, BottomRow };

struct PictureCase {
    const char* name;
    int width, height, bits;
    bool transparent;  // the form skips the bottom-left pixel's colour
    Underline underline;
};

const PictureCase kPictures[] = {
    {"imgIcon", 32, 32, 8, true, Underline::None},
    {"Image2", 326, 39, 24, true, Underline::None},
    {"Image3", 94, 15, 24, false, Underline::None},
    {"Image4", 66, 19, 24, false, Underline::None},
    {"imgLoop", 119, 20, 24, false, Underline::Bar16And17},
    {"imgStretch", 112, 18, 24, false, Underline::Bar16And17},
    {"imgAddFile", 74, 18, 24, false, Underline::Bar16And17},
    {"imgLoad", 40, 18, 24, false, Underline::Bar16And17},
    {"imgSave", 41, 18, 24, false, Underline::Bar16And17},
    {"imgDelete", 56, 18, 24, false, Underline::Bar16And17},
    {"imgClear", 45, 18, 24, false, Underline::Bar16And17},
    {"imgPlay", 35, 19, 24, false, Underline::Bar16And17},
    {"imgUe", 16, 13, 8, false, Underline::None},
    {"imgSita", 16, 13, 8, false, Underline::None},
    {"Image5", 128, 14, 8, false, Underline::None},
    {"Image6", 47, 9, 8, true, Underline::None},
    {"imgEMail", 155, 13, 8, false, Underline::BottomRow},
    {"imgWebPage", 251, 12, 8, false, Underline::BottomRow},
    {"Image7", 61, 12, 8, true, Underline::None},
};

QString resourceOf(const char* name) { return QStringLiteral(":/pictures/%1.bmp").arg(QLatin1String(name)); }

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t le(const QByteArray& b, int at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b.at(at + i));
    return v;
}

bool rowFullyInked(const QImage& image, int row) {
    for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, row) & 0xFFFFFF) == 0) return false;
    return true;
}

class Pictures : public testing::Test {
protected:
    static void SetUpTestSuite() { InitFormResources(); }
};

TEST_F(Pictures, SizeDepthPaletteGroundAndUnderline) {
    for (const PictureCase& p : kPictures) {
        SCOPED_TRACE(p.name);
        const QByteArray file = bytesOf(resourceOf(p.name));
        ASSERT_GE(file.size(), 54);
        ASSERT_EQ(file.left(2), QByteArray("BM"));
        EXPECT_EQ(le(file, 14, 4), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(static_cast<int>(le(file, 18, 4)), p.width);
        EXPECT_EQ(static_cast<int>(le(file, 22, 4)), p.height) << "bottom-up rows";
        EXPECT_EQ(static_cast<int>(le(file, 28, 2)), p.bits);
        EXPECT_EQ(le(file, 30, 4), 0u) << "uncompressed";
        if (p.bits == 8) {
            const std::uint32_t used = le(file, 46, 4);
            EXPECT_TRUE(used == 0 || used == 256) << "a 256-entry palette, not " << used;
            EXPECT_EQ(le(file, 10, 4), 54u + 256u * 4u) << "pixels follow the 256 palette entries";
        }

        const QImage image(resourceOf(p.name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(p.width, p.height));
        // The colour a transparent picture skips is its bottom-left pixel's: its black ground.
        if (p.transparent) {
            EXPECT_EQ(image.pixel(0, p.height - 1) & 0xFFFFFF, 0u) << "bottom-left pixel black";
        }
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0u) << "black ground";

        switch (p.underline) {
        case Underline::Bar16And17:
            EXPECT_TRUE(rowFullyInked(image, 16) && rowFullyInked(image, 17)) << "bar in rows 16 and 17";
            EXPECT_FALSE(rowFullyInked(image, 15)) << "the bar is 2 rows high";
            break;
        case Underline::BottomRow:
            EXPECT_TRUE(rowFullyInked(image, p.height - 1)) << "line in the bottom row";
            EXPECT_FALSE(rowFullyInked(image, p.height - 2)) << "the line is 1 row high";
            break;
        case Underline::None:
            for (int row = 0; row < p.height; ++row) EXPECT_FALSE(rowFullyInked(image, row)) << "row " << row;
            break;
        }
    }
}

// The layout arithmetic takes the pictures' sizes from the form; they must be the bitmaps'.
TEST_F(Pictures, LayoutKnowsTheBitmapSizes) {
    const layout::Places design = layout::DesignPlaces();
    const std::map<QString, layout::Place> pictures{
        {"imgIcon", design.imgIcon},   {"Image2", design.Image2},       {"Image3", design.Image3},
        {"Image4", design.Image4},     {"imgAddFile", design.imgAddFile}, {"imgPlay", design.imgPlay},
        {"imgLoop", design.imgLoop},   {"imgStretch", design.imgStretch}, {"imgClear", design.imgClear},
        {"imgUe", design.imgUe},       {"imgSita", design.imgSita},     {"imgDelete", design.imgDelete},
        {"imgLoad", design.imgLoad},   {"imgSave", design.imgSave},
    };
    for (const auto& [name, place] : pictures) {
        const QImage image(QStringLiteral(":/pictures/%1.bmp").arg(name));
        EXPECT_EQ(image.size(), QSize(place.Width, place.Height)) << name.toStdString();
    }
}

// One gradient runs across the main window: an underline pixel's colour depends only on its
// window column (pictures that share columns agree), and it runs from blue to pale cyan.
TEST_F(Pictures, MainWindowUnderlinesFollowOneGradient) {
    const layout::Places design = layout::DesignPlaces();
    const std::pair<const char*, int> underlined[] = {
        {"imgLoop", design.imgLoop.Left},     {"imgStretch", design.imgStretch.Left},
        {"imgAddFile", design.imgAddFile.Left}, {"imgLoad", design.imgLoad.Left},
        {"imgSave", design.imgSave.Left},     {"imgDelete", design.imgDelete.Left},
        {"imgClear", design.imgClear.Left},   {"imgPlay", design.imgPlay.Left},
    };
    std::map<int, QRgb> byColumn;
    for (const auto& [name, left] : underlined) {
        const QImage image(resourceOf(name));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, 16) & 0xFFFFFF;
            const auto [it, fresh] = byColumn.emplace(left + x, c);
            EXPECT_TRUE(fresh || it->second == c) << name << " column " << left + x;
        }
    }
    ASSERT_GE(byColumn.size(), 2u);
    QRgb previous = byColumn.begin()->second;
    for (const auto& [column, c] : byColumn) {
        EXPECT_GE(qGreen(c), qGreen(previous)) << "column " << column;
        EXPECT_GE(qRed(c), qRed(previous)) << "column " << column;
        previous = c;
    }
    const QRgb left = byColumn.begin()->second, right = byColumn.rbegin()->second;
    EXPECT_GT(qBlue(left), 2 * qGreen(left)) << "blue at the left";
    EXPECT_GT(qGreen(right), 200);
    EXPECT_GT(qBlue(right), 200) << "pale cyan at the right";
}

// The window icon: one 32 x 32 image, 4 bits per pixel (16 colours), with its AND mask.
TEST_F(Pictures, WindowIconIs32x32With16ColoursAndAMask) {
    const QByteArray ico = bytesOf(QStringLiteral(":/forms/zuKINEO.ico"));
    ASSERT_GE(ico.size(), 22 + 40);
    EXPECT_EQ(le(ico, 0, 2), 0u);
    EXPECT_EQ(le(ico, 2, 2), 1u) << "an icon";
    ASSERT_EQ(le(ico, 4, 2), 1u) << "one image";
    EXPECT_EQ(static_cast<std::uint8_t>(ico.at(6)), 32);
    EXPECT_EQ(static_cast<std::uint8_t>(ico.at(7)), 32);
    EXPECT_EQ(static_cast<std::uint8_t>(ico.at(8)), 16) << "colours";
    const int dib = static_cast<int>(le(ico, 18, 4));
    const int dibSize = static_cast<int>(le(ico, 14, 4));
    ASSERT_EQ(dib + dibSize, ico.size());
    EXPECT_EQ(le(ico, dib + 4, 4), 32u);
    EXPECT_EQ(le(ico, dib + 8, 4), 64u) << "colour rows and mask rows";
    EXPECT_EQ(le(ico, dib + 14, 2), 4u) << "bits per pixel";
    // Header, 16 palette entries, 32 rows of 16 bytes of colour and 32 rows of 4 bytes of mask.
    EXPECT_EQ(dibSize, 40 + 16 * 4 + 32 * 16 + 32 * 4);
    // The mask leaves some pixels transparent and keeps the drawing.
    const QByteArray mask = ico.mid(dib + 40 + 64 + 32 * 16);
    EXPECT_TRUE(mask.contains('\xff')) << "transparent pixels";
    EXPECT_TRUE(mask.contains('\0')) << "opaque pixels";
}

}  // namespace
