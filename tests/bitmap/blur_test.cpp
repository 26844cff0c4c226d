#include "bitmap/blit.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// A grey level repeated in all four bytes.
constexpr std::uint32_t Grey(std::uint32_t v) {
    return v * 0x01010101u;
}

TEST(BlurRegion, UniformAreaStaysUniform) {
    // Interior 8 + 2 + 2 + 2 + 2, edges 8 + 4 + 2 + 2 or 8 + 2 + 2 + 4, corners 8 + 4 + 4.
    TestBitmap s(5, 4, Grey(0x10)), d(5, 4, 0);
    BlurRegion(&d, &s, 0, 0, 0, 0, 5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(d.At(x, y), Grey(0x10)) << x << "," << y;
}

TEST(BlurRegion, EachTermTruncatesOnItsOwn) {
    TestBitmap s(4, 4, 0xFFFFFFFF), d(4, 4, 0);
    BlurRegion(&d, &s, 0, 0, 0, 0, 4, 4);
    EXPECT_EQ(d.At(1, 1), Grey(127 + 4 * 31));       // interior
    EXPECT_EQ(d.At(0, 1), Grey(127 + 63 + 31 + 31)); // first in an inner row
    EXPECT_EQ(d.At(3, 2), Grey(127 + 63 + 31 + 31)); // last in an inner row
    EXPECT_EQ(d.At(1, 0), Grey(127 + 31 + 31 + 63)); // first row
    EXPECT_EQ(d.At(2, 3), Grey(127 + 31 + 31 + 63)); // last row
    EXPECT_EQ(d.At(0, 0), Grey(127 + 63 + 63));      // corners
    EXPECT_EQ(d.At(3, 3), Grey(127 + 63 + 63));
}

TEST(BlurRegion, EdgeWeights) {
    TestBitmap s(4, 4, 0), d(4, 4, 0);
    s.At(1, 1) = Grey(0x80);
    BlurRegion(&d, &s, 0, 0, 0, 0, 4, 4);
    EXPECT_EQ(d.At(1, 1), Grey(0x40));
    EXPECT_EQ(d.At(0, 1), Grey(0x20)); // row start: a quarter of its right neighbour
    EXPECT_EQ(d.At(1, 0), Grey(0x20)); // first row: a quarter of the row below
    EXPECT_EQ(d.At(2, 1), Grey(0x10));
    EXPECT_EQ(d.At(1, 2), Grey(0x10));
    EXPECT_EQ(d.At(0, 0), 0u);
    EXPECT_EQ(d.At(2, 2), 0u);
}

// A 2 x 2 area of 0x40, 0x80 / 0xC0, 0x20: every output reads two neighbours.
void Put2x2(TestBitmap& b, int x, int y) {
    b.At(x, y) = Grey(0x40);
    b.At(x + 1, y) = Grey(0x80);
    b.At(x, y + 1) = Grey(0xC0);
    b.At(x + 1, y + 1) = Grey(0x20);
}
// 0x20 + 0x20 + 0x30, 0x40 + 0x10 + 0x08, 0x60 + 0x08 + 0x10, 0x10 + 0x30 + 0x20.
constexpr std::uint32_t kBlurred2x2[2][2] = {{Grey(0x70), Grey(0x58)}, {Grey(0x78), Grey(0x60)}};

TEST(BlurRegion, IntoAnotherBitmapAtAnOffset) {
    TestBitmap s(3, 3, 0x55555555), d(5, 5, 0);
    Put2x2(s, 1, 1);
    BlurRegion(&d, &s, 2, 3, 1, 1, 2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(d.At(2 + x, 3 + y), kBlurred2x2[y][x]);
    EXPECT_EQ(d.At(1, 3), 0u);
    EXPECT_EQ(d.At(2, 2), 0u);
    EXPECT_TRUE(d.PaddingIs(0));
}

TEST(BlurRegion, InPlaceReadsOnlyUnblurredValues) {
    TestBitmap b(2, 2);
    Put2x2(b, 0, 0);
    BlurRegion(&b, &b, 0, 0, 0, 0, 2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.At(x, y), kBlurred2x2[y][x]);
}

TEST(BlurRegion, InPlaceWiderThanTheRowBuffer) {
    // Columns alternate 0x00 / 0x80: odd columns blur to 0x40 + 0x10 + 0x10 (or + 0x20 on
    // the first and last row), even ones to 0x10 + 0x10 (or 0x20 at the row start).
    // Reading a neighbour that was already blurred would change both.
    const int width = 1500;
    TestBitmap b(width, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
            b.At(x, y) = (x % 2) ? Grey(0x80) : 0u;
    BlurRegion(&b, &b, 0, 0, 0, 0, width, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(b.At(x, y), (x % 2) ? Grey(0x60) : Grey(0x20)) << x << "," << y;
}

TEST(BlurRegion, WithinOneBitmapAtAnotherPosition) {
    TestBitmap b(3, 2, Grey(0x33));
    Put2x2(b, 0, 0);
    BlurRegion(&b, &b, 1, 0, 0, 0, 2, 2);
    EXPECT_EQ(b.At(0, 0), Grey(0x40));
    EXPECT_EQ(b.At(0, 1), Grey(0xC0));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.At(1 + x, y), kBlurred2x2[y][x]);
}

TEST(BlurRegion, NegativeDestinationMovesTheSourceArea) {
    TestBitmap s(4, 3, 0), d(2, 2, 0);
    Put2x2(s, 2, 1);
    BlurRegion(&d, &s, -1, -1, 1, 0, 3, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(d.At(x, y), kBlurred2x2[y][x]);
}

TEST(BlurRegion, HonoursBottomUpBitmaps) {
    TestBitmap s(2, 2, 0, true), d(2, 2, 0, true);
    Put2x2(s, 0, 0);
    BlurRegion(&d, &s, 0, 0, 0, 0, 2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(d.At(x, y), kBlurred2x2[y][x]);
}

TEST(BlurRegion, NothingToDraw) {
    TestBitmap s(4, 4, 0xFFFFFFFF), d(4, 4, 0);
    BlurRegion(&d, &s, 0, 0, 1, 0, 1, 4); // one column
    BlurRegion(&d, &s, 0, 0, 0, 3, 4, 1); // one row
    BlurRegion(&d, &s, 0, 0, 3, 0, 4, 4); // clipped to one column by the source
    BlurRegion(&d, &s, 3, 0, 0, 0, 4, 4); // ... and by the destination
    BlurRegion(&d, &s, 4, 0, 0, 0, 4, 4);
    BlurRegion(&d, &s, 0, 0, 0, 0, 0, 4);
    BlurRegion(&d, &s, 0, 0, 0, 0, -4, 4);
    BlurRegion(nullptr, &s, 0, 0, 0, 0, 4, 4);
    BlurRegion(&d, nullptr, 0, 0, 0, 0, 4, 4);
    BlurRegion(&d, &s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), 0u);
}

} // namespace
