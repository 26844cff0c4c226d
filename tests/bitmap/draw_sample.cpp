// Draws a sample panel with every drawing routine and writes it as a PNG, so that a
// person can look at what the bitmap code produces: bitmap_sample out.png
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// A knob face: a light disc with a dark rim and a pointer toward the top, transparent
// outside the disc.
void DrawKnob(HeapBitmap& knob) {
    const int size = knob.Width();
    const float r = size / 2.0f - 1.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
            const float d = std::sqrt(dx * dx + dy * dy);
            std::uint32_t p = 0;
            if (d <= r) p = d > r - 3 ? 0xFF303840 : 0xFFB8C4D0;
            if (std::fabs(dx) < 2.0f && dy < 0 && dy > -r + 4) p = 0xFFE04020;
            knob.Bits()[y * knob.RowSpan() + x] = p;
        }
}

} // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "bitmap_sample.png";
    HeapBitmap panel(530, 210, 4);
    for (int y = 0; y < 210; ++y)
        FillRectangle(&panel, 0, y, 530, 1, 0xFF000000u | ((20 + y / 3) * 0x010101u), 1.0f,
                      BLEND_COPY);

    HeapBitmap knob(64, 64, 4);
    DrawKnob(knob);
    for (int i = 0; i < 5; ++i) {
        const float angle =
            static_cast<float>(-0.75 * std::numbers::pi + i * 0.375 * std::numbers::pi);
        BlitRotated(&panel, &knob, 20 + i * 80, 20, 64, 64, 0, 0, 64, 64, angle, false, 1.0f,
                    BLEND_COPY | BLEND_SOURCE_ALPHA | BLEND_BILINEAR);
    }
    BlitRotated(&panel, &knob, 530, 20, -64, 64, 0, 0, 64, 64, 0.5f, false, 1.0f,
                BLEND_COPY | BLEND_SOURCE_ALPHA); // mirrored, nearest

    for (int i = 0; i < 8; ++i) {
        DrawLineSegment(&panel, 20, 110 + i * 12, 200, 100 + i * 14, 0xFFFFFF80, 1.0f, BLEND_COPY,
                        i % 2);
        DrawLineSegment(&panel, 220 + i * 8, 100, 230 + i * 14, 200, 0xFF80FFFF, 0.8f, BLEND_COPY,
                        true);
    }
    DrawLineSegment(&panel, 360, 100, 460, 200, 0xFFFFFFFF, 1.0f, BLEND_COPY, true);

    FillRectangle(&panel, 470, 100, 50, 100, 0x80FF2020, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA);
    FillRectangle(&panel, 480, 110, 30, 80, 0xFF2040FF, 0.5f, BLEND_ADD);
    BlurRegion(&panel, &panel, 465, 95, 465, 95, 60, 110);

    BlitBitmapArea(&panel, &panel, 420, 110, 20, 20, 40, 40, 1.0f, BLEND_HSV_ADJUST);
    if (!WritePngFile(panel, out)) {
        std::fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    std::printf("wrote %s\n", out);
    return 0;
}
