#include "bitmap/pixel_word.h"
#include "bitmap/png_loader.h"
#include "plugin/layout/panel_layout.h"

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
    using namespace panel;
    const Expected all[] = {{"bg.png", kSize.width, kSize.height, 6},
                            {"knob.png", kDelayKnobImage.width, kDelayKnobImage.height, 6},
                            {"knob2.png", kSmallKnobImage.width, kSmallKnobImage.height, 6},
                            {"slider.png", kHandleImage.width, kHandleImage.height, 2},
                            {"radio.png", kButtonImage.width, kModeCount * kButtonImage.height, 6},
                            {"but.png", kButtonImage.width, kButtonImage.height, 2}};
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
    using namespace panel;
    const auto bg = Load("bg.png");
    ASSERT_TRUE(bg);
    const IPlugRect v = kVersion;
    EXPECT_GT(LumaRange(*bg, v.left, v.top, v.right, v.bottom).first, 150);
    const IPlugRect readouts[] = {Readout(kDelayKnob, kDelayKnobImage),
                                  Readout(kSmallKnobs[0], kSmallKnobImage),
                                  Readout(kSmallKnobs[1], kSmallKnobImage),
                                  Readout(kSmallKnobs[2], kSmallKnobImage),
                                  FaderReadout(kFaders[0]),
                                  FaderReadout(kFaders[1])};
    for (const IPlugRect& r : readouts)
        EXPECT_LT(LumaRange(*bg, r.left, r.top, r.right, r.bottom).second, 60)
            << r.left << "," << r.top;
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
    const int left = panel::kSyncButton.x;
    const auto [w, h] = panel::kButtonImage;
    auto check = [&](const PixelBitmap& lit, int sliceTop, int bgTop) {
        int changed = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                changed += Pixel(lit, x, sliceTop + y) != Pixel(*bg, left + x, bgTop + y);
        EXPECT_GT(changed, 200) << bgTop;
        EXPECT_EQ(Pixel(lit, 0, sliceTop), Pixel(*bg, left, bgTop)) << bgTop;
        EXPECT_EQ(Pixel(lit, w - 1, sliceTop + h - 1), Pixel(*bg, left + w - 1, bgTop + h - 1))
            << bgTop;
    };
    check(*but, 0, panel::kSyncButton.y);
    for (int i = 0; i < panel::kModeCount; ++i)
        check(*radio, h * i, panel::kModeButtons.y + h * i);
}

} // namespace
