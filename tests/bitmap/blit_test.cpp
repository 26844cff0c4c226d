#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// A 4 x 3 source whose pixel (x, y) is 0xA0000000 | y << 8 | x, so any pixel tells where
// it came from.
TestBitmap Source4x3() {
    TestBitmap s(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            s.At(x, y) = 0xA0000000u | (y << 8) | x;
    return s;
}
std::uint32_t From(int x, int y) {
    return 0xA0000000u | (y << 8) | x;
}

constexpr std::uint32_t kBlank = 0x0BADBEEF;

TEST(BlitBitmap, FullAlphaCopyIsExactIncludingAlpha) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    s.At(2, 1) = 0x00123456;
    BlitBitmap(&d, &s, 0, 0, nullptr, 1.0f, BLEND_COPY);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), s.At(x, y));
    EXPECT_TRUE(d.PaddingIs(kBlank));
}

TEST(BlitBitmap, NegativeDestinationXSkipsSourceColumns) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    BlitBitmap(&d, &s, -3, 0, nullptr, 1.0f, BLEND_COPY);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(d.At(0, y), From(3, y));
        for (int x = 1; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), kBlank);
    }
}

TEST(BlitBitmap, NegativeDestinationYSkipsSourceRows) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    BlitBitmap(&d, &s, 1, -2, nullptr, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(1, 0), From(0, 2));
    EXPECT_EQ(d.At(3, 0), From(2, 2));
    EXPECT_EQ(d.At(0, 0), kBlank);
    EXPECT_EQ(d.At(1, 1), kBlank);
}

TEST(BlitBitmap, NegativeSourceLeftMovesTheDestination) {
    TestBitmap s = Source4x3(), d(6, 3, kBlank);
    const IPlugRect r{-2, 0, 4, 1};
    BlitBitmap(&d, &s, 1, 0, &r, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(1, 0), kBlank);
    EXPECT_EQ(d.At(2, 0), kBlank);
    EXPECT_EQ(d.At(3, 0), From(0, 0));
    EXPECT_EQ(d.At(4, 0), From(1, 0));
    EXPECT_EQ(d.At(5, 0), From(2, 0));
    EXPECT_EQ(d.At(3, 1), kBlank);
}

TEST(BlitBitmap, SourceRectangleIsLimitedToTheSource) {
    TestBitmap s = Source4x3(), d(8, 8, kBlank);
    const IPlugRect r{2, 1, 100, 100};
    BlitBitmap(&d, &s, 0, 0, &r, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), From(2, 1));
    EXPECT_EQ(d.At(1, 1), From(3, 2));
    EXPECT_EQ(d.At(2, 0), kBlank);
    EXPECT_EQ(d.At(0, 2), kBlank);
}

TEST(BlitBitmap, ClippedAtTheDestinationsFarEdges) {
    TestBitmap s = Source4x3(), d(5, 4, kBlank);
    BlitBitmap(&d, &s, 3, 2, nullptr, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(3, 2), From(0, 0));
    EXPECT_EQ(d.At(4, 3), From(1, 1));
    EXPECT_EQ(d.At(2, 2), kBlank);
    EXPECT_TRUE(d.PaddingIs(kBlank));
}

TEST(BlitBitmap, NothingToDraw) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    HeapBitmap empty(0, 0, 4);
    const IPlugRect inverted{3, 0, 1, 3};
    BlitBitmap(nullptr, &s, 0, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, nullptr, 0, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, 0, 0, nullptr, 0.0f, BLEND_COPY);
    BlitBitmap(&d, &s, 4, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, 0, 3, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, -4, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, 0, 0, &inverted, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &empty, 0, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&empty, &s, 0, 0, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, 0, 0, nullptr, -0.5f, BLEND_COPY);
    BlitBitmap(&d, &s, 0, 0, nullptr, 0.001f, BLEND_COPY); // w = 0
    BlitBitmap(&d, &s, 0, 0, nullptr, 1.0f, 0x42);
    BlitBitmap(&d, &s, INT_MIN, INT_MAX, nullptr, 1.0f, BLEND_COPY);
    BlitBitmap(&d, &s, INT_MAX, INT_MIN, nullptr, 1.0f, BLEND_COPY);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), kBlank);
}

