#include "bitmap/blit.h"

#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

enum : int { kLeft = 1, kRight = 2, kAbove = 4, kBelow = 8 };

struct Point {
    long long x, y;
};

int Outcode(Point p, long long maxX, long long maxY) {
    int code = 0;
    if (p.x < 0)
        code |= kLeft;
    else if (p.x > maxX)
        code |= kRight;
    if (p.y < 0)
        code |= kAbove;
    else if (p.y > maxY)
        code |= kBelow;
    return code;
}

// Moves outside ends onto the bitmap's edges. False when the segment misses the bitmap.
bool ClipSegment(Point& a, Point& b, long long maxX, long long maxY) {
    int codeA = Outcode(a, maxX, maxY), codeB = Outcode(b, maxX, maxY);
    for (int moves = 0;; ++moves) {
        if ((codeA | codeB) == 0) return true;
        if ((codeA & codeB) != 0 || moves == 32) return false;
        const int code = codeA ? codeA : codeB;
        const double dx = static_cast<double>(b.x - a.x), dy = static_cast<double>(b.y - a.y);
        double x, y;
        // An end outside an edge with both ends on the same side was rejected above, so
        // the divisors below are not zero.
        if (code & kBelow) {
            y = static_cast<double>(maxY);
            x = static_cast<double>(a.x) + dx * static_cast<double>(maxY - a.y) / dy;
        } else if (code & kAbove) {
            y = 0.0;
            x = static_cast<double>(a.x) + dx * static_cast<double>(-a.y) / dy;
        } else if (code & kRight) {
            x = static_cast<double>(maxX);
            y = static_cast<double>(a.y) + dy * static_cast<double>(maxX - a.x) / dx;
        } else {
            x = 0.0;
            y = static_cast<double>(a.y) + dy * static_cast<double>(-a.x) / dx;
        }
        const Point crossing{static_cast<long long>(x), static_cast<long long>(y)};
        if (codeA) {
            a = crossing;
            codeA = Outcode(a, maxX, maxY);
        } else {
            b = crossing;
            codeB = Outcode(b, maxX, maxY);
        }
    }
}

struct Canvas {
    std::uint32_t* bits;
    std::ptrdiff_t span;
    int width, height;

    std::uint32_t& At(int x, int y) const {
        return bits[static_cast<std::ptrdiff_t>(y) * span + x];
    }
    bool Inside(int x, int y) const {
        return static_cast<unsigned>(x) < static_cast<unsigned>(width) &&
               static_cast<unsigned>(y) < static_cast<unsigned>(height);
    }
};

template <typename C> struct Pen {
    Canvas canvas;
    int r, g, b, a;

    void Plot(int x, int y, int w) const {
        // The clipped ends are inside; the guard keeps a rounding slip from ever writing
        // outside.
        if (canvas.Inside(x, y)) C::Apply(canvas.At(x, y), r, g, b, a, w);
    }
};

template <typename F> void RewriteRun(std::uint32_t* p, std::ptrdiff_t step, int count, F f) {
    for (int i = 0; i < count; ++i, p += step)
        *p = f(*p);
}

// Horizontal or vertical: count pixels from p, step apart.
void DrawStraight(std::uint32_t* p, std::ptrdiff_t step, int count, std::uint32_t colour,
                  float alpha, BlendMode operation) {
    if (operation == BLEND_COPY) {
        if (alpha == 1.0f)
            return RewriteRun(p, step, count, [colour](std::uint32_t) { return colour; });
        if (alpha == 0.5f)
            return RewriteRun(p, step, count,
                              [colour](std::uint32_t d) { return MixHalf(colour, d); });
        if (alpha == 0.25f)
            return RewriteRun(p, step, count,
                              [colour](std::uint32_t d) { return MixQuarter(colour, d); });
        if (alpha == 0.75f)
            return RewriteRun(p, step, count,
                              [colour](std::uint32_t d) { return MixThreeQuarters(colour, d); });
    }
    const int w = WeightFromAlpha(alpha);
    if (w == 0) return;
    if (operation == BLEND_COPY && w == 256)
        return RewriteRun(p, step, count, [colour](std::uint32_t) { return colour; });
    if (operation == BLEND_COPY && w == 128)
        return RewriteRun(p, step, count, [colour](std::uint32_t d) { return MixHalf(colour, d); });
    const int r = PixelR(colour), g = PixelG(colour), b = PixelB(colour), a = PixelA(colour);
    combine::WithCombiner(operation, w, [&](auto c) {
        RewriteRun(p, step, count, [&](std::uint32_t d) {
            decltype(c)::Apply(d, r, g, b, a, w);
            return d;
        });
    });
}

template <typename C>
void DrawDiagonal(const Pen<C>& pen, int x, int y, int sx, int sy, int n, int w, bool antialias) {
    if (!antialias) {
        for (int i = 0; i <= n; ++i, x += sx, y += sy)
            pen.Plot(x, y, w);
        return;
    }
    const int onLine = 3 * w / 4, beside = w / 4;
    for (int i = 0; i <= n; ++i, x += sx, y += sy) {
        pen.Plot(x, y, onLine);
        if (i == n) break;
        pen.Plot(x + sx, y, beside);
        pen.Plot(x, y + sy, beside);
    }
}

// The full-weight antialiased copy diagonal, in word shifts.
void DrawDiagonalCopyFull(const Canvas& canvas, int x, int y, int sx, int sy, int n,
                          std::uint32_t colour) {
    auto mix = [&](int px, int py, bool onLine) {
        if (!canvas.Inside(px, py)) return;
        std::uint32_t& d = canvas.At(px, py);
        d = onLine ? MixThreeQuarters(colour, d) : MixQuarter(colour, d);
    };
    for (int i = 0; i <= n; ++i, x += sx, y += sy) {
        mix(x, y, true);
        if (i == n) break;
        mix(x + sx, y, false);
        mix(x, y + sy, false);
    }
}

