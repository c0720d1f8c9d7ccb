// The display layer's pure logic: which sizes it offers, the screen a switch needs, and the
// saved layout that the watchdog is handed.
#include "RandrLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(DistinctSizes, KeepsTheFirstOfEachSizeInTheOutputsOrder) {
    struct Case {
        const char* name;
        std::vector<ModeSize> modes;
        std::vector<ModeSize> expected;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"refresh variants count once, where the first one stands",
         {{1280, 720}, {800, 600}, {1024, 768}, {800, 600}, {640, 480}},
         {{1280, 720}, {800, 600}, {1024, 768}, {640, 480}}},
        {"same width, other height is another size", {{800, 600}, {800, 480}, {800, 600}}, {{800, 600}, {800, 480}}},
        {"the output's order is kept, not sorted", {{320, 240}, {1920, 1080}, {320, 240}}, {{320, 240}, {1920, 1080}}},
    };
    for (const Case& c : cases) EXPECT_EQ(DistinctSizes(c.modes), c.expected) << c.name;
}

TEST(RotatedSize, QuarterTurnsSwapWidthAndHeight) {
    const ModeSize mode{800, 600};
    EXPECT_EQ(RotatedSize(mode, 1), mode);                          // RR_Rotate_0
    EXPECT_EQ(RotatedSize(mode, 2), (ModeSize{600, 800}));          // RR_Rotate_90
    EXPECT_EQ(RotatedSize(mode, 4), mode);                          // RR_Rotate_180
    EXPECT_EQ(RotatedSize(mode, 8), (ModeSize{600, 800}));          // RR_Rotate_270
    EXPECT_EQ(RotatedSize(mode, 2 | 16), (ModeSize{600, 800}));     // reflection does not swap
}

TEST(BoundingScreen, HoldsEveryCrtcButNeverGoesBelowTheServersMinimum) {
    EXPECT_EQ(BoundingScreen({{0, 0, 800, 600}}, 8, 8).width, 800u);
    EXPECT_EQ(BoundingScreen({{0, 0, 800, 600}}, 8, 8).height, 600u);
    const ScreenRect twoHeads = BoundingScreen({{0, 0, 1280, 720}, {1280, 0, 800, 600}}, 8, 8);
    EXPECT_EQ(twoHeads.width, 2080u);
    EXPECT_EQ(twoHeads.height, 720u);
    const ScreenRect tiny = BoundingScreen({{0, 0, 320, 240}}, 640, 480);
    EXPECT_EQ(tiny.width, 640u);
    EXPECT_EQ(tiny.height, 480u);
}

TEST(WithSameDensity, KeepsTheVerticalDotsPerInchAsXrandrDoes) {
    // 96 dpi: 1280x720 is 339x191 mm.
    const ScreenLayout desktop{1280, 720, 339, 191};
    const ScreenLayout small = WithSameDensity(desktop, 800, 600);
    EXPECT_EQ(small.width, 800u);
    EXPECT_EQ(small.height, 600u);
    EXPECT_EQ(small.heightMm, 159u);
    EXPECT_EQ(small.widthMm, 212u);
    // Back to the desktop size gives the desktop's millimetres again (no drift over switches).
    EXPECT_EQ(WithSameDensity(small, 1280, 720).heightMm, 191u);
    // A screen without a physical size stays without one instead of dividing by zero.
    EXPECT_EQ(WithSameDensity({1280, 720, 0, 0}, 800, 600), (ScreenLayout{800, 600, 0, 0}));
}

TEST(SavedDisplay, SurvivesItsTextForm) {
    SavedDisplay saved;
    saved.displayName = "host name:10.0";
    saved.screen = {1280, 720, 338, 190};
    saved.crtc = {0x3f, 0x4a, 0, 0, 1, {0x41}};
    const std::string line = EncodeSavedDisplay(saved);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(DecodeSavedDisplay(line), saved);

    SavedDisplay off = saved;
    off.crtc = {0x40, 0, 1280, 0, 8, {}};
    EXPECT_EQ(DecodeSavedDisplay(EncodeSavedDisplay(off)), off);

    SavedDisplay twoOutputs = saved;
    twoOutputs.crtc.outputs = {0x41, 0x42};
    EXPECT_EQ(DecodeSavedDisplay(EncodeSavedDisplay(twoOutputs)), twoOutputs);
}

TEST(SavedDisplay, RejectsLinesItDidNotWrite) {
    const char* lines[] = {
        "",
        "released",
        "screen 1280 720 338 190 crtc 63 74 0 0 1 1 65",                   // no display
        "screen 1280 720 338 190 crtc 63 74 0 0 1 2 65 display :0",        // an output missing
        "screen 1280 720 338 190 crtc 63 74 0 0 1 1 65 66 display :0",     // one too many
        "screen 1280 x 338 190 crtc 63 74 0 0 1 1 65 display :0",          // not a number
        "screen 1280 720 338 190 crtc 63 74 0 0 1 100000 display :0",      // absurd output count
        "crtc 63 74 0 0 1 1 65 screen 1280 720 338 190 display :0",        // out of order
    };
    for (const char* line : lines) EXPECT_FALSE(DecodeSavedDisplay(line).has_value()) << line;
}

}  // namespace