TEST(BlitBitmap, HalfAlphaCopyAveragesWords) {
    TestBitmap s(1, 1, 0xFF804020), d(1, 1, 0x10203040);
    BlitBitmap(&d, &s, 0, 0, nullptr, 0.5f, BLEND_COPY);
    // 0x7F402010 + 0x08101820
    EXPECT_EQ(d.At(0, 0), 0x87503830u);
}

TEST(BlitBitmap, NearlyHalfAlphaUsesTheCombiner) {
    // alpha 0.5001 still gives w = 128, but through the per-byte formula:
    // A: 255 + (16 - 255) * 128 / 256 = 136 (the shortcut gives 135).
    TestBitmap s(1, 1, 0xFF804020), d(1, 1, 0x10203040);
    BlitBitmap(&d, &s, 0, 0, nullptr, 0.5001f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), 0x88503830u);
}

TEST(BlitBitmap, ChannelCopyMovesOneByte) {
    TestBitmap s(2, 1, 0x11223344), d(2, 1, 0xAABBCCDD);
    BlitBitmap(&d, &s, 0, 0, nullptr, 1.0f, BlendChannelCopy(2, 3)); // red into alpha
    EXPECT_EQ(d.At(0, 0), 0x22BBCCDDu);
    BlitBitmap(&d, &s, 0, 0, nullptr, 0.3f, BlendChannelCopy(0, 1)); // blue into green
    EXPECT_EQ(d.At(1, 0), 0x22BB44DDu);
    EXPECT_EQ(BlendChannelCopy(0, 1), 0xF4u);
}

TEST(BlitBitmap, SourceAlphaBlendsPerPixel) {
    TestBitmap s(3, 1), d(3, 1, 0x80808080);
    s.At(0, 0) = 0x00FFFFFF; // transparent: untouched
    s.At(1, 0) = 0xFF102030; // opaque: replaced
    s.At(2, 0) = 0x80FFFFFF; // a = 128: 255 + (128 - 255) * 127 / 256 = 255 - 63; alpha 255
    BlitBitmap(&d, &s, 0, 0, nullptr, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA);
    EXPECT_EQ(d.At(0, 0), 0x80808080u);
    EXPECT_EQ(d.At(1, 0), 0xFF102030u);
    EXPECT_EQ(d.At(2, 0), 0xFFC0C0C0u);
}

TEST(BlitBitmap, HonoursBottomUpBitmaps) {
    TestBitmap s = Source4x3();
    TestBitmap flippedSrc(4, 3, 0, true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            flippedSrc.At(x, y) = s.At(x, y);
    ASSERT_EQ(flippedSrc.Stored(0, 2), From(0, 0));

    TestBitmap d(4, 3, kBlank, true);
    const IPlugRect r{1, 1, 3, 3};
    BlitBitmap(&d, &flippedSrc, 2, 0, &r, 0.25f, BLEND_ADD);
    BlitBitmap(&d, &flippedSrc, 0, 1, &r, 1.0f, BLEND_COPY);
    // Top row of the destination is stored last.
    EXPECT_EQ(d.Stored(0, 1), From(1, 1));
    EXPECT_EQ(d.Stored(1, 0), From(2, 2));
    EXPECT_EQ(d.At(0, 1), From(1, 1));
    EXPECT_EQ(d.At(1, 2), From(2, 2));
    // Add at w = 64 into the top rows: A 0x0B + 0xA0/4 = 0x33, G 0xBE + 1*64/256 = 0xBE.
    EXPECT_EQ(d.At(2, 0), 0x33ADBEEFu);
    EXPECT_EQ(d.At(3, 1), 0x33ADBEEFu);
}

TEST(BlitBitmapArea, UsesTheGivenRectangle) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    BlitBitmapArea(&d, &s, 0, 0, 1, 1, 2, 2, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), From(1, 1));
    EXPECT_EQ(d.At(1, 1), From(2, 2));
    EXPECT_EQ(d.At(2, 0), kBlank);
    EXPECT_EQ(d.At(0, 2), kBlank);
    // Sizes that would overflow are clipped, not wrapped.
    BlitBitmapArea(&d, &s, 3, 2, 3, 2, INT_MAX, INT_MAX, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(3, 2), From(3, 2));
    BlitBitmapArea(&d, &s, 0, 0, 0, 0, -3, 2, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(2, 0), kBlank);
}

} // namespace
