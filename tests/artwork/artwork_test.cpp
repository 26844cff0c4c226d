// The committed panel images the editor loads, at every scale they are drawn at.
#include "bitmap/pixel_word.h"
#include "bitmap/png_loader.h"
#include "plugin/layout/panel_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr float kScales[] = {VELMORANDE_PANEL_IMAGE_SCALES};

// The file of an image at a scale: bg.png, bg@1.5x.png, bg@2x.png.
std::string PathOf(const char* name, float scale) {
    std::string path = std::string(VELMORANDE_ARTWORK_DIR) + "/" + name;
    if (scale == 1.0f) return path + ".png";
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "@%gx.png", static_cast<double>(scale));
    return path + suffix;
}

std::unique_ptr<PixelBitmap> Load(const char* name, float scale) {
    return LoadPngFile(PathOf(name, scale).c_str());
}

// The device pixel edge of a panel coordinate.
int Edge(int panel, float scale) {
    return static_cast<int>(std::floor(static_cast<float>(panel) * scale + 0.5f));
}

// PNG colour type from the IHDR chunk: 2 RGB, 6 RGBA.
int ColourType(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
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

// Brightest and darkest pixel of a panel rectangle at a scale.
std::pair<int, int> LumaRange(const PixelBitmap& b, const IPlugRect& r, float scale) {
    int lo = 255, hi = 0;
    for (int y = Edge(r.top, scale); y < Edge(r.bottom, scale); ++y)
        for (int x = Edge(r.left, scale); x < Edge(r.right, scale); ++x) {
            lo = std::min(lo, Luma(Pixel(b, x, y)));
            hi = std::max(hi, Luma(Pixel(b, x, y)));
        }
    return {lo, hi};
}

class Artwork : public ::testing::TestWithParam<float> {};

// Each image at a scale covers the device pixels of its panel rectangle.
TEST_P(Artwork, SizesAndAlpha) {
    using namespace panel;
    const float s = GetParam();
    const int buttonsWidth = Edge(kSyncButton.x + kButtonImage.width, s) - Edge(kSyncButton.x, s);
    struct Expected {
        const char* name;
        int width, height, colourType;
    } const all[] = {
        {"bg", Edge(kSize.width, s), Edge(kSize.height, s), 6},
        {"knob", Edge(kDelayKnobImage.width, s), Edge(kDelayKnobImage.height, s), 6},
        {"knob2", Edge(kSmallKnobImage.width, s), Edge(kSmallKnobImage.height, s), 6},
        {"slider", Edge(kHandleImage.width, s), Edge(kHandleImage.height, s), 2},
        {"radio", buttonsWidth,
         Edge(kModeButtons.y + kModeCount * kButtonImage.height, s) - Edge(kModeButtons.y, s), 6},
        {"but", buttonsWidth, Edge(kSyncButton.y + kButtonImage.height, s) - Edge(kSyncButton.y, s),
         2}};
    for (const Expected& e : all) {
        SCOPED_TRACE(PathOf(e.name, s));
        const auto b = Load(e.name, s);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->Width(), e.width);
        EXPECT_EQ(b->Height(), e.height);
        EXPECT_EQ(ColourType(PathOf(e.name, s)), e.colourType);
    }
}

TEST_P(Artwork, BackgroundIsOpaque) {
    const auto bg = Load("bg", GetParam());
    ASSERT_TRUE(bg);
    for (int y = 0; y < bg->Height(); ++y)
        for (int x = 0; x < bg->Width(); ++x)
            ASSERT_EQ(PixelA(Pixel(*bg, x, y)), 255) << x << "," << y;
}

