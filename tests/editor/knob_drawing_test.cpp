// The angle a rotary knob draws at, against the same picture rotated independently.
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "controls/knob.h"
#include "editor/image_cache.h"
#include "editor/offscreen_editor.h"
#include "support/test_plug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {
constexpr int kSize = 41;

// A pointer up from the centre with a red tip on its right, on transparent pixels, as
// the dial of each of `frames` side-by-side frames (the other frames stay transparent).
HeapBitmap& Dial(int frames) {
    static HeapBitmap one(kSize, kSize), two(2 * kSize, kSize);
    HeapBitmap& b = frames == 1 ? one : two;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < b.Width(); ++x) {
            std::uint32_t p = 0;
            if (x >= 18 && x <= 22 && y >= 3 && y <= 20) p = 0xFF20A040u;
            if (x >= 23 && x <= 26 && y >= 3 && y <= 7) p = 0xFFE01010u;
            b.Bits()[y * b.RowSpan() + x] = p;
        }
    return b;
}

// The off-screen bitmap starts as it comes; both pictures get the same opaque ground.
void Ground(PixelBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.Bits()[y * b.RowSpan() + x] = 0xFF303030u;
}

int PointerPixels(const PixelBitmap& b) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += b.Bits()[y * b.RowSpan() + x] != 0xFF303030u;
    return n;
}

// Largest difference of one colour channel between the two pictures.
int MaxDifference(const PixelBitmap& a, const PixelBitmap& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::uint32_t p = a.Bits()[y * a.RowSpan() + x];
            const std::uint32_t q = b.Bits()[y * b.RowSpan() + x];
            for (int shift = 0; shift < 32; shift += 8)
                worst =
                    std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
        }
    return worst;
}
// Draws a knob at (50, 50) of a 100 x 100 editor, on the ground, at the editor's scale.
void DrawKnob(OffscreenEditor& editor, InProcessTwoParamPlug& plug, const IPlugImage& image,
              int range, double value) {
    IPlugText noText;
    noText.size = 0;
    auto* knob = new IKnobRotVal(&plug, 0, 50, 50, image, noText, 0, range, 4.0, 0, 0, 1.0f, false);
    knob->SetValue(value);
    editor.AddControl(knob);
    editor.CreateDrawSurface();
    Ground(*editor.DrawBitmap());
    editor.DrawAll();
}
} // namespace

// A knob turns through its range centred on the image as stored: value v draws it at
// (v - 1/2) x range degrees, its source shifted by -|2v - 1| pixels towards the ends.
TEST(IKnobRotVal, DrawsAtTheAngleOfItsValue) {
    for (int frames : {1, 2}) {
        for (int range : {300, 270}) {
            for (double value : {0.0, 0.1, 0.3, 0.5, 0.7, 0.9, 1.0}) {
                SCOPED_TRACE(testing::Message()
                             << frames << " frames, range " << range << ", value " << value);
                InProcessTwoParamPlug plug;
                const IPlugImage image{&Dial(frames), frames * kSize, kSize, frames};
                OffscreenEditor knobEditor(&plug, 100, 100, 0);
                DrawKnob(knobEditor, plug, image, range, value);

                OffscreenEditor reference(&plug, 100, 100, 0);
                reference.CreateDrawSurface();
                Ground(*reference.DrawBitmap());
                const IPlugImage dial =
                    frames == 1 ? image : reference.CropImage(image, {0, 0, kSize, kSize});
                const double angle = (value - 0.5) * range * std::numbers::pi / 180.0;
                const float shift = static_cast<float>(-std::fabs(2.0 * value - 1.0));
                const IPlugBlend blend{IPlugBlend::BlendAlpha, 1.0f};
                reference.DrawImageRotated(dial, 50, 50, angle, shift, shift, &blend);

                ASSERT_GT(PointerPixels(*reference.DrawBitmap()), 60) << "something to compare";
                EXPECT_LE(MaxDifference(*knobEditor.DrawBitmap(), *reference.DrawBitmap()), 1);
            }
        }
    }
}

