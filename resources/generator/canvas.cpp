#include "canvas.h"

#include "bitmap/pixel_word.h"

namespace art {

float CircleDistance(float x, float y, float cx, float cy, float r) {
    return std::hypot(x - cx, y - cy) - r;
}

float RoundRectDistance(float x, float y, float left, float top, float right, float bottom,
                        float radius) {
    const float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
    const float hx = (right - left) * 0.5f - radius, hy = (bottom - top) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SegmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    const float vx = bx - ax, vy = by - ay;
    const float len2 = vx * vx + vy * vy;
    const float t = len2 > 0.0f ? Clamp01(((x - ax) * vx + (y - ay) * vy) / len2) : 0.0f;
    return std::hypot(x - (ax + vx * t), y - (ay + vy * t));
}

namespace {

std::uint32_t& At(PixelBitmap& bitmap, int x, int y) {
    const int row = bitmap.IsFlipped() ? bitmap.Height() - 1 - y : y;
    return bitmap.Bits()[static_cast<std::ptrdiff_t>(row) * bitmap.RowSpan() + x];
}

int Byte(float v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

} // namespace

Paint Get(const PixelBitmap& bitmap, int x, int y) {
    const std::uint32_t p = At(const_cast<PixelBitmap&>(bitmap), x, y);
    return {{static_cast<float>(PixelR(p)), static_cast<float>(PixelG(p)),
             static_cast<float>(PixelB(p))},
            static_cast<float>(PixelA(p)) / 255.0f};
}

void Set(PixelBitmap& bitmap, int x, int y, Colour c, float a) {
    At(bitmap, x, y) = PackPixel(Byte(a * 255.0f), Byte(c.r), Byte(c.g), Byte(c.b));
}

void Over(PixelBitmap& bitmap, int x, int y, Colour c, float a) {
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height() || a <= 0.0f) return;
    const Paint d = Get(bitmap, x, y);
    const float outA = a + d.a * (1.0f - a);
    if (outA <= 0.0f) return;
    const float kd = d.a * (1.0f - a) / outA, ks = a / outA;
    Set(bitmap, x, y, {c.r * ks + d.c.r * kd, c.g * ks + d.c.g * kd, c.b * ks + d.c.b * kd}, outA);
}

void OverRow(Canvas& c, int panelRow, Colour colour, float a) {
    const int top = std::max(c.Y(static_cast<float>(panelRow)), 0);
    const int bottom = std::min(c.Y(static_cast<float>(panelRow + 1)), c.bitmap.Height());
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < c.bitmap.Width(); ++x)
            Over(c.bitmap, x, y, colour, a);
}

void ClearTo(PixelBitmap& bitmap, Colour c) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            Set(bitmap, x, y, c, 0.0f);
}

} // namespace art
