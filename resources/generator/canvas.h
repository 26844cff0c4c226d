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
// Pixel coverage of a shape from its signed distance (negative inside), one pixel wide.
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

// Evaluates shader(px, py) at the centre of every pixel of [x0, x1) x [y0, y1) (clipped
// to the bitmap) and composites the Paint it returns.
template <typename Shader>
void Shade(PixelBitmap& bitmap, int x0, int y0, int x1, int y1, Shader&& shader) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, bitmap.Width());
    y1 = std::min(y1, bitmap.Height());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Paint p = shader(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            if (p.a > 0.0f) Over(bitmap, x, y, p.c, std::min(p.a, 1.0f));
        }
}

// A soft shadow: black at the given strength fading over `soft` pixels outside the
// distance field d(px, py).
template <typename Distance>
void SoftShadow(PixelBitmap& bitmap, int x0, int y0, int x1, int y1, float strength, float soft,
                Distance&& d) {
    Shade(bitmap, x0, y0, x1, y1, [&](float px, float py) {
        const float t = 1.0f - SmoothStep(-soft * 0.35f, soft, d(px, py));
        return Paint{Grey(0), strength * t};
    });
}

// Makes the whole bitmap fully transparent, its pixels carrying colour c.
void ClearTo(PixelBitmap& bitmap, Colour c);

} // namespace art
