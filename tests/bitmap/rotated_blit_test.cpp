#include "bitmap/blit.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <numbers>

namespace {

constexpr std::uint32_t kBlank = 0x0BADBEEF;

// Pixel (x, y) of the source reads 0xFF000000 | y << 8 | x.
TestBitmap Numbered(int w, int h, bool flipped = false) {
    TestBitmap s(w, h, 0, flipped);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.At(x, y) = 0xFF000000u | (y << 8) | x;
    return s;
}
std::uint32_t From(int x, int y) {
    return 0xFF000000u | (y << 8) | x;
}

void Rotate(TestBitmap& d, const TestBitmap& s, float angle, BlendMode mode, float offX = 0,
            float offY = 0) {
    BlitRotated(&d, &s, 0, 0, d.Width(), d.Height(), 0, 0, static_cast<float>(s.Width()),
                static_cast<float>(s.Height()), angle, false, 1.0f, mode, offX, offY);
}

TEST(BlitRotated, AngleZeroReproducesTheImage) {
    for (BlendMode mode : {BLEND_COPY, BLEND_COPY | BLEND_BILINEAR}) {
        TestBitmap s = Numbered(10, 10), d(10, 10, kBlank);
        Rotate(d, s, 0.0f, mode);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(d.At(x, y), From(x, y)) << mode << " " << x << "," << y;
        EXPECT_TRUE(d.PaddingIs(kBlank));
    }
}

TEST(BlitRotated, QuarterTurnMapsColumnsToRows) {
    const float quarter = static_cast<float>(std::numbers::pi / 2);
    for (BlendMode mode : {BLEND_COPY, BLEND_COPY | BLEND_BILINEAR}) {
        TestBitmap s = Numbered(10, 10), d(10, 10, kBlank);
        Rotate(d, s, quarter, mode);
        for (int y = 0; y < 10; ++y) {
            // Source row 10 does not exist: the left column stays as it was.
            EXPECT_EQ(d.At(0, y), kBlank);
            for (int x = 1; x < 10; ++x)
                ASSERT_EQ(d.At(x, y), From(y, 10 - x)) << mode << " " << x << "," << y;
        }
    }
}

TEST(BlitRotated, CornersOfATurnedSquareStayUntouched) {
    TestBitmap s(10, 10, 0xFF00FF00), d(10, 10, kBlank);
    Rotate(d, s, static_cast<float>(std::numbers::pi / 4), BLEND_COPY | BLEND_BILINEAR);
    EXPECT_EQ(d.At(0, 0), kBlank);
    EXPECT_EQ(d.At(9, 0), kBlank);
    EXPECT_EQ(d.At(0, 9), kBlank);
    EXPECT_EQ(d.At(9, 9), kBlank);
    EXPECT_EQ(d.At(5, 5), 0xFF00FF00u);
    EXPECT_EQ(d.At(5, 1), 0xFF00FF00u);
}

TestBitmap Bilinear2x2() {
    TestBitmap s(2, 2);
    s.At(0, 0) = 0xFF0A141E; // A 255, R 10, G 20, B 30
    s.At(1, 0) = 0xFF152800; // A 255, R 21, G 40, B 0
    s.At(0, 1) = 0x00646464; // A 0, R G B 100
    s.At(1, 1) = 0x40C80000; // A 64, R 200
    return s;
}

TEST(BlitRotated, BilinearHalfPixelAlongX) {
    TestBitmap s = Bilinear2x2(), d(2, 2, kBlank);
    Rotate(d, s, 0.0f, BLEND_COPY | BLEND_BILINEAR, 0.5f, 0.0f);
    // Four taps with tl = tr = 32768: R (10 + 21) / 2 = 15, G 30, B 15.
    EXPECT_EQ(d.At(0, 0), 0xFF0F1E0Fu);
    // Last column: only the vertical pair, fy = 0.
    EXPECT_EQ(d.At(1, 0), 0xFF152800u);
    // Last row: the horizontal pair. A 32, R 150, G 50, B 50.
    EXPECT_EQ(d.At(0, 1), 0x20963232u);
    // Last column and row: the pixel itself.
    EXPECT_EQ(d.At(1, 1), 0x40C80000u);
}

TEST(BlitRotated, BilinearHalfPixelBothWays) {
    TestBitmap s = Bilinear2x2(), d(2, 2, kBlank);
    Rotate(d, s, 0.0f, BLEND_COPY | BLEND_BILINEAR, 0.5f, 0.5f);
    // All four weights 16384: A 574/4 = 143, R 331/4 = 82, G 160/4 = 40, B 130/4 = 32.
    EXPECT_EQ(d.At(0, 0), 0x8F522820u);
    // Last column, fy = 32768: A (255 + 64) / 2 = 159, R (21 + 200) / 2 = 110, G 20, B 0.
    EXPECT_EQ(d.At(1, 0), 0x9F6E1400u);
}

TEST(BlitRotated, BilinearQuarterPixel) {
    TestBitmap s = Bilinear2x2(), d(1, 1, kBlank);
    BlitRotated(&d, &s, 0, 0, 1, 1, 0, 0, 1, 1, 0.0f, false, 1.0f, BLEND_COPY | BLEND_BILINEAR,
                0.25f, 0.0f);
    // tl 49152, tr 16384: R (491520 + 344064) >> 16 = 12, G 25, B 1474560 >> 16 = 22.
    EXPECT_EQ(d.At(0, 0), 0xFF0C1916u);
}

TEST(BlitRotated, NearestIgnoresFractions) {
    TestBitmap s = Bilinear2x2(), d(2, 2, kBlank);
    Rotate(d, s, 0.0f, BLEND_COPY, 0.5f, 0.5f);
    EXPECT_EQ(d.At(0, 0), s.At(0, 0));
    EXPECT_EQ(d.At(1, 1), s.At(1, 1));
}

TEST(BlitRotated, NegativeWidthMirrors) {
    TestBitmap s = Numbered(4, 1), d(4, 1, kBlank);
    BlitRotated(&d, &s, 4, 0, -4, 1, 0, 0, 4, 1, 0.0f, false, 1.0f, BLEND_COPY);
    // Sampling starts on the source's far edge, one past its last column.
    EXPECT_EQ(d.At(0, 0), kBlank);
    EXPECT_EQ(d.At(1, 0), From(3, 0));
    EXPECT_EQ(d.At(2, 0), From(2, 0));
    EXPECT_EQ(d.At(3, 0), From(1, 0));
}

TEST(BlitRotated, NegativeHeightMirrors) {
    TestBitmap s = Numbered(1, 4), d(1, 4, kBlank);
    BlitRotated(&d, &s, 0, 4, 1, -4, 0, 0, 1, 4, 0.0f, false, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), kBlank);
    EXPECT_EQ(d.At(0, 1), From(0, 3));
    EXPECT_EQ(d.At(0, 3), From(0, 1));
}