// Any other slope, drawn from both ends toward the middle. (x, y) is the end with the
// smaller major coordinate; (minorX, minorY) is its minor step toward the other end.
template <typename C>
void DrawSloped(const Pen<C>& pen, int x, int y, int ex, int ey, bool xMajor, int minorX,
                int minorY, int n, int slope, int w, bool antialias) {
    const int majorX = xMajor ? 1 : 0, majorY = xMajor ? 0 : 1;
    const int steps = (n + 1) / 2;
    auto moveMajor = [&] {
        x += majorX, y += majorY;
        ex -= majorX, ey -= majorY;
    };
    auto moveMinor = [&] {
        x += minorX, y += minorY;
        ex -= minorX, ey -= minorY;
    };

    if (!antialias) {
        int acc = 0;
        for (int i = 0; i < steps; ++i) {
            pen.Plot(x, y, w);
            pen.Plot(ex, ey, w);
            if (acc + slope >= 0x8000) {
                moveMinor();
                acc += slope - 0x10000;
            } else {
                acc += slope;
            }
            moveMajor();
        }
        if (n % 2 == 0) pen.Plot(x, y, w);
        return;
    }

    auto scaled = [w](int weight) { return w < 256 ? weight * w / 256 : weight; };
    pen.Plot(x, y, w);
    pen.Plot(ex, ey, w);
    moveMajor();
    int acc = slope;
    for (int i = 1; i < steps; ++i) {
        const int f = acc >> 8;
        const int near = scaled(255 - f), far = scaled(f);
        pen.Plot(x, y, near);
        pen.Plot(x + minorX, y + minorY, far);
        pen.Plot(ex, ey, near);
        pen.Plot(ex - minorX, ey - minorY, far);
        if (acc + slope >= 0x10000) {
            moveMinor();
            acc += slope - 0x10000;
        } else {
            acc += slope;
        }
        moveMajor();
    }
    if (n % 2 == 0) {
        const int f = acc >> 8;
        pen.Plot(x, y, scaled(255 - f));
        pen.Plot(x + minorX, y + minorY, scaled(f));
    }
}

int Sign(int v) {
    return v < 0 ? -1 : 1;
}

} // namespace

void DrawLineSegment(PixelBitmap* dest, int x1, int y1, int x2, int y2, std::uint32_t colour,
                     float alpha, BlendMode mode, bool antialias) {
    if (!dest) return;
    const int height = dest->Height(), width = dest->Width();
    std::uint32_t* bits = dest->Bits();
    if (!bits || width <= 0 || height <= 0) return;
    const BlendMode operation = mode & kBlendOperationMask;
    if (operation > BLEND_HSV_ADJUST) return;

    // On a bottom-up bitmap the rows are counted from the stored end.
    Point a{x1, y1}, b{x2, y2};
    if (dest->IsFlipped()) {
        a.y = height - 1 - a.y;
        b.y = height - 1 - b.y;
    }
    if (!ClipSegment(a, b, width - 1, height - 1)) return;

    const Canvas canvas{bits, dest->RowSpan(), width, height};
    const int ax = static_cast<int>(a.x), ay = static_cast<int>(a.y);
    const int bx = static_cast<int>(b.x), by = static_cast<int>(b.y);
    const int dx = bx - ax, dy = by - ay;
    const int n = std::max(std::abs(dx), std::abs(dy));

    if (dy == 0) {
        DrawStraight(&canvas.At(std::min(ax, bx), ay), 1, std::abs(dx) + 1, colour, alpha,
                     operation);
        return;
    }
    if (dx == 0) {
        DrawStraight(&canvas.At(ax, std::min(ay, by)), canvas.span, std::abs(dy) + 1, colour, alpha,
                     operation);
        return;
    }

    const int w = WeightFromAlpha(alpha);
    if (w == 0) return;
    if (std::abs(dx) == std::abs(dy) && antialias && operation == BLEND_COPY && alpha == 1.0f) {
        DrawDiagonalCopyFull(canvas, ax, ay, Sign(dx), Sign(dy), n, colour);
        return;
    }

    combine::WithCombinerAnyWeight(operation, [&](auto c) {
        using C = decltype(c);
        const Pen<C> pen{canvas, PixelR(colour), PixelG(colour), PixelB(colour), PixelA(colour)};
        if (std::abs(dx) == std::abs(dy)) {
            DrawDiagonal(pen, ax, ay, Sign(dx), Sign(dy), n, w, antialias);
            return;
        }
        const bool xMajor = std::abs(dx) > std::abs(dy);
        const int minorExtent = xMajor ? std::abs(dy) : std::abs(dx);
        const int slope =
            static_cast<int>(static_cast<double>(minorExtent) / static_cast<double>(n) * 65536.0);
        // Start from the end with the smaller major coordinate.
        const bool swapEnds = xMajor ? ax > bx : ay > by;
        const int sx = swapEnds ? bx : ax, sy = swapEnds ? by : ay;
        const int ex = swapEnds ? ax : bx, ey = swapEnds ? ay : by;
        const int minorX = xMajor ? 0 : Sign(ex - sx), minorY = xMajor ? Sign(ey - sy) : 0;
        DrawSloped(pen, sx, sy, ex, ey, xMajor, minorX, minorY, n, slope, w, antialias);
    });
}
