#include "bitmap/blit.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

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

// The 2 x 2 area blurs to the same pixels wherever it is read and written: between two
// bitmaps, in place (reading only unblurred values), within one bitmap at another position,
// with a negative destination moving the source area, from a source area starting off the
// bitmap, between bottom-up and top-down bitmaps. Nothing else in the destination changes,
// its row padding included.
TEST(BlurRegion, TheSameAreaBlursAlikeWhereverItIsReadAndWritten) {
    struct Bitmap {
        int width, height;
        std::uint32_t fill;
        bool flipped;
    };
    struct Case {
        const char* name;
        Bitmap src;
        std::optional<Bitmap> dest; // none: the source itself
        int areaX, areaY;           // where the 2 x 2 area is in the source
        int destX, destY, srcX, srcY, srcWidth, srcHeight;
        int blurredX, blurredY; // where its blur lands
    };
    const Case cases[] = {
        {"apart", {3, 3, 0x55555555, false}, Bitmap{5, 5, 0, false}, 1, 1, 2, 3, 1, 1, 2, 2, 2, 3},
        {"in place", {2, 2, 0, false}, std::nullopt, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0},
        {"within one bitmap, one column on",
         {3, 2, Grey(0x33), false},
         std::nullopt,
         0,
         0,
         1,
         0,
         0,
         0,
         2,
         2,
         1,
         0},
        {"negative destination",
         {4, 3, 0, false},
         Bitmap{2, 2, 0, false},
         2,
         1,
         -1,
         -1,
         1,
         0,
         3,
         3,
         0,
         0},
        // Unlike a blit's, a source area starting off the bitmap does not move the destination.
        {"source starting off the bitmap",
         {2, 2, 0, false},
         Bitmap{4, 4, 0, false},
         0,
         0,
         1,
         1,
         -1,
         -1,
         3,
         3,
         1,
         1},
        {"bottom-up", {2, 2, 0, true}, Bitmap{2, 2, 0, true}, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0},
        {"bottom-up into top-down",
         {2, 2, 0, true},
         Bitmap{2, 2, 0, false},
         0,
         0,
         0,
         0,
         0,
         0,
         2,
         2,
         0,
         0},
        {"top-down into bottom-up",
         {2, 2, 0, false},
         Bitmap{2, 2, 0, true},
         0,
         0,
         0,
         0,
         0,
         0,
         2,
         2,
         0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBitmap src(c.src.width, c.src.height, c.src.fill, c.src.flipped);
        Put2x2(src, c.areaX, c.areaY);
        std::optional<TestBitmap> apart;
        if (c.dest) apart.emplace(c.dest->width, c.dest->height, c.dest->fill, c.dest->flipped);
        TestBitmap& dest = apart ? *apart : src;
        std::vector<std::uint32_t> before;
        for (int y = 0; y < dest.Height(); ++y)
            for (int x = 0; x < dest.Width(); ++x)
                before.push_back(dest.At(x, y));
        BlurRegion(&dest, &src, c.destX, c.destY, c.srcX, c.srcY, c.srcWidth, c.srcHeight);
        for (int y = 0; y < dest.Height(); ++y)
            for (int x = 0; x < dest.Width(); ++x) {
                const int bx = x - c.blurredX, by = y - c.blurredY;
                const bool blurred = bx >= 0 && bx < 2 && by >= 0 && by < 2;
                EXPECT_EQ(dest.At(x, y),
                          blurred ? kBlurred2x2[by][bx] : before[y * dest.Width() + x])
                    << x << "," << y;
            }
        EXPECT_TRUE(dest.PaddingIs(c.dest ? c.dest->fill : c.src.fill));
    }
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
