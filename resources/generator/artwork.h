#pragma once

#include "canvas.h"
#include "layout.h"
#include "type.h"

#include <memory>

// The pieces of the editor's artwork; each draws into a bitmap that the caller owns.
namespace art {

// Faces used across the panel, opened once for each scale.
struct Fonts {
    explicit Fonts(float scale);

    Typeface label, button, title, maker, engraved;
    // Stand-ins for the run-time fonts in the preview: metric twins of Arial and a
    // Verdana-like face, sized like Windows fonts of the run-time cell heights.
    Typeface value, version;
};
const Fonts& GetFonts(float scale);

// The whole dark face, header, title plate, printed words, windows and screws.
void DrawPanel(Canvas& panel);
// Knob bodies with their scales, large and small.
void DrawKnobBodies(Canvas& panel);
// A pointer image (transparent square) for a knob of the given image size.
void DrawPointer(Canvas& image, bool large);
// The Sync and mode buttons, all unlit or all lit.
void DrawButtons(Canvas& panel, bool lit);
// Fader grooves and their scale.
void DrawFaderSlots(Canvas& panel);
// The fader handle image, opaque.
void DrawHandle(Canvas& handle);

// Shades text given as a mask through f(px, py) -> Paint (panel coordinates), at a pen.
template <typename Shader> void DrawMaskWith(Canvas& c, const TextMask& mask, Pen pen, Shader&& f) {
    const int ox = pen.x - c.originX - mask.left, oy = pen.y - c.originY - mask.baseline;
    for (int my = 0; my < mask.height; ++my)
        for (int mx = 0; mx < mask.width; ++mx) {
            const float a = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
            if (a <= 0.0f) continue;
            const Paint p = f(c.PanelX(ox + mx), c.PanelY(oy + my));
            Over(c.bitmap, ox + mx, oy + my, p.c, a * p.a);
        }
}

} // namespace art
