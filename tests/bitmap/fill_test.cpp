#include "bitmap/blit.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr std::uint32_t kColour = 0xFF804020;
constexpr std::uint32_t kDest = 0x10203040;

std::uint32_t Fill1(std::uint32_t dest, std::uint32_t colour, float alpha, BlendMode mode) {
    TestBitmap d(1, 1, dest);
    FillRectangle(&d, 0, 0, 1, 1, colour, alpha, mode);
    return d.At(0, 0);
}

TEST(FillRectangle, WordShortcutsForCopy) {
    EXPECT_EQ(Fill1(kDest, kColour, 1.0f, BLEND_COPY), kColour);
    // (c >> 1) & 0x7F7F7F7F = 0x7F402010, (d >> 1) & 0x7F7F7F7F = 0x08101820.
    EXPECT_EQ(Fill1(kDest, kColour, 0.5f, BLEND_COPY), 0x87503830u);
    // d/2 + d/4 + c/4: 0x08101820 + 0x04080C10 + 0x3F201008.
    EXPECT_EQ(Fill1(kDest, kColour, 0.25f, BLEND_COPY), 0x4B383438u);
    // d/4 + c/2 + c/4: 0x04080C10 + 0x7F402010 + 0x3F201008.
    EXPECT_EQ(Fill1(kDest, kColour, 0.75f, BLEND_COPY), 0xC2683C28u);
    // The shortcuts go by the weight: 0.751 still gives 192.
    EXPECT_EQ(Fill1(kDest, kColour, 0.751f, BLEND_COPY), 0xC2683C28u);
}

TEST(FillRectangle, CopyAtOtherWeightsMovesAlphaTowardTheWeight) {
    // w = 100 stands in as the source alpha: A 100 + (0 - 100) * 156 / 256 = 40.
    // R 16 - 9 = 7, G 32 - 19 = 13, B 48 - 29 = 19 (each truncated toward zero).
    EXPECT_EQ(Fill1(0x00000000, 0xFF102030, 100.0f / 256.0f, BLEND_COPY), 0x28070D13u);
}

TEST(FillRectangle, SourceAlphaScalesTheWeightByTheColoursAlpha) {
    // 1.0 * 128/255 -> w = 128: the averaging shortcut, colour alpha included.
    EXPECT_EQ(Fill1(0x00000000, 0x80FF0000, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0x407F0000u);
    EXPECT_EQ(Fill1(kDest, 0xFF804020, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), 0xFF804020u);
    EXPECT_EQ(Fill1(kDest, 0x00804020, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA), kDest);
}

TEST(FillRectangle, OtherOperationsUseTheWeightAsSourceAlpha) {
    // Add at w = 128: A 0x10 + 128*128/256 = 0x50; R 0x20 + 0x40; G 0x30 + 0x20; B 0x40 + 0x10.
    EXPECT_EQ(Fill1(kDest, kColour, 0.5f, BLEND_ADD), 0x50605050u);
    // The flag is spent on the weight: colour alpha 0x80 -> w = 128, same add.
    EXPECT_EQ(Fill1(kDest, 0x80804020, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA), 0x50605050u);
    // Multiply at w = 256, the weight standing in as alpha: A (256*256*16) >> 16 = 16;
    // R 255*32/256 = 31, G 255*48/256 = 47, B 255*64/256 = 63.
    EXPECT_EQ(Fill1(kDest, 0xFFFFFFFF, 1.0f, BLEND_MULTIPLY), 0x101F2F3Fu);
    EXPECT_EQ(Fill1(kDest, kColour, 1.0f, 6), kDest);
    EXPECT_EQ(Fill1(kDest, kColour, 1.0f, BLEND_CHANNEL_COPY), kDest);
}

TEST(FillRectangle, ClipsToTheBitmap) {
    TestBitmap d(4, 3, 0);
    FillRectangle(&d, -2, -1, 4, 3, 0xFFFFFFFF, 1.0f, BLEND_COPY);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), (x < 2 && y < 2) ? 0xFFFFFFFFu : 0u);
    FillRectangle(&d, 3, 2, 100, 100, 0x12345678, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(3, 2), 0x12345678u);
    EXPECT_TRUE(d.PaddingIs(0));
}

TEST(FillRectangle, NothingToDraw) {
    TestBitmap d(4, 3, kDest);
    FillRectangle(nullptr, 0, 0, 4, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 4, 3, kColour, 0.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 0, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, -5, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, 4, 0, 4, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 3, 4, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, -4, 0, 4, 3, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kColour, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 4, 3, kColour, 0.001f, BLEND_ADD); // w = 0
    FillRectangle(&d, 0, 0, 4, 3, kColour, -1.0f, BLEND_ADD);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), kDest);
}

TEST(FillRectangle, HonoursBottomUpBitmaps) {
    TestBitmap d(3, 3, 0, true);
    FillRectangle(&d, 0, 0, 3, 1, 0xFFFFFFFF, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.Stored(1, 2), 0xFFFFFFFFu);
    EXPECT_EQ(d.Stored(1, 0), 0u);
}

} // namespace
