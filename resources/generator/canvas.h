#pragma once

#include "bitmap/pixel_bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// Drawing on PixelBitmaps with analytic, antialiased shapes. Colours are straight RGB in
// 0..255 as floats so that layered shading rounds only once per layer.
namespace art {

struct Colour {
    float r = 0, g = 0, b = 0;
};

inline Colour Grey(float v) {
    return {v, v, v};
}
inline Colour Rgb(float r, float g, float b) {
    return {r, g, b};
}
inline Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Colour Scale(Colour a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Colour Add(Colour a, float v) {
    return {a.r + v, a.g + v, a.b + v};
}

inline float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}
inline float SmoothStep(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
// Pixel coverage of a shape from its signed distance (negative inside) in pixels, one
// pixel wide.
inline float Cover(float d) {
    return Clamp01(0.5f - d);
}

// Signed distances in pixels.
float CircleDistance(float x, float y, float cx, float cy, float r);
float RoundRectDistance(float x, float y, float left, float top, float right, float bottom,
                        float radius);
float SegmentDistance(float x, float y, float ax, float ay, float bx, float by);

// A colour and how much of it lands on a pixel (0..1).
struct Paint {
    Colour c;
    float a = 0;
};

// Source-over compositing of one pixel; the destination keeps straight alpha.
void Over(PixelBitmap& bitmap, int x, int y, Colour c, float a);
// Reads a pixel as colour and alpha (0..1).
Paint Get(const PixelBitmap& bitmap, int x, int y);
// Stores a pixel, rounding the colour.
void Set(PixelBitmap& bitmap, int x, int y, Colour c, float a);

// A bitmap drawn at `scale` device pixels per panel pixel. Shapes are given in panel
// coordinates and shaded at the centres of the device pixels, and their edges are one device
// pixel soft, so that every scale is drawn sharp by the same code. The origin is where the
// bitmap's first pixel lies among the device pixels of the whole panel: a part drawn on its
// own keeps the panel's pixel grid.
struct Canvas {
    PixelBitmap& bitmap;
    float scale = 1.0f;
    int originX = 0, originY = 0;

    // The device pixel edge nearest to a panel coordinate, on the whole panel's grid.
    int Edge(float panel) const { return static_cast<int>(std::floor(panel * scale + 0.5f)); }
    // The same in this bitmap.
    int X(float panel) const { return Edge(panel) - originX; }
    int Y(float panel) const { return Edge(panel) - originY; }
    // The panel coordinate of a pixel centre of this bitmap.
    float PanelX(int x) const { return (static_cast<float>(x + originX) + 0.5f) / scale; }
    float PanelY(int y) const { return (static_cast<float>(y + originY) + 0.5f) / scale; }
    // Coverage of a shape from its signed distance in panel pixels: one device pixel wide.
    float Cover(float d) const { return art::Cover(d * scale); }
};

// Evaluates shader(px, py) at the centre of every device pixel of the panel rectangle
// [x0, x1) x [y0, y1) (clipped to the bitmap) and composites the Paint it returns.
template <typename Shader> void Shade(Canvas& c, int x0, int y0, int x1, int y1, Shader&& shader) {
    PixelBitmap& bitmap = c.bitmap;
    const int left = std::max(c.X(static_cast<float>(x0)), 0);
    const int top = std::max(c.Y(static_cast<float>(y0)), 0);
    const int right = std::min(c.X(static_cast<float>(x1)), bitmap.Width());
    const int bottom = std::min(c.Y(static_cast<float>(y1)), bitmap.Height());
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const Paint p = shader(c.PanelX(x), c.PanelY(y));
            if (p.a > 0.0f) Over(bitmap, x, y, p.c, std::min(p.a, 1.0f));
        }
}

// A soft shadow: black at the given strength fading over `soft` panel pixels outside the
// distance field d(px, py).
template <typename Distance>
void SoftShadow(Canvas& c, int x0, int y0, int x1, int y1, float strength, float soft,
                Distance&& d) {
    Shade(c, x0, y0, x1, y1, [&](float px, float py) {
        const float t = 1.0f - SmoothStep(-soft * 0.35f, soft, d(px, py));
        return Paint{Grey(0), strength * t};
    });
}

// Composites a colour over every device pixel of one row of panel pixels, across the
// whole bitmap.
void OverRow(Canvas& c, int panelRow, Colour colour, float a);

// Makes the whole bitmap fully transparent, its pixels carrying colour c.
void ClearTo(PixelBitmap& bitmap, Colour c);

} // namespace art
