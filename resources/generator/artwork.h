#pragma once

#include "canvas.h"
#include "layout.h"
#include "type.h"

#include <memory>

// The pieces of the editor's artwork; each draws into a bitmap that the caller owns.
namespace art {

// Faces used across the panel, opened once.
struct Fonts {
    Typeface label{"Liberation Sans", "Bold", 11.5f};
    Typeface button{"Liberation Sans", "Bold", 10.5f};
    Typeface title{"Liberation Sans", "Bold", 26.0f, Typeface::Size::Em, 0.9f};
    Typeface maker{"Liberation Sans", "Bold", 8.5f};
    Typeface engraved{"Liberation Sans", "Bold", 8.5f};
    // Stand-ins for the run-time fonts in the preview: metric twins of Arial and a
    // Verdana-like face, sized like Windows fonts of cell height 16 and 13.
    Typeface value{"Liberation Sans", "Regular", float(panel::kValueTextSize),
                   Typeface::Size::Cell};
    Typeface version{"DejaVu Sans", "Book", float(panel::kVersionTextSize), Typeface::Size::Cell};
};
const Fonts& GetFonts();

// The whole dark face, header, title plate, printed words, windows and screws.
void DrawPanel(PixelBitmap& panel);
// Knob bodies with their scales, large and small.
void DrawKnobBodies(PixelBitmap& panel);
// A pointer image (transparent square) for a knob of the given image size.
void DrawPointer(PixelBitmap& image, bool large);
// The Sync and mode buttons, all unlit or all lit.
void DrawButtons(PixelBitmap& panel, bool lit);
// Fader grooves and their scale.
void DrawFaderSlots(PixelBitmap& panel);
// The fader handle image, opaque.
void DrawHandle(PixelBitmap& handle);

// Shades text given as a mask through f(px, py) -> Paint, pen start at x, baseline y.
template <typename Shader>
void DrawMaskWith(PixelBitmap& bitmap, const TextMask& mask, int x, int y, Shader&& f) {
    const int ox = x - mask.left, oy = y - mask.baseline;
    for (int my = 0; my < mask.height; ++my)
        for (int mx = 0; mx < mask.width; ++mx) {
            const float a = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
            if (a <= 0.0f) continue;
            const Paint p =
                f(static_cast<float>(ox + mx) + 0.5f, static_cast<float>(oy + my) + 0.5f);
            Over(bitmap, ox + mx, oy + my, p.c, a * p.a);
        }
}

} // namespace art