// The run-time text lands on these areas: translucent black on a light strip for the
// version, nearly white on dark windows for the read-outs.
TEST_P(Artwork, TextAreasContrast) {
    using namespace panel;
    const float s = GetParam();
    const auto bg = Load("bg", s);
    ASSERT_TRUE(bg);
    EXPECT_GT(LumaRange(*bg, kVersion, s).first, 150);
    const IPlugRect readouts[] = {Readout(kDelayKnob, kDelayKnobImage),
                                  Readout(kSmallKnobs[0], kSmallKnobImage),
                                  Readout(kSmallKnobs[1], kSmallKnobImage),
                                  Readout(kSmallKnobs[2], kSmallKnobImage),
                                  FaderReadout(kFaders[0]),
                                  FaderReadout(kFaders[1])};
    for (const IPlugRect& r : readouts)
        EXPECT_LT(LumaRange(*bg, r, s).second, 60) << r.left << "," << r.top;
}

// Pointers: a mark in the upper half near the centre line, nothing in the lower half, so
// the rotation shows one mark only.
TEST_P(Artwork, PointersMarkTheTopOnly) {
    const float s = GetParam();
    for (const char* name : {"knob", "knob2"}) {
        SCOPED_TRACE(PathOf(name, s));
        const auto k = Load(name, s);
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
                    EXPECT_LE(std::abs(2 * x + 1 - k->Width()), 4 * s) << x << "," << y;
                }
            }
        EXPECT_GT(opaqueTop, 10 * s * s);
    }
}

// The lit buttons replace the unlit ones in place: their slices differ from the
// background where the key is, and match it in the corners outside the key.
TEST_P(Artwork, LitButtonsFitTheBackground) {
    const float s = GetParam();
    const auto bg = Load("bg", s);
    const auto radio = Load("radio", s);
    const auto but = Load("but", s);
    ASSERT_TRUE(bg && radio && but);
    const int left = Edge(panel::kSyncButton.x, s);
    const int w = but->Width();
    auto check = [&](const PixelBitmap& lit, int panelTop) {
        const int sliceTop =
            Edge(panelTop, s) -
            Edge(lit.Height() == but->Height() ? panel::kSyncButton.y : panel::kModeButtons.y, s);
        const int bgTop = Edge(panelTop, s);
        const int h = Edge(panelTop + panel::kButtonImage.height, s) - bgTop;
        int changed = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                changed += Pixel(lit, x, sliceTop + y) != Pixel(*bg, left + x, bgTop + y);
        EXPECT_GT(changed, 200 * s * s) << panelTop;
        EXPECT_EQ(Pixel(lit, 0, sliceTop), Pixel(*bg, left, bgTop)) << panelTop;
        EXPECT_EQ(Pixel(lit, w - 1, sliceTop + h - 1), Pixel(*bg, left + w - 1, bgTop + h - 1))
            << panelTop;
    };
    check(*but, panel::kSyncButton.y);
    for (int i = 0; i < panel::kModeCount; ++i)
        check(*radio, panel::kModeButtons.y + panel::kButtonImage.height * i);
}

// The images at larger scales show the same panel: scaled down to 1x they come close to
// the 1x image everywhere but at edges and printed words.
TEST_P(Artwork, EveryScaleShowsTheSamePanel) {
    const float s = GetParam();
    const auto one = Load("bg", 1.0f);
    const auto big = Load("bg", s);
    ASSERT_TRUE(one && big);
    int far = 0;
    for (int y = 0; y < one->Height(); ++y)
        for (int x = 0; x < one->Width(); ++x) {
            const int bx = std::min(static_cast<int>((x + 0.5f) * s), big->Width() - 1);
            const int by = std::min(static_cast<int>((y + 0.5f) * s), big->Height() - 1);
            far += std::abs(Luma(Pixel(*one, x, y)) - Luma(Pixel(*big, bx, by))) > 40;
        }
    EXPECT_LT(far, one->Width() * one->Height() / 50) << "pixels far from the 1x image";
}

INSTANTIATE_TEST_SUITE_P(Scales, Artwork, ::testing::ValuesIn(kScales),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return "x" + std::to_string(static_cast<int>(info.param * 100));
                         });

} // namespace
