#include "artwork.h"
#include "layout.h"
#include "noise.h"

#include <cmath>
#include <numbers>

namespace art {

namespace {

using namespace layout;

constexpr float kPi = std::numbers::pi_v<float>;

struct KnobShape {
    float cx, cy;
    float skirt; // outer radius of the knurled skirt
    float cap;   // radius of the spun top
    float dots;  // radius of the scale dots
    float dot;   // dot size
    std::uint32_t seed;
};

// Dots every tenth of the sweep; the two ends slightly larger.
void Scale(Canvas& p, const KnobShape& k) {
    const int r = static_cast<int>(k.dots + 3.0f);
    Shade(p, static_cast<int>(k.cx) - r, static_cast<int>(k.cy) - r, static_cast<int>(k.cx) + r + 1,
          static_cast<int>(k.cy) + r + 1, [&](float x, float y) {
              float best = 1e9f;
              for (int i = 0; i <= 10; ++i) {
                  const float a = (-0.5f * panel::kKnobSweep +
                                   panel::kKnobSweep / 10.0f * static_cast<float>(i)) *
                                  kPi / 180.0f;
                  const float dx = k.cx + k.dots * std::sin(a), dy = k.cy - k.dots * std::cos(a);
                  const float s = (i == 0 || i == 10) ? k.dot * 1.3f : k.dot;
                  const float d = CircleDistance(x, y, dx, dy, s);
                  best = std::min(best, d);
              }
              return Paint{Rgb(182, 188, 198), 0.85f * p.Cover(best)};
          });
}

void Body(Canvas& p, const KnobShape& k) {
    const int r = static_cast<int>(k.skirt + 8.0f);
    const int x0 = static_cast<int>(k.cx) - r, y0 = static_cast<int>(k.cy) - r;
    const int x1 = static_cast<int>(k.cx) + r + 1, y1 = static_cast<int>(k.cy) + r + 3;
    // Contact shadow close in, and a wider soft one cast downward.
    SoftShadow(p, x0, y0, x1, y1, 0.45f, k.skirt * 0.16f, [&](float x, float y) {
        return CircleDistance(x, y, k.cx, k.cy + k.skirt * 0.09f, k.skirt);
    });
    SoftShadow(p, x0, y0, x1, y1, 0.5f, 1.6f,
               [&](float x, float y) { return CircleDistance(x, y, k.cx, k.cy + 0.8f, k.skirt); });

    const float ridges = std::round(k.skirt * 1.9f);
    Shade(p, x0, y0, x1, y1, [&](float x, float y) {
        const float dx = x - k.cx, dy = y - k.cy;
        const float rad = std::hypot(dx, dy);
        const float d = rad - k.skirt;
        if (d > 1.0f) return Paint{};
        const float ny = dy / std::max(rad, 1e-3f);
        const float theta = std::atan2(dx, -dy);
        float v;
        if (rad > k.cap + 1.0f) {
            // Knurled skirt: dark, ridged, lit from above.
            v = 38.0f - 16.0f * ny;
            const float ridge = std::cos(theta * ridges);
            v += 7.0f * ridge * (0.6f - 0.4f * ny);
            // Slope of the skirt towards its edge.
            const float slope = Clamp01((rad - k.cap) / (k.skirt - k.cap));
            v += (1.0f - slope) * 10.0f * (-ny);
            // Rim highlight along the top edge, shadowed lip below.
            const float rimT = SmoothStep(k.skirt - 2.2f, k.skirt - 0.6f, rad);
            v += rimT * (ny < 0.0f ? 60.0f * (-ny) : -14.0f * ny);
        } else {
            // Spun graphite cap: concentric grain with two broad sheen wedges.
            const float spun = std::pow(0.5f + 0.5f * std::cos(2.0f * (theta + 0.25f)), 3.0f);
            v = 66.0f - 18.0f * ny + 34.0f * spun;
            v += (Hash01(k.seed, static_cast<int>(rad * 2.5f), 0) - 0.5f) * 6.0f;
            v += Grain(k.seed + 1, static_cast<int>(x), static_cast<int>(y)) * 1.0f;
            // The cap sits a step above the skirt: a bright edge on top, dark below.
            const float edge = SmoothStep(k.cap - 1.8f, k.cap + 0.2f, rad);
            v += edge * (ny < 0.0f ? 95.0f * (-ny) + 10.0f : -30.0f * ny);
        }
        // The step between cap and skirt casts a thin shadow onto the skirt.
        const float step = std::fabs(rad - (k.cap + 1.0f));
        v -= 22.0f * (1.0f - SmoothStep(0.0f, 1.2f, step)) * (0.6f + 0.4f * ny);
        v = std::clamp(v, 4.0f, 250.0f);
        return Paint{Rgb(v * 0.97f, v * 0.99f, v * 1.04f), p.Cover(d)};
    });
}

} // namespace

void DrawKnobBodies(Canvas& p) {
    const KnobShape big{.cx = kBigX,
                        .cy = kBigY,
                        .skirt = 35.0f,
                        .cap = 27.5f,
                        .dots = 38.8f,
                        .dot = 1.05f,
                        .seed = 0xB16u};
    Scale(p, big);
    Body(p, big);
    for (int i = 0; i < 3; ++i) {
        const KnobShape small{.cx = kSmallX[i],
                              .cy = kSmallY,
                              .skirt = 22.5f,
                              .cap = 17.0f,
                              .dots = 28.0f,
                              .dot = 0.95f,
                              .seed = 0x5A11u + static_cast<std::uint32_t>(i)};
        Scale(p, small);
        Body(p, small);
    }
}

void DrawPointer(Canvas& image, bool large) {
    // Fully transparent pixels carry black, so bilinear rotation darkens the edge of the
    // mark into its faint shadow rather than into a stray colour.
    ClearTo(image.bitmap, Grey(0));
    // The middle of the image as drawn, about which the editor turns it.
    const float c = static_cast<float>(image.bitmap.Width()) * 0.5f / image.scale;
    const int size = large ? kBigImage : kSmallImage;
    const float inner = large ? 12.5f : 7.5f, outer = large ? 26.0f : 16.0f;
    const float half = large ? 1.55f : 1.3f;
    // Soft dark halo so the mark reads on the light sheen of the cap.
    Shade(image, 0, 0, size, size, [&](float x, float y) {
        const float d = SegmentDistance(x, y, c, c - inner, c, c - outer) - half;
        return Paint{Grey(0), 0.35f * (1.0f - SmoothStep(-0.5f, 1.8f, d))};
    });
    Shade(image, 0, 0, size, size, [&](float x, float y) {
        const float d = SegmentDistance(x, y, c, c - inner, c, c - outer) - half;
        return Paint{Rgb(250, 250, 246), image.Cover(d)};
    });
}

} // namespace art