namespace {
// Where the red tip of the pointer lies, relative to a point, in panel pixels.
struct Tip {
    double x = 0, y = 0;
    int pixels = 0;
};
Tip RedTip(const PixelBitmap& b, double scale, double cx, double cy) {
    Tip t;
    double weight = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const std::uint32_t p = b.Bits()[y * b.RowSpan() + x];
            const int red = static_cast<int>((p >> 16) & 0xFF) - static_cast<int>((p >> 8) & 0xFF);
            if (red < 60) continue;
            t.x += red * ((x + 0.5) / scale - cx);
            t.y += red * ((y + 0.5) / scale - cy);
            weight += red;
            ++t.pixels;
        }
    if (weight > 0) {
        t.x /= weight;
        t.y /= weight;
    }
    return t;
}

// The dial drawn at twice the size, as art of the scale would be.
HeapBitmap& DialArt() {
    static HeapBitmap art(2 * kSize, 2 * kSize);
    const HeapBitmap& one = Dial(1);
    for (int y = 0; y < art.Height(); ++y)
        for (int x = 0; x < art.Width(); ++x)
            art.Bits()[y * art.RowSpan() + x] = one.Bits()[(y / 2) * one.RowSpan() + x / 2];
    return art;
}
} // namespace

// At 1.5x and 2x the knob turns to the same angle about the same panel point as at 1x,
// drawn from its art of the scale or, without art, from its 1x image resampled: the tip of
// the pointer lands where turning the stored image by (v - 1/2) x range puts it.
TEST(IKnobRotVal, DrawsAtTheAngleOfItsValueAtEveryScale) {
    constexpr int kArtId = 9001;
    image_cache::Add(kArtId, std::make_unique<HeapBitmap>(0, 0), 150); // no art at 1.5x
    static bool added = [] {
        auto copy = std::make_unique<HeapBitmap>(2 * kSize, 2 * kSize);
        BlitBitmap(copy.get(), &DialArt(), 0, 0, nullptr, 1.0f, BLEND_COPY);
        image_cache::Add(kArtId, std::move(copy), 200);
        return true;
    }();
    ASSERT_TRUE(added);
    // The image is placed at (50 - 41 / 2.0) truncated and turns about its middle, taken
    // in pixel indices: half a pixel right of and below the middle of its pixels.
    const double centre = static_cast<int>(50 - kSize / 2.0) + kSize / 2.0 + 0.5;
    // The tip's centre in the stored image, from that point.
    const double tipX = 25.0 - (kSize / 2.0 + 0.5), tipY = 5.5 - (kSize / 2.0 + 0.5);
    const int range = 300;
    for (double factor : {1.0, 1.5, 2.0}) {
        for (int id : {-1, kArtId}) {
            for (double value : {0.0, 0.2, 0.5, 0.8, 1.0}) {
                SCOPED_TRACE(testing::Message()
                             << factor << "x, art id " << id << ", value " << value);
                InProcessTwoParamPlug plug;
                const IPlugImage image{&Dial(1), kSize, kSize, 1, id};
                OffscreenEditor editor(&plug, 100, 100, 0);
                editor.SetHostScale(factor);
                DrawKnob(editor, plug, image, range, value);
                ASSERT_EQ(editor.DrawBitmap()->Width(), editor.Scale().ToDevice(100));

                const double a = (value - 0.5) * range * std::numbers::pi / 180.0;
                // Turned clockwise on the screen (y down) by a; the source shift of up to
                // one panel pixel towards the ends of the sweep moves the picture with it.
                const double shift = -std::fabs(2.0 * value - 1.0);
                const double ex = (tipX - shift) * std::cos(a) - (tipY - shift) * std::sin(a);
                const double ey = (tipX - shift) * std::sin(a) + (tipY - shift) * std::cos(a);
                const Tip tip =
                    RedTip(*editor.DrawBitmap(), editor.Scale().Factor(), centre, centre);
                ASSERT_GT(tip.pixels, 10 * factor * factor);
                EXPECT_NEAR(tip.x, ex, 0.15);
                EXPECT_NEAR(tip.y, ey, 0.15);
            }
        }
    }
}
