#include "artwork.h"
#include "layout.h"
#include "noise.h"

#include <cmath>
#include <map>
#include <memory>

namespace art {

Fonts::Fonts(float scale)
    : label{"Liberation Sans", "Bold", 11.5f, Typeface::Size::Em, 1.0f, scale},
      button{"Liberation Sans", "Bold", 10.5f, Typeface::Size::Em, 1.0f, scale},
      title{"Liberation Sans", "Bold", 26.0f, Typeface::Size::Em, 0.9f, scale},
      maker{"Liberation Sans", "Bold", 8.5f, Typeface::Size::Em, 1.0f, scale},
      engraved{"Liberation Sans", "Bold", 8.5f, Typeface::Size::Em, 1.0f, scale},
      value{"Liberation Sans",    "Regular", static_cast<float>(panel::kValueTextSize),
            Typeface::Size::Cell, 1.0f,      scale},
      version{"DejaVu Sans",        "Book", static_cast<float>(panel::kVersionTextSize),
              Typeface::Size::Cell, 1.0f,   scale} {}

const Fonts& GetFonts(float scale) {
    static std::map<float, std::unique_ptr<Fonts>> fonts;
    std::unique_ptr<Fonts>& at = fonts[scale];
    if (!at) at = std::make_unique<Fonts>(scale);
    return *at;
}

namespace {

using namespace layout;

constexpr std::uint32_t kFaceSeed = 0x51A7E;
constexpr std::uint32_t kHeaderSeed = 0xA1u;
constexpr std::uint32_t kPlateSeed = 0x9A7Eu;

// Graphite tint: a touch of blue keeps the dark face from looking muddy.
Colour Graphite(float v) {
    return {v * 0.96f, v * 0.99f, v * 1.05f};
}
Colour Aluminium(float v) {
    return {v * 0.985f, v * 0.995f, v * 1.01f};
}

void Face(Canvas& p) {
    Shade(p, 0, kHeaderBottom, kWidth, kHeight, [](float x, float y) {
        const float t = (y - kHeaderBottom) / static_cast<float>(kHeight - kHeaderBottom);
        float v = 43.0f - 11.0f * t;
        v += Brushed(kFaceSeed, x, y) * 2.0f;
        v += Grain(kFaceSeed + 7, static_cast<int>(x), static_cast<int>(y)) * 1.3f;
        const float dx = (x - kWidth * 0.5f) / (kWidth * 0.5f);
        v *= 1.0f - 0.13f * dx * dx;
        return Paint{Graphite(v), 1.0f};
    });
    // The outermost pixels of the panel fall off into a dark edge, like a chamfer.
    Shade(p, 0, kHeaderBottom, kWidth, kHeight, [](float x, float y) {
        const float edge = std::min({x, kWidth - x, kHeight - y});
        return Paint{Grey(0), 0.45f * (1.0f - SmoothStep(0.0f, 2.5f, edge))};
    });
}

void Header(Canvas& p) {
    Shade(p, 0, 0, kWidth, kHeaderBottom, [](float x, float y) {
        const float t = y / static_cast<float>(kHeaderBottom);
        float v = 216.0f - 26.0f * t;
        v += Brushed(kHeaderSeed, x, y) * 7.5f;
        v += Grain(kHeaderSeed + 3, static_cast<int>(x), static_cast<int>(y)) * 1.5f;
        // A broad soft sheen across the middle, as from a strip light above.
        const float sheen = std::exp(-std::pow((x - 300.0f) / 190.0f, 2.0f));
        v += 8.0f * sheen * (1.0f - t);
        const float edge = std::min(x, kWidth - x);
        v -= 26.0f * (1.0f - SmoothStep(0.0f, 2.5f, edge));
        return Paint{Aluminium(v), 1.0f};
    });
    // Top chamfer catches the light; the bottom one faces away from it.
    OverRow(p, 0, Grey(255), 0.55f);
    OverRow(p, kHeaderBottom - 2, Grey(120), 0.35f);
    OverRow(p, kHeaderBottom - 1, Grey(40), 0.75f);
    // Shadow of the strip on the face below.
    Shade(p, 0, kHeaderBottom, kWidth, kHeaderBottom + 8, [](float, float y) {
        const float d = y - kHeaderBottom;
        return Paint{Grey(0), 0.55f * std::exp(-d / 2.2f)};
    });
}

void Screw(Canvas& p, float cx, float cy, float turn) {
    const float r = 5.2f;
    SoftShadow(p, static_cast<int>(cx) - 9, static_cast<int>(cy) - 9, static_cast<int>(cx) + 10,
               static_cast<int>(cy) + 11, 0.55f, 2.2f,
               [&](float x, float y) { return CircleDistance(x, y, cx, cy + 1.0f, r); });
    Shade(p, static_cast<int>(cx) - 6, static_cast<int>(cy) - 6, static_cast<int>(cx) + 7,
          static_cast<int>(cy) + 7, [&](float x, float y) {
              const float d = CircleDistance(x, y, cx, cy, r);
              const float ny = (y - cy) / r, nx = (x - cx) / r;
              float v = 170.0f - 50.0f * ny - 10.0f * nx;
              // Dome shading plus a bright spot up and to the left.
              v += 60.0f *
                   std::exp(-((nx + 0.35f) * (nx + 0.35f) + (ny + 0.45f) * (ny + 0.45f)) * 5.0f);
              // Cross recess turned by `turn`.
              const float c = std::cos(turn), s = std::sin(turn);
              const float u = (x - cx) * c + (y - cy) * s, w = -(x - cx) * s + (y - cy) * c;
              const float slot = std::min(std::max(std::fabs(u) - 3.2f, std::fabs(w) - 0.65f),
                                          std::max(std::fabs(w) - 3.2f, std::fabs(u) - 0.65f));
              const float inSlot = p.Cover(slot);
              v = v * (1.0f - inSlot) + 35.0f * inSlot;
              // Rim: darker outline all round.
              v *= 1.0f - 0.35f * SmoothStep(-1.6f, 0.0f, d);
              return Paint{Aluminium(v), p.Cover(d)};
          });
}

void TitlePlate(Canvas& p, const Fonts& f) {
    const float l = kPlateLeft + 0.5f, t = kPlateTop + 0.5f;
    const float r = kPlateRight - 0.5f, b = kPlateBottom - 0.5f;
    SoftShadow(
        p, kPlateLeft - 4, kPlateTop - 2, kPlateRight + 4, kPlateBottom + 6, 0.5f, 3.0f,
        [&](float x, float y) { return RoundRectDistance(x, y, l, t + 1.5f, r, b + 1.5f, 5.0f); });
    Shade(p, kPlateLeft - 1, kPlateTop - 1, kPlateRight + 1, kPlateBottom + 1,
          [&](float x, float y) {
              const float d = RoundRectDistance(x, y, l, t, r, b, 5.0f);
              const float ty = (y - t) / (b - t);
              float v = 40.0f - 24.0f * ty;
              v += Brushed(kPlateSeed, x, y) * 1.6f;
              // Glassy sheen over the upper part.
              v += 9.0f * (1.0f - SmoothStep(0.30f, 0.52f, ty));
              // Bevel: light along the top edge, a dark lip along the bottom.
              const float rim = SmoothStep(-2.2f, -0.3f, d);
              const float lightSide = ty < 0.5f ? 1.0f : -0.6f;
              v += rim * 55.0f * lightSide;
              v = std::max(v, 6.0f);
              return Paint{Graphite(v), p.Cover(d)};
          });

    // Maker's mark: a blue disc with a T, then the name "Velmorande" and the maker "TALVO".
    const float ex = 201.0f, ey = 29.5f, er = 14.5f;
    SoftShadow(p, 180, 10, 222, 50, 0.6f, 2.5f,
               [&](float x, float y) { return CircleDistance(x, y, ex, ey + 1.0f, er); });
    Shade(p, 184, 13, 218, 47, [&](float x, float y) {
        const float d = CircleDistance(x, y, ex, ey, er);
        const float ny = (y - ey) / er;
        Colour c = Mix(Rgb(92, 150, 240), Rgb(24, 58, 138), Clamp01(0.5f + 0.5f * ny));
        // Inner ring engraved a pixel inside the edge.
        const float ring = std::fabs(d + 2.6f) - 0.5f;
        c = Mix(c, Rgb(150, 195, 255), 0.55f * p.Cover(ring) * (ny < 0 ? 1.0f : 0.5f));
        c = Mix(c, Rgb(10, 20, 45), 0.6f * SmoothStep(-1.2f, 0.0f, d));
        return Paint{c, p.Cover(d)};
    });
    // The T: bar and stem with a little taper, white with a soft shadow.
    auto tee = [&](float x, float y) {
        const float bar = RoundRectDistance(x, y, ex - 8.0f, ey - 8.0f, ex + 8.0f, ey - 4.0f, 1.0f);
        const float stem =
            RoundRectDistance(x, y, ex - 2.0f, ey - 7.0f, ex + 2.0f, ey + 9.0f, 1.0f);
        return std::min(bar, stem);
    };
    Shade(p, 188, 16, 214, 43, [&](float x, float y) {
        return Paint{Rgb(5, 15, 40), 0.55f * p.Cover(tee(x - 0.6f, y - 1.0f))};
    });
    Shade(p, 188, 16, 214, 43, [&](float x, float y) {
        const float v = 255.0f - 30.0f * Clamp01((y - (ey - 8.0f)) / 17.0f);
        return Paint{Rgb(v * 0.96f, v * 0.98f, v), p.Cover(tee(x, y))};
    });

    const TextMask title = f.title.Render("Velmorande", -0.4f);
    const int tx = 224, tb = 34;
    const float capTop = static_cast<float>(tb) - f.title.CapHeight() / p.scale;
    DrawMaskWith(p, title, PenAt(p, tx, tb + 1), [](float, float) { return Paint{Grey(0), 0.7f}; });
    DrawMaskWith(p, title, PenAt(p, tx, tb), [&](float, float y) {
        const float k = Clamp01((y - capTop) / (static_cast<float>(tb) - capTop));
        const float v = 248.0f - 62.0f * k + 22.0f * SmoothStep(0.55f, 1.0f, k);
        return Paint{Rgb(v * 0.97f, v * 0.985f, v), 1.0f};
    });
    const TextMask maker = f.maker.Render("TALVO", 3.1f);
    DrawMask(p, maker, PenAt(p, tx + 1, 46), Rgb(118, 165, 240));
    // A fine rule after the maker's name runs to the plate's right margin.
    const float ruleStart = static_cast<float>(tx + 1) + maker.advance / p.scale + 6.0f;
    Shade(p, static_cast<int>(ruleStart), 41, kPlateRight - 8, 44, [&](float x, float y) {
        const float fade = 1.0f - SmoothStep(ruleStart, static_cast<float>(kPlateRight - 10), x);
        return Paint{Rgb(118, 165, 240), 0.45f * fade * p.Cover(std::fabs(y - 42.5f) - 0.4f)};
    });
}

// Dark letters pressed into the aluminium, with a light lip underneath.
void Engrave(Canvas& p, const TextMask& m, float cx, int baseline) {
    const Pen pen = CentredPen(p, cx, baseline, m);
    DrawMask(p, m, {pen.x, p.Edge(baseline + 1)}, Grey(255), 0.55f);
    DrawMask(p, m, pen, Rgb(70, 74, 80), 0.9f);
}

// Light print on the dark face, with a shadow that lifts it off the texture.
void Print(Canvas& p, const TextMask& m, float cx, int baseline) {
    const Pen pen = CentredPen(p, cx, baseline, m);
    DrawMask(p, m, {pen.x, p.Edge(baseline + 1)}, Grey(0), 0.6f);
    DrawMask(p, m, pen, Rgb(206, 210, 216));
}

void Divider(Canvas& p, float x) {
    Shade(p, static_cast<int>(x) - 1, 66, static_cast<int>(x) + 2, 204, [&](float px, float py) {
        const float fade = SmoothStep(66.0f, 84.0f, py) * (1.0f - SmoothStep(186.0f, 204.0f, py));
        if (px < x) return Paint{Grey(0), 0.0f};
        if (px < x + 1.0f) return Paint{Grey(6), 0.75f * fade};
        return Paint{Grey(255), 0.09f * fade};
    });
}

// Recessed display window that the run-time read-outs are written into.
void Window(Canvas& p, float l, float t, float r, float b) {
    Shade(p, static_cast<int>(l) - 2, static_cast<int>(t) - 2, static_cast<int>(r) + 2,
          static_cast<int>(b) + 2, [&](float x, float y) {
              const float d = RoundRectDistance(x, y, l, t, r, b, 3.5f);
              // Outer lip: a faint highlight below, the cut edge above.
              if (d > 0.0f) {
                  // Light falls from above: the lower lip is lit, the upper one and the
                  // sides are in the shadow of the cut.
                  const float lip = p.Cover(d - 1.0f) * (1.0f - p.Cover(d));
                  return y > b ? Paint{Grey(255), 0.13f * lip} : Paint{Grey(0), 0.4f * lip};
              }
              float v = 13.0f + 4.0f * Clamp01((y - t) / (b - t));
              // Inner shadow from the top edge.
              v -= 9.0f * std::exp(-(y - t) / 2.0f);
              return Paint{Rgb(v * 0.9f, v * 0.97f, v * 1.12f), p.Cover(d)};
          });
}

} // namespace

void DrawPanel(Canvas& p) {
    const Fonts& f = GetFonts(p.scale);
    Face(p);
    Header(p);
    Screw(p, 13.0f, 13.0f, 0.35f);
    Screw(p, 517.0f, 13.0f, 1.1f);
    Screw(p, 13.0f, 197.0f, 0.8f);
    Screw(p, 517.0f, 197.0f, 0.15f);
    TitlePlate(p, f);

    const TextMask kind = f.engraved.Render("STEREO REVERSE DELAY", 1.2f);
    Engrave(p, kind, 439.0f, 34);

    Divider(p, 206.0f);
    Divider(p, 418.0f);

    Print(p, f.label.Render("Delay Rate", 0.3f), kBigX, 76);
    Print(p, f.label.Render("Pan Width", 0.3f), kSmallX[0], 87);
    Print(p, f.label.Render("Feedback", 0.3f), kSmallX[1], 87);
    Print(p, f.label.Render("Frequency", 0.3f), kSmallX[2], 87);
    Print(p, f.label.Render("Dry", 0.3f), kFaderX[0], 75);
    Print(p, f.label.Render("Wet", 0.3f), kFaderX[1], 75);

    Window(p, 36.0f, 171.0f, 113.0f, 191.0f);
    Window(p, 211.0f, 158.0f, 267.0f, 178.0f);
    Window(p, 282.0f, 158.0f, 338.0f, 178.0f);
    Window(p, 350.0f, 158.0f, 412.0f, 178.0f);
    Window(p, 421.0f, 173.0f, 504.0f, 193.0f);
}

} // namespace art
