// The display-mode table: what the enumeration callback stores, the list lines, and the
// mapping from a list line back to its entry.
#include "ModeTable.h"

#include <gtest/gtest.h>

namespace {

HRESULT report(std::uint32_t width, std::uint32_t height, std::uint32_t bits) {
    DDSURFACEDESC description;
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddpfPixelFormat.dwRGBBitCount = bits;
    return EnumModesCallback(&description, nullptr);
}

class ModeTableTest : public testing::Test {
protected:
    void SetUp() override { ClearModeTable(); }
};

TEST_F(ModeTableTest, StoresModesInReportedOrderWithDuplicates) {
    EXPECT_EQ(report(640, 480, 16), DDENUMRET_OK);
    EXPECT_EQ(report(1024, 768, 32), DDENUMRET_OK);
    EXPECT_EQ(report(640, 480, 16), DDENUMRET_OK);
    ASSERT_EQ(ModeCount, 3);
    EXPECT_EQ(ModeWidth[1], 1024);
    EXPECT_EQ(ModeHeight[1], 768);
    EXPECT_EQ(ModeBitCount[1], 32);
    EXPECT_EQ(ModeLineText(0), ModeLineText(2));
    EXPECT_EQ(ModeWidth[3], 0);
}

TEST_F(ModeTableTest, KeepsTheLow16BitsOfEachValueAsSigned) {
    report(0x12345678u, 0x0001FFFFu, 0x00018000u);
    EXPECT_EQ(ModeWidth[0], 0x5678);
    EXPECT_EQ(ModeHeight[0], -1);
    EXPECT_EQ(ModeBitCount[0], static_cast<std::int16_t>(-32768));
    EXPECT_EQ(ModeLineText(0), QStringLiteral("22136x-1(-32768)"));
}

TEST_F(ModeTableTest, StopsAtTheEndOfTheTable) {
    for (int i = 0; i < kModeTableSize - 1; ++i) ASSERT_EQ(report(100 + i, 100, 32), DDENUMRET_OK) << i;
    // The 256th fills the table and asks the enumeration to stop; a 257th changes nothing.
    EXPECT_EQ(report(9999, 9999, 32), DDENUMRET_CANCEL);
    EXPECT_EQ(ModeCount, kModeTableSize);
    EXPECT_EQ(report(7777, 7777, 32), DDENUMRET_CANCEL);
    EXPECT_EQ(ModeCount, kModeTableSize);
    EXPECT_EQ(ModeWidth[kModeTableSize - 1], 9999);
}

TEST_F(ModeTableTest, ClearEmptiesEveryEntry) {
    report(640, 480, 16);
    ClearModeTable();
    EXPECT_EQ(ModeCount, 0);
    EXPECT_EQ(ModeWidth[0], 0);
    EXPECT_EQ(ModeHeight[0], 0);
    EXPECT_EQ(ModeBitCount[0], 0);
}

TEST(ModeLineTest, Text) {
    ClearModeTable();
    const struct {
        std::uint32_t w, h, bits;
        const char* line;
    } cases[] = {
        {1024, 768, 32, "1024x768(32)"},
        {640, 480, 16, "640x480(16)"},
        {0, 0, 0, "0x0(0)"},
        {32767, 65535, 8, "32767x-1(8)"},
    };
    for (const auto& c : cases) {
        ClearModeTable();
        report(c.w, c.h, c.bits);
        EXPECT_EQ(ModeLineText(0).toStdString(), c.line);
    }
}

TEST(ModeLineTest, LinesMapToEntriesInReverse) {
    // Three modes A, B, C are shown C, B, A: the top line is the last entry.
    EXPECT_EQ(ModeEntryOfLine(3, 0), 2);
    EXPECT_EQ(ModeEntryOfLine(3, 1), 1);
    EXPECT_EQ(ModeEntryOfLine(3, 2), 0);
    EXPECT_EQ(ModeEntryOfLine(1, 0), 0);
}

}  // namespace
