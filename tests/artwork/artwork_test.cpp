#include "bitmap/pixel_word.h"
#include "bitmap/png_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string PathOf(const char* name) {
    return std::string(VELMORANDE_ARTWORK_DIR) + "/" + name;
}

std::unique_ptr<PixelBitmap> Load(const char* name) {
    return LoadPngFile(PathOf(name).c_str());
}

// PNG colour type from the IHDR chunk: 2 RGB, 6 RGBA.
int ColourType(const char* name) {
    std::ifstream in(PathOf(name), std::ios::binary);
    char header[26] = {};
    in.read(header, sizeof header);
    return in ? static_cast<unsigned char>(header[25]) : -1;
}

std::uint32_t Pixel(const PixelBitmap& b, int x, int y) {
    const int row = b.IsFlipped() ? b.Height() - 1 - y : y;
    return b.Bits()[static_cast<std::ptrdiff_t>(row) * b.RowSpan() + x];
}

int Luma(std::uint32_t p) {
    return (PixelR(p) * 3 + PixelG(p) * 6 + PixelB(p)) / 10;
}

// Brightest and darkest pixel of a rectangle (right and bottom exclusive).
std::pair<int, int> LumaRange(const PixelBitmap& b, int l, int t, int r, int bottom) {
    int lo = 255, hi = 0;
    for (int y = t; y < bottom; ++y)
        for (int x = l; x < r; ++x) {
            lo = std::min(lo, Luma(Pixel(b, x, y)));
            hi = std::max(hi, Luma(Pixel(b, x, y)));
        }
    return {lo, hi};
}

struct Expected {
    const char* name;
    int width, height, colourType;
};

TEST(Artwork, SizesAndAlpha) {
    const Expected all[] = {{"bg.png", 530, 210, 6},  {"knob.png", 81, 81, 6},
                            {"knob2.png", 50, 50, 6}, {"slider.png", 14, 31, 2},
                            {"radio.png", 86, 60, 6}, {"but.png", 86, 20, 2}};
    for (const Expected& e : all) {
        SCOPED_TRACE(e.name);
        const auto b = Load(e.name);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->Width(), e.width);
        EXPECT_EQ(b->Height(), e.height);
        EXPECT_EQ(ColourType(e.name), e.colourType);
    }
}

TEST(Artwork, BackgroundIsOpaque) {
    const auto bg = Load("bg.png");
    ASSERT_TRUE(bg);
    for (int y = 0; y < bg->Height(); ++y)
        for (int x = 0; x < bg->Width(); ++x)
            ASSERT_EQ(PixelA(Pixel(*bg, x, y)), 255) << x << "," << y;
}

// The run-time text lands on these areas: translucent black on a light strip for the
// version, nearly white on dark windows for the read-outs.
TEST(Artwork, TextAreasContrast) {
    const auto bg = Load("bg.png");
    ASSERT_TRUE(bg);
    EXPECT_GT(LumaRange(*bg, 45, 12, 95, 30).first, 150);
    const int readouts[][4] = {{33, 173, 115, 189},  {214, 160, 264, 176}, {285, 160, 335, 176},
                               {351, 160, 411, 176}, {424, 175, 464, 191}, {461, 175, 501, 191}};
    for (const auto& r : readouts)
        EXPECT_LT(LumaRange(*bg, r[0], r[1], r[2], r[3]).second, 60) << r[0] << "," << r[1];
}

// Pointers: a mark in the upper half near the centre line, nothing in the lower half, so
// the rotation shows one mark only.
TEST(Artwork, PointersMarkTheTopOnly) {
    for (const char* name : {"knob.png", "knob2.png"}) {
        SCOPED_TRACE(name);
        const auto k = Load(name);
        ASSERT_TRUE(k);
        int opaqueTop = 0;
        for (int y = 0; y < k->Height(); ++y)
            for (int x = 0; x < k->Width(); ++x) {
                const int a = PixelA(Pixel(*k, x, y));
                if (y > k->Height() / 2) {
                    ASSERT_EQ(a, 0) << x << "," << y;
                }
                if (a == 255) {
                    ++opaqueTop;
                    EXPECT_LE(std::abs(2 * x + 1 - k->Width()), 4) << x << "," << y;
                }
            }
        EXPECT_GT(opaqueTop, 10);
    }
}

// The lit buttons replace the unlit ones in place: their slices differ from the
// background where the key is, and match it in the corners outside the key.
TEST(Artwork, LitButtonsFitTheBackground) {
    const auto bg = Load("bg.png");
    const auto radio = Load("radio.png");
    const auto but = Load("but.png");
    ASSERT_TRUE(bg && radio && but);
    auto check = [&](const PixelBitmap& lit, int sliceTop, int bgTop) {
        int changed = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 86; ++x)
                changed += Pixel(lit, x, sliceTop + y) != Pixel(*bg, 115 + x, bgTop + y);
        EXPECT_GT(changed, 200) << bgTop;
        EXPECT_EQ(Pixel(lit, 0, sliceTop), Pixel(*bg, 115, bgTop)) << bgTop;
        EXPECT_EQ(Pixel(lit, 85, sliceTop + 19), Pixel(*bg, 200, bgTop + 19)) << bgTop;
    };
    check(*but, 0, 83);
    for (int i = 0; i < 3; ++i)
        check(*radio, 20 * i, 103 + 20 * i);
}

} // namespace
