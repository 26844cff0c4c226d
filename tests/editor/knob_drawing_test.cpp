// The angle a rotary knob draws at, against the same picture rotated independently.
#include "bitmap/heap_bitmap.h"
#include "controls/knob.h"
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
} // namespace

// A knob turns through its range centred on the image as stored: value v draws it at
// (v - 1/2) x range degrees, its source shifted by -|2v - 1| pixels towards the ends.
TEST(IKnobRotVal, DrawsAtTheAngleOfItsValue) {
    for (int frames : {1, 2}) {
        for (int range : {300, 270}) {
            for (double value : {0.0, 0.1, 0.3, 0.5, 0.7, 0.9, 1.0}) {
                SCOPED_TRACE(testing::Message()
                             << frames << " frames, range " << range << ", value " << value);
                RecordingPlug plug;
                const IPlugImage image{&Dial(frames), frames * kSize, kSize, frames};
                OffscreenEditor knobEditor(&plug, 100, 100, 0);
                IPlugText noText;
                noText.size = 0;
                auto* knob = new IKnobRotVal(&plug, 0, 50, 50, image, noText, 0, range, 4.0, 0, 0,
                                             1.0f, false);
                knob->SetValue(value);
                knobEditor.AddControl(knob);
                knobEditor.CreateDrawSurface();
                Ground(*knobEditor.DrawBitmap());
                knobEditor.DrawAll();

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
