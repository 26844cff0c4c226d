#include "artwork.h"
#include "layout.h"

#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"

#include <cmath>

namespace art {

namespace {

using namespace layout;

constexpr const char* kWords[4] = {"Sync", "Triplet", "Dotted", "Normal"};
constexpr float kKeyLeft = kButtonLeft + 2.0f, kKeyRight = kButtonLeft + kButtonWidth - 2.0f;
constexpr float kLedX = kButtonLeft + 10.5f;
constexpr float kWordX = kButtonLeft + 50.0f;

const Colour kLitText = Rgb(190, 226, 255);
const Colour kGlow = Rgb(60, 140, 255);

// The four keys sit in one recessed tray.
void Tray(Canvas& p) {
    const float l = kButtonLeft + 0.5f, t = kSyncTop + 0.5f;
    const float r = kButtonLeft + kButtonWidth - 0.5f, b = kModeTop + 3 * kButtonHeight - 0.5f;
    Shade(p, kButtonLeft - 1, kSyncTop - 1, kButtonLeft + kButtonWidth + 1,
          kModeTop + 3 * kButtonHeight + 1, [&](float x, float y) {
              const float d = RoundRectDistance(x, y, l, t, r, b, 4.0f);
              if (d > 0.0f) {
                  const float lip = p.Cover(d - 1.0f) * (1.0f - p.Cover(d));
                  return y > b ? Paint{Grey(255), 0.1f * lip} : Paint{Grey(0), 0.35f * lip};
              }
              const float inner = std::exp(-(y - t) / 2.5f) + 0.5f * std::exp(-(x - l) / 2.0f);
              return Paint{Grey(0), (0.32f + 0.35f * inner) * p.Cover(d)};
          });
}

void Key(Canvas& p, int index, bool lit) {
    const Fonts& f = GetFonts(p.scale);
    const int top = kSyncTop + kButtonHeight * index;
    const float l = kKeyLeft, t = static_cast<float>(top) + 2.0f;
    const float r = kKeyRight, b = static_cast<float>(top) + 18.0f;
    const float ledY = static_cast<float>(top) + 10.0f;
    SoftShadow(
        p, kButtonLeft, top, kButtonLeft + kButtonWidth, top + kButtonHeight, 0.6f, 1.5f,
        [&](float x, float y) { return RoundRectDistance(x, y, l, t + 1.0f, r, b + 0.7f, 3.0f); });
    Shade(p, kButtonLeft, top, kButtonLeft + kButtonWidth, top + kButtonHeight,
          [&](float x, float y) {
              const float d = RoundRectDistance(x, y, l, t, r, b, 3.0f);
              const float ty = Clamp01((y - t) / (b - t));
              float v = 64.0f - 24.0f * ty;
              // Top edge catches the light, the bottom edge darkens.
              v += 34.0f * (1.0f - SmoothStep(0.0f, 1.6f, y - t)) * SmoothStep(-1.5f, -0.5f, -d);
              v -= 16.0f * (1.0f - SmoothStep(0.0f, 1.5f, b - y));
              Colour c = Rgb(v * 0.97f, v * 0.99f, v * 1.04f);
              if (lit) {
                  // Light from the LED spills across the key face.
                  const float spill = std::exp(-std::pow((x - kLedX) / 22.0f, 2.0f));
                  c = Mix(c, Rgb(40, 90, 170), 0.35f * spill);
              }
              // Thin dark outline.
              c = Mix(c, Grey(8), 0.7f * SmoothStep(-1.1f, 0.0f, d));
              return Paint{c, p.Cover(d)};
          });
    // LED: a small lens, dark when off, blue when on.
    Shade(p, kButtonLeft + 4, top + 3, kButtonLeft + 18, top + 17, [&](float x, float y) {
        const float d = CircleDistance(x, y, kLedX, ledY, 2.6f);
        const float ring = CircleDistance(x, y, kLedX, ledY, 3.6f);
        if (d > 0.0f) {
            // Bezel ring around the lens.
            return Paint{Grey(14), 0.8f * p.Cover(ring)};
        }
        const float ny = (y - ledY) / 2.6f, nx = (x - kLedX) / 2.6f;
        Colour c = lit ? Mix(Rgb(235, 248, 255), Rgb(60, 150, 255), Clamp01(std::hypot(nx, ny)))
                       : Mix(Rgb(52, 60, 74), Rgb(22, 26, 34), Clamp01(0.5f + 0.5f * ny));
        const float glint =
            std::exp(-((nx + 0.3f) * (nx + 0.3f) + (ny + 0.45f) * (ny + 0.45f)) * 6.0f);
        c = Mix(c, Grey(255), (lit ? 0.3f : 0.5f) * glint);
        return Paint{c, p.Cover(d)};
    });
    const TextMask word = f.button.Render(kWords[index], 0.25f);
    const int base = top + 14;
    const Pen pen = CentredPen(p, kWordX, base, word);
    DrawMask(p, word, {pen.x, p.Edge(base + 1)}, Grey(0), 0.55f);
    DrawMask(p, word, pen, lit ? kLitText : Rgb(150, 155, 164));
}

// Blue bloom of every lit LED and word, each confined to its own button slice so that a
// slice drawn alone at run time carries all of its own light. The blur spreads as far in
// panel pixels at every scale: its spread grows with the square root of the passes.
void Glow(Canvas& p) {
    const Fonts& f = GetFonts(p.scale);
    const int passes = static_cast<int>(std::lround(6.0f * p.scale * p.scale));
    for (int i = 0; i < 4; ++i) {
        const int top = kSyncTop + kButtonHeight * i;
        const int x = p.X(kButtonLeft), y = p.Y(top);
        const int w = p.X(kButtonLeft + kButtonWidth) - x, h = p.Y(top + kButtonHeight) - y;
        HeapBitmap bitmap(w, h);
        Canvas layer{bitmap, p.scale, p.originX + x, p.originY + y};
        ClearTo(bitmap, Grey(0));
        Shade(layer, kButtonLeft, top, kButtonLeft + kButtonWidth, top + kButtonHeight,
              [&](float px, float py) {
                  return Paint{kGlow, layer.Cover(CircleDistance(
                                          px, py, kLedX, static_cast<float>(top) + 10.0f, 4.0f))};
              });
        const TextMask word = f.button.Render(kWords[i], 0.25f);
        DrawMask(layer, word, CentredPen(layer, kWordX, top + 14, word), kGlow);
        for (int pass = 0; pass < passes; ++pass)
            BlurRegion(&bitmap, &bitmap, 0, 0, 0, 0, w, h);
        BlitBitmap(&p.bitmap, &bitmap, x, y, nullptr, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA);
    }
}

} // namespace

void DrawButtons(Canvas& p, bool lit) {
    Tray(p);
    for (int i = 0; i < 4; ++i)
        Key(p, i, lit);
    if (lit) Glow(p);
}

} // namespace art
