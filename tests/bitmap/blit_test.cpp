#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>

// Worked positions and calls that must draw nothing; what every drawn pixel holds, clipped
// anywhere, is the compositing sweep's job.
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

TEST(BlitBitmap, NegativeDestinationXSkipsSourceColumns) {
    TestBitmap s = Source4x3(), d(4, 3, kBlank);
    BlitBitmap(&d, &s, -3, 0, nullptr, 1.0f, BLEND_COPY);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(d.At(0, y), From(3, y));
        for (int x = 1; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), kBlank);
    }
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

TEST(FillRectangle, NothingToDraw) {
    TestBitmap d(4, 3, 0x10203040u);
    FillRectangle(nullptr, 0, 0, 4, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 4, 3, 0xFF804020u, 0.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 0, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, -5, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, 4, 0, 4, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 3, 4, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, -4, 0, 4, 3, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0xFF804020u, 1.0f, BLEND_COPY);
    FillRectangle(&d, 0, 0, 4, 3, 0xFF804020u, 0.001f, BLEND_ADD); // w = 0
    FillRectangle(&d, 0, 0, 4, 3, 0xFF804020u, -1.0f, BLEND_ADD);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), 0x10203040u);
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