TEST(BlitRotated, ScalesToTheDestination) {
    TestBitmap s = Numbered(2, 1), d(4, 1, kBlank);
    BlitRotated(&d, &s, 0, 0, 4, 1, 0, 0, 2, 1, 0.0f, false, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), From(0, 0));
    EXPECT_EQ(d.At(1, 0), From(0, 0));
    EXPECT_EQ(d.At(2, 0), From(1, 0));
    EXPECT_EQ(d.At(3, 0), From(1, 0));
}

TEST(BlitRotated, NegativeDestinationPositionAdvancesTheWalk) {
    TestBitmap s = Numbered(4, 4), d(4, 4, kBlank);
    BlitRotated(&d, &s, -2, -1, 4, 4, 0, 0, 4, 4, 0.0f, false, 1.0f, BLEND_COPY);
    EXPECT_EQ(d.At(0, 0), From(2, 1));
    EXPECT_EQ(d.At(1, 2), From(3, 3));
    EXPECT_EQ(d.At(2, 0), kBlank);
    EXPECT_EQ(d.At(0, 3), kBlank);
}

TEST(BlitRotated, ClipToSourceRectangle) {
    TestBitmap s = Numbered(4, 1), clipped(2, 1, kBlank), unclipped(2, 1, kBlank);
    BlitRotated(&clipped, &s, 0, 0, 2, 1, 1, 0, 2, 1, 0.0f, true, 1.0f, BLEND_COPY, 1.0f, 0.0f);
    BlitRotated(&unclipped, &s, 0, 0, 2, 1, 1, 0, 2, 1, 0.0f, false, 1.0f, BLEND_COPY, 1.0f, 0.0f);
    EXPECT_EQ(clipped.At(0, 0), From(2, 0));
    EXPECT_EQ(clipped.At(1, 0), kBlank);
    EXPECT_EQ(unclipped.At(0, 0), From(2, 0));
    EXPECT_EQ(unclipped.At(1, 0), From(3, 0));
}

TEST(BlitRotated, HonoursBottomUpBitmaps) {
    TestBitmap s = Numbered(3, 3, true), d(3, 3, kBlank, true);
    Rotate(d, s, 0.0f, BLEND_COPY | BLEND_BILINEAR);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(d.At(x, y), From(x, y));
}

TEST(BlitRotated, NothingToDraw) {
    TestBitmap s = Numbered(4, 4), d(4, 4, kBlank);
    BlitRotated(nullptr, &s, 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, nullptr, 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 0, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 4, 0, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 0.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, 6);
    BlitRotated(&d, &s, 4, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, -4, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 4, 4, 5, 0, 4, 4, 0.3f, true, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, 0, 0, 4, 4, 0, 0, 0.5f, 4, 0.3f, true, 1.0f, BLEND_COPY);
    BlitRotated(&d, &s, INT_MIN, INT_MIN, INT_MIN, INT_MIN, 0, 0, 4, 4, 0.3f, false, 1.0f,
                BLEND_COPY);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.At(x, y), kBlank);
}

TEST(BlitRotated, HostileCoordinatesStayDefined) {
    TestBitmap s = Numbered(4, 4), d(8, 8, kBlank);
    for (float v : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity()})
        BlitRotated(&d, &s, 0, 0, 8, 8, v, v, v, v, v, true, 1.0f, BLEND_COPY | BLEND_BILINEAR, v,
                    v);
    BlitRotated(&d, &s, 0, 0, INT_MAX, INT_MAX, 0, 0, 4, 4, 1.0f, false, 1.0f, BLEND_COPY);
    EXPECT_TRUE(d.PaddingIs(kBlank));
}

} // namespace
