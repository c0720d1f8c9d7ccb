// zk_pictures: draws every picture of the two forms and the window icon into a folder
// (forms/ of the source tree: pictures/*.bmp and zuKINEO.ico). The output is committed, so
// building the program needs neither this tool nor its fonts.
//
//   zk_pictures OUTPUT_DIR [FONT_DIR]
//
// FONT_DIR holds DejaVuSans.ttf and DejaVuSans-Bold.ttf (Debian: fonts-dejavu-core; the
// default is /usr/share/fonts/truetype/dejavu). Same fonts, same bytes.
#include "AboutTexts.h"
#include "BitmapFiles.h"
#include "Lettering.h"
#include "Projector.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <exception>
#include <functional>
#include <vector>

namespace {

const QString kFamily = QStringLiteral("DejaVu Sans");

// Main window: deep blue at the client area's left edge to pale cyan at its right edge.
const Gradient kMainGradient{QColor(0, 40, 208), QColor(184, 255, 255), 376};
// About window: pure blue to cyan.
const Gradient kAboutGradient{QColor(0, 0, 255), QColor(0, 255, 255), 356};

enum class Depth { Bits24, Bits8 };

struct Picture {
    const char* name;  // file name without ".bmp"
    int left;          // design Left in its window: where its part of the gradient lies
    int width, height;
    Depth depth;
    const Gradient* gradient;
    std::function<void(QImage& coverage)> draw;
};

// The clickable words of the main window: capitals 11 pixels high standing on row 14, the
// underline a bar in rows 16 and 17; descenders run down through it.
std::function<void(QImage&)> clickableWord(const QString& text) {
    return [text](QImage& c) {
        DrawFitted(c, text, TypefaceWithCapHeight(kFamily, true, 11), 15, 1, c.width() - 1);
        DrawBar(c, 16, 2);
    };
}

std::function<void(QImage&)> heading(const QString& text, double baseline) {
    return [text, baseline](QImage& c) {
        DrawFitted(c, text, TypefaceWithCapHeight(kFamily, true, 11), baseline, 1, c.width() - 1);
    };
}

// The About window's links: the address, underlined by its bottom row.
std::function<void(QImage&)> link(const QString& text, double baseline) {
    return [text, baseline](QImage& c) {
        DrawFitted(c, text, TypefaceWithCapHeight(kFamily, true, 8), baseline, 1, c.width() - 1, 1.0);
        DrawBar(c, c.height() - 1, 1);
    };
}

// The labels before the links end at their picture's right edge, so the gaps to the links
// are those of the form (8 and 7 pixels).
std::function<void(QImage&)> label(const QString& text, double baseline) {
    return [text, baseline](QImage& c) {
        DrawFitted(c, text, TypefaceWithCapHeight(kFamily, false, 7), baseline, 1, c.width(), 0.5);
    };
}

void banner(QImage& c) {
    // Columns 0 to 5 lie over the icon's right edge; the banner draws nothing there, so the
    // icon shows through the transparent black.
    DrawFitted(c, QStringLiteral("DirectDraw FullScreen MOVIE Player"), TypefaceWithCapHeight(kFamily, true, 8),
               11, 12, 318);
    const double end = DrawNatural(c, QStringLiteral("\"zuKINEO\""), TypefaceWithCapHeight(kFamily, true, 19), 36,
                                   12, 1.0);
    DrawNatural(c, QStringLiteral("ver.2.4.2"), TypefaceWithCapHeight(kFamily, true, 8), 36, end + 10, 0.5);
}

void arrow(QImage& c, bool up) {
    const double top = 1.0, bottom = 12.0;
    QPolygonF triangle;
    if (up) {
        triangle << QPointF(8, top) << QPointF(15, bottom) << QPointF(1, bottom);
    } else {
        triangle << QPointF(1, top) << QPointF(15, top) << QPointF(8, bottom);
    }
    DrawPolygon(c, triangle);
}

QString shownAddress(const char* target) {
    const QString text = QString::fromUtf8(target);
    return text.startsWith(QStringLiteral("mailto:")) ? text.mid(7) : text;
}

std::vector<Picture> catalogue() {
    const Gradient* main = &kMainGradient;
    const Gradient* about = &kAboutGradient;
    const auto d24 = Depth::Bits24;
    const auto d8 = Depth::Bits8;
    return {
        // The main window.
        {"Image2", 42, 326, 39, d24, main, banner},
        {"Image3", 16, 94, 15, d24, main, heading(QStringLiteral("ScreenSize"), 13)},
        {"Image4", 136, 66, 19, d24, main, heading(QStringLiteral("PlayList"), 15)},
        {"imgAddFile", 192, 74, 18, d24, main, clickableWord(QStringLiteral("Add File"))},
        {"imgPlay", 176, 35, 19, d24, main, clickableWord(QStringLiteral("Play"))},
        {"imgLoop", 24, 119, 20, d24, main, clickableWord(QStringLiteral("LoopPlayMode"))},
        {"imgStretch", 24, 112, 18, d24, main, clickableWord(QStringLiteral("StretchMode"))},
        {"imgClear", 320, 45, 18, d24, main, clickableWord(QStringLiteral("Clear"))},
        {"imgDelete", 256, 56, 18, d24, main, clickableWord(QStringLiteral("Delete"))},
        {"imgLoad", 276, 40, 18, d24, main, clickableWord(QStringLiteral("Load"))},
        {"imgSave", 324, 41, 18, d24, main, clickableWord(QStringLiteral("Save"))},
        {"imgUe", 352, 16, 13, d8, main, [](QImage& c) { arrow(c, true); }},
        {"imgSita", 352, 16, 13, d8, main, [](QImage& c) { arrow(c, false); }},
        // The About window (its icon is imgIcon).
        {"Image5", 220, 128, 14, d8, about,
         [](QImage& c) {
             DrawFitted(c, QString::fromUtf8(kCreditLine), TypefaceWithCapHeight(kFamily, false, 7), 10,
                        1, c.width() - 1, 0.5);
         }},
        {"Image6", 138, 47, 9, d8, about, label(QStringLiteral("E-Mail :"), 8)},
        {"imgEMail", 193, 155, 13, d8, about, link(shownAddress(kEMailTarget), 10)},
        {"imgWebPage", 97, 251, 12, d8, about, link(shownAddress(kWebPageTarget), 9)},
        {"Image7", 29, 61, 12, d8, about, label(QStringLiteral("WebPage :"), 9)},
    };
}

int run(const QString& outputDir, const QString& fontDir) {
    for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
        if (QFontDatabase::addApplicationFont(fontDir + QLatin1Char('/') + QLatin1String(file)) < 0) {
            std::fprintf(stderr, "zk_pictures: cannot load %s from %s\n", file, qPrintable(fontDir));
            return 2;
        }
    }
    QDir().mkpath(outputDir + QStringLiteral("/pictures"));
    QTextStream out(stdout);
    for (const Picture& p : catalogue()) {
        QImage coverage = NewCoverage(p.width, p.height);
        p.draw(coverage);
        const QImage picture = Colourise(coverage, *p.gradient, p.left);
        const QString path = outputDir + QStringLiteral("/pictures/") + QLatin1String(p.name) + QStringLiteral(".bmp");
        if (p.depth == Depth::Bits24) {
            WriteBmp24(picture, path);
        } else {
            WriteBmp8(picture, path);
        }
        out << path << '\n';
    }
    const QImage icon = DrawProjectorIcon();
    WriteBmp8(icon, outputDir + QStringLiteral("/pictures/imgIcon.bmp"));
    WriteIcon16(icon, ProjectorIconMask(icon), outputDir + QStringLiteral("/zuKINEO.ico"));
    out << outputDir << "/pictures/imgIcon.bmp\n" << outputDir << "/zuKINEO.ico\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Fonts and painting need a GUI application, but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zk_pictures OUTPUT_DIR [FONT_DIR]\n");
        return 2;
    }
    try {
        return run(QString::fromLocal8Bit(argv[1]),
                   argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/usr/share/fonts/truetype/dejavu"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zk_pictures: %s\n", error.what());
        return 1;
    }
}
