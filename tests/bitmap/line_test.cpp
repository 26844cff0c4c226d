#include "bitmap/blit.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace {

using Pixels = std::set<std::pair<int, int>>;

// The pixels that differ from the background.
Pixels Drawn(const TestBitmap& b, std::uint32_t background) {
    Pixels out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.At(x, y) != background) out.insert({x, y});
    return out;
}

constexpr std::uint32_t kInk = 0xFF112233;

TEST(DrawLineSegment, HorizontalSpanIsInclusiveInEitherDirection) {
    TestBitmap d(8, 6, 0);
    DrawLineSegment(&d, 5, 3, 2, 3, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(d, 0), (Pixels{{2, 3}, {3, 3}, {4, 3}, {5, 3}}));
    EXPECT_EQ(d.At(2, 3), kInk);
    EXPECT_TRUE(d.PaddingIs(0));
}

TEST(DrawLineSegment, VerticalSpanIsInclusive) {
    TestBitmap d(8, 6, 0);
    DrawLineSegment(&d, 1, 4, 1, 1, kInk, 1.0f, BLEND_COPY, true);
    EXPECT_EQ(Drawn(d, 0), (Pixels{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
}

TEST(DrawLineSegment, SinglePoint) {
    TestBitmap d(3, 3, 0);
    DrawLineSegment(&d, 1, 1, 1, 1, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(d, 0), (Pixels{{1, 1}}));
}

TEST(DrawLineSegment, StraightCopyShortcuts) {
    const std::uint32_t colour = 0xFF804020, dest = 0x10203040;
    auto one = [&](float alpha, BlendMode mode) {
        TestBitmap d(1, 1, dest);
        DrawLineSegment(&d, 0, 0, 0, 0, colour, alpha, mode, false);
        return d.At(0, 0);
    };
    EXPECT_EQ(one(0.5f, BLEND_COPY), 0x87503830u);
    EXPECT_EQ(one(0.25f, BLEND_COPY), 0x4B383438u);
    EXPECT_EQ(one(0.75f, BLEND_COPY), 0xC2683C28u);
    // Not an exact shortcut alpha: w = 128 still averages words...
    EXPECT_EQ(one(0.5001f, BLEND_COPY), 0x87503830u);
    // ...but w = 64 from 0.2501 goes through the per-byte copy:
    // A 255 + (16 - 255) * 192 / 256 = 76, R 128 - 72 = 56, G 64 - 12 = 52, B 32 + 24 = 56.
    EXPECT_EQ(one(0.2501f, BLEND_COPY), 0x4C383438u);
    // Other operations combine the colour with its own alpha: add at w = 128.
    EXPECT_EQ(one(0.5f, BLEND_ADD), 0x8F605050u);
    EXPECT_EQ(one(0.0f, BLEND_ADD), dest);
    EXPECT_EQ(one(1.0f, 6), dest);
}

TEST(DrawLineSegment, EntirelyOutsideDrawsNothing) {
    TestBitmap d(8, 6, 0);
    DrawLineSegment(&d, -5, 0, -1, 5, kInk, 1.0f, BLEND_COPY, false);
    DrawLineSegment(&d, 8, 0, 12, 5, kInk, 1.0f, BLEND_COPY, true);
    DrawLineSegment(&d, 0, -3, 7, -1, kInk, 1.0f, BLEND_COPY, false);
    DrawLineSegment(&d, 0, 6, 7, 9, kInk, 1.0f, BLEND_COPY, false);
    DrawLineSegment(&d, -10, 3, 3, -10, kInk, 1.0f, BLEND_COPY, false); // misses the corner
    DrawLineSegment(&d, INT_MIN, INT_MIN, INT_MIN, INT_MAX, kInk, 1.0f, BLEND_COPY, false);
    DrawLineSegment(nullptr, 0, 0, 3, 3, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_TRUE(Drawn(d, 0).empty());
}

TEST(DrawLineSegment, ClippedToTheBitmap) {
    TestBitmap d(8, 6, 0);
    DrawLineSegment(&d, -5, 2, 10, 2, kInk, 1.0f, BLEND_COPY, false);
    Pixels row;
    for (int x = 0; x < 8; ++x)
        row.insert({x, 2});
    EXPECT_EQ(Drawn(d, 0), row);

    TestBitmap diagonal(8, 6, 0);
    DrawLineSegment(&diagonal, -2, -2, 3, 3, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(diagonal, 0), (Pixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));

    TestBitmap huge(8, 6, 0);
    DrawLineSegment(&huge, INT_MIN, 3, INT_MAX, 3, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(huge, 0).size(), 8u);
}

TEST(DrawLineSegment, DiagonalWithoutAntialiasing) {
    TestBitmap d(5, 5, 0);
    DrawLineSegment(&d, 4, 0, 1, 3, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(d, 0), (Pixels{{4, 0}, {3, 1}, {2, 2}, {1, 3}}));
    EXPECT_EQ(d.At(2, 2), kInk);
}

// Antialiased lines share each pixel's weight with the neighbour toward the ideal line:
// every pixel written, its value, and how many were written in all.
TEST(DrawLineSegment, AntialiasedLinesWeighThePixelsBesideThem) {
    struct Expected {
        int x, y;
        std::uint32_t value;
    };
    struct Case {
        const char* name;
        int width, height;
        std::uint32_t background;
        int x1, y1, x2, y2;
        std::uint32_t colour;
        float alpha;
        BlendMode mode;
        std::vector<Expected> pixels;
        std::size_t drawn;
    };
    const Case cases[] = {
        // On the line: c/2 + c/4 + d/4 = 0x7F + 0x3F + 0x10; beside it: d/2 + c/4 + d/4. The
        // last pixel has no neighbours.
        {"diagonal, full-weight copy in word shifts",
         5,
         5,
         0x40404040,
         1,
         1,
         3,
         3,
         0xFFFFFFFF,
         1.0f,
         BLEND_COPY,
         {{1, 1, 0xCECECECE},
          {2, 2, 0xCECECECE},
          {3, 3, 0xCECECECE},
          {2, 1, 0x6F6F6F6F},
          {1, 2, 0x6F6F6F6F},
          {3, 2, 0x6F6F6F6F},
          {2, 3, 0x6F6F6F6F}},
         7},
        // Add at 3w/4 = 192: 0x80 * 192 / 256 = 0x60, alpha 0xBF; beside at w/4 = 64: 0x20, 0x3F.
        {"diagonal through the combiner",
         3,
         3,
         0,
         2,
         0,
         0,
         2,
         0xFF808080,
         1.0f,
         BLEND_ADD,
         {{2, 0, 0xBF606060},
          {1, 1, 0xBF606060},
          {0, 2, 0xBF606060},
          {1, 0, 0x3F202020},
          {2, 1, 0x3F202020},
          {0, 1, 0x3F202020},
          {1, 2, 0x3F202020}},
         7},
        // Ends at full weight; then f = 0x8000 >> 8 = 128: weights 127 on the line, 128 beside.
        // Copy of 255 over 0 at weight k: 255 - 255 * (256 - k) / 256 (truncated): 127, 128.
        // The middle pixel: f = 0, weight 255 -> 255, its neighbour weight 0 stays 0.
        {"slope",
         6,
         4,
         0,
         0,
         0,
         4,
         2,
         0xFFFFFFFF,
         1.0f,
         BLEND_COPY,
         {{0, 0, 0xFFFFFFFF},
          {4, 2, 0xFFFFFFFF},
          {1, 0, 0x7F7F7F7F},
          {1, 1, 0x80808080},
          {3, 2, 0x7F7F7F7F},
          {3, 1, 0x80808080},
          {2, 1, 0xFFFFFFFF}},
         7},
        // Ends at w = 128: 255 - 255 * 128 / 256 = 128. Inner weights 127 * 128 / 256 = 63 and
        // 128 * 128 / 256 = 64: 255 - 255 * 193 / 256 = 63, 255 - 255 * 192 / 256 = 64.
        // Middle: 255 * 128 / 256 = 127 -> 255 - 255 * 129 / 256 = 127.
        {"slope below full weight",
         6,
         4,
         0,
         0,
         0,
         4,
         2,
         0xFFFFFFFF,
         0.5f,
         BLEND_COPY,
         {{0, 0, 0x80808080}, {1, 0, 0x3F3F3F3F}, {1, 1, 0x40404040}, {2, 1, 0x7F7F7F7F}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBitmap d(c.width, c.height, c.background);
        DrawLineSegment(&d, c.x1, c.y1, c.x2, c.y2, c.colour, c.alpha, c.mode, true);
        for (const Expected& e : c.pixels)
            EXPECT_EQ(d.At(e.x, e.y), e.value) << e.x << "," << e.y;
        if (c.drawn) {
            EXPECT_EQ(Drawn(d, c.background).size(), c.drawn);
        }
    }
}

TEST(DrawLineSegment, ShallowSlopeFromBothEnds) {
    TestBitmap even(6, 4, 0), odd(6, 4, 0), reversed(6, 4, 0);
    DrawLineSegment(&even, 0, 0, 4, 2, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(even, 0), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}}));
    DrawLineSegment(&odd, 0, 0, 3, 1, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(odd, 0), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    DrawLineSegment(&reversed, 3, 1, 0, 0, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(reversed, 0), Drawn(odd, 0));
}

TEST(DrawLineSegment, SteepSlope) {
    TestBitmap d(4, 6, 0);
    DrawLineSegment(&d, 2, 4, 0, 0, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(Drawn(d, 0), (Pixels{{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}}));
}

TEST(DrawLineSegment, LongShallowLineCoversEveryColumnOnce) {
    TestBitmap d(40, 10, 0);
    DrawLineSegment(&d, 1, 2, 38, 7, kInk, 1.0f, BLEND_COPY, false);
    const Pixels drawn = Drawn(d, 0);
    EXPECT_EQ(drawn.size(), 38u);
    for (auto [x, y] : drawn) {
        EXPECT_GE(x, 1);
        EXPECT_LE(x, 38);
        // Within half a pixel of the ideal line.
        EXPECT_LE(std::abs((y - 2) * 37 - (x - 1) * 5), 37 / 2 + 1) << x << "," << y;
    }
}

TEST(DrawLineSegment, HonoursBottomUpBitmaps) {
    TestBitmap d(4, 3, 0, true);
    DrawLineSegment(&d, 0, 0, 3, 0, kInk, 1.0f, BLEND_COPY, false);
    EXPECT_EQ(d.Stored(0, 2), kInk);
    EXPECT_EQ(d.At(3, 0), kInk);
    EXPECT_EQ(d.Stored(0, 0), 0u);
}

} // namespace
