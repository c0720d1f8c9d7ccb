// The layout arithmetic: fixed places, measured gaps and the resize moves for chosen client sizes.
#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <ostream>

namespace layout {
void PrintTo(const Place& p, std::ostream* os) {
    *os << p.Left << "," << p.Top << " " << p.Width << "x" << p.Height;
}
}  // namespace layout

namespace {

using layout::ClientSize;
using layout::EdgeGaps;
using layout::Place;
using layout::Places;

// The window as the layout step leaves it for a given client size at creation.
struct Created {
    EdgeGaps gaps;
    Places places;
};

Created createWith(ClientSize client) {
    const Places fixed = layout::PlaceFixed(layout::DesignPlaces());
    const EdgeGaps gaps = layout::MeasureGaps(fixed, client);
    return {gaps, layout::Resize(fixed, gaps, client)};
}

TEST(LayoutArithmetic, GapsMeasuredAtTheDesignClientSize) {
    const EdgeGaps gaps = createWith(layout::kDesignClient).gaps;
    const EdgeGaps expected{56, 53, 32, 31, 80, 8, 8, 6, 64, 31, 11, 31, 110, 55, 8, 80, 60, 55, 11, 55, 31, 80};
    EXPECT_EQ(gaps, expected);
}

// At the design client size every control stays where the form description puts it, except
// imgPlay, which the first resize centres.
TEST(LayoutArithmetic, DesignClientSizeKeepsTheDesignPlacesButCentresPlay) {
    Places expected = layout::DesignPlaces();
    expected.imgPlay.Left = 170;
    EXPECT_EQ(createWith(layout::kDesignClient).places, expected);
}

struct ControlCase {
    const char* name;
    Place Places::*control;
    Place expected;
};

TEST(LayoutArithmetic, ClientOf600x400) {
    const Created created = createWith(layout::kDesignClient);
    const Places at = layout::Resize(created.places, created.gaps, {600, 400});
    const ControlCase cases[] = {
        {"CheckBoxLoop", &Places::CheckBoxLoop, {8, 327, 17, 17}},
        {"imgLoop", &Places::imgLoop, {24, 327, 119, 20}},
        {"CheckBoxStretch", &Places::CheckBoxStretch, {8, 351, 17, 17}},
        {"imgStretch", &Places::imgStretch, {24, 351, 112, 18}},
        {"ListBox1", &Places::ListBox1, {8, 80, 113, 240}},
        {"Image2", &Places::Image2, {266, 8, 326, 39}},
        {"imgUe", &Places::imgUe, {576, 80, 16, 13}},
        {"imgPlay", &Places::imgPlay, {282, 375, 35, 19}},
        {"imgDelete", &Places::imgDelete, {480, 351, 56, 18}},
        {"imgClear", &Places::imgClear, {544, 351, 45, 18}},
        {"imgAddFile", &Places::imgAddFile, {416, 327, 74, 18}},
        {"imgSita", &Places::imgSita, {576, 307, 16, 13}},
        {"imgLoad", &Places::imgLoad, {500, 327, 40, 18}},
        {"imgSave", &Places::imgSave, {548, 327, 41, 18}},
        {"ListBox2", &Places::ListBox2, {128, 80, 441, 240}},
        // Neither edge moves these.
        {"imgIcon", &Places::imgIcon, {16, 16, 32, 32}},
        {"Image3", &Places::Image3, {16, 64, 94, 15}},
        {"Image4", &Places::Image4, {136, 64, 66, 19}},
    };
    for (const ControlCase& c : cases) EXPECT_EQ(at.*c.control, c.expected) << c.name;
}

// imgPlay's centre is (CW - 35) / 2 truncated toward zero, also below zero where nothing clamps.
TEST(LayoutArithmetic, PlayIsCentredWithTruncation) {
    const Created created = createWith(layout::kDesignClient);
    const struct {
        int clientWidth;
        int left;
    } cases[] = {{376, 170}, {377, 171}, {378, 171}, {36, 0}, {35, 0}, {34, 0}, {32, -1}, {0, -17}};
    for (const auto& c : cases) {
        const Places at = layout::Resize(created.places, created.gaps, {c.clientWidth, 257});
        EXPECT_EQ(at.imgPlay.Left, c.left) << "client width " << c.clientWidth;
    }
}

TEST(LayoutArithmetic, ListBoxesGrowWithTheClientArea) {
    const Created created = createWith(layout::kDesignClient);
    for (const ClientSize client : {ClientSize{376, 257}, ClientSize{1024, 768}, ClientSize{400, 300}}) {
        const Places at = layout::Resize(created.places, created.gaps, client);
        EXPECT_EQ(at.ListBox1.Height, client.Height - 160);
        EXPECT_EQ(at.ListBox2.Width, client.Width - 159);
        EXPECT_EQ(at.ListBox2.Height, client.Height - 160);
    }
}

// A thicker frame gives a smaller client area at creation; the gaps shrink with it and are
// used as measured, even below zero.
TEST(LayoutArithmetic, SmallerCreationClientGivesSmallerGaps) {
    const Created created = createWith({376, 250});
    EXPECT_EQ(created.gaps.FImgPlayBottomGap, -1);
    EXPECT_EQ(created.gaps.FListBox1BottomGap, 73);
    EXPECT_EQ(created.gaps.FImage2RightGap, 8);
    // The bottom row of imgPlay lies outside the client area.
    EXPECT_EQ(created.places.imgPlay.Top + created.places.imgPlay.Height, 251);
    // Everything else stays where it was placed.
    Places expected = layout::DesignPlaces();
    expected.imgPlay.Left = 170;
    EXPECT_EQ(created.places, expected);
}

// Before the layout step every gap is zero: each edge-following control sits flush against its
// edge and both lists reach the edges; the fixed places then put every control back.
TEST(LayoutArithmetic, ZeroGapsPutControlsFlushAndFixedPlacesRestoreThem) {
    const Places flush = layout::Resize(layout::DesignPlaces(), EdgeGaps{}, {500, 300});
    EXPECT_EQ(flush.CheckBoxLoop, (Place{8, 283, 17, 17}));
    EXPECT_EQ(flush.imgSave, (Place{459, 282, 41, 18}));
    EXPECT_EQ(flush.Image2, (Place{174, 8, 326, 39}));
    EXPECT_EQ(flush.ListBox1, (Place{8, 80, 113, 220}));
    EXPECT_EQ(flush.ListBox2, (Place{128, 80, 372, 220}));
    EXPECT_EQ(layout::PlaceFixed(flush), layout::DesignPlaces());
}

// Nothing clamps: a client area far smaller than at creation gives sizes of zero or less.
TEST(LayoutArithmetic, NoClamping) {
    const Created created = createWith(layout::kDesignClient);
    const Places at = layout::Resize(created.places, created.gaps, {100, 100});
    EXPECT_EQ(at.ListBox1.Height, -60);
    EXPECT_EQ(at.ListBox2.Width, -59);
    EXPECT_EQ(at.Image2, (Place{-234, 8, 326, 39}));
    EXPECT_EQ(at.CheckBoxLoop.Top, 27);
}

}  // namespace
