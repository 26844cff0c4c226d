#include "bitmap/blit.h"

#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

using bitmap_detail::RowWalk;
using bitmap_detail::WalkRows;

namespace {

// float -> int truncated toward zero, saturating so that hostile values stay defined.
std::int32_t SaturatingTrunc(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// 16.16 fixed point held as a wrapping unsigned word: the walk may run far outside the
// source, where positions only need to stay outside, not exact.
std::uint32_t ToFixed(float value) {
    return static_cast<std::uint32_t>(SaturatingTrunc(value * 65536.0f));
}

// Integer part of a 16.16 position, negative positions becoming huge so that a single
// unsigned comparison rejects them.
std::uint32_t IntPart(std::uint32_t fixed) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(fixed) >> 16);
}

struct Walk {
    std::uint32_t u, v;       // at the first destination pixel
    std::uint32_t uCol, vCol; // per destination column
    std::uint32_t uRow, vRow; // per destination row
};

struct Source {
    const std::uint32_t* origin; // pixel (0, 0) of the clip rectangle
    std::ptrdiff_t step;
    std::uint32_t width, height; // of the clip rectangle, both >= 1
};

inline int Weighted(std::uint32_t tl, std::uint32_t tr, std::uint32_t bl, std::uint32_t br,
                    std::uint32_t p00, std::uint32_t p10, std::uint32_t p01, std::uint32_t p11,
                    unsigned shift) {
    return static_cast<int>((tl * ((p00 >> shift) & 0xFF) + tr * ((p10 >> shift) & 0xFF) +
                             bl * ((p01 >> shift) & 0xFF) + br * ((p11 >> shift) & 0xFF)) >>
                            16);
}

template <typename C, bool kBilinear>
void RotateRows(RowWalk dest, int width, int height, const Source& src, Walk walk, int w) {
    const std::uint32_t lastCol = src.width - 1, lastRow = src.height - 1;
    std::uint32_t rowU = walk.u, rowV = walk.v;
    for (int y = 0; y < height; ++y, rowU += walk.uRow, rowV += walk.vRow) {
        std::uint32_t* out = dest.Row(y);
        std::uint32_t u = rowU, v = rowV;
        for (int x = 0; x < width; ++x, u += walk.uCol, v += walk.vCol) {
            const std::uint32_t iu = IntPart(u), iv = IntPart(v);
            if constexpr (!kBilinear) {
                if (iv < src.height && iu < src.width) {
                    const std::uint32_t p =
                        src.origin[static_cast<std::ptrdiff_t>(iv) * src.step + iu];
                    C::Apply(out[x], PixelR(p), PixelG(p), PixelB(p), PixelA(p), w);
                }
            } else {
                if (iv > lastRow || iu > lastCol) continue;
                const std::uint32_t* p =
                    src.origin + static_cast<std::ptrdiff_t>(iv) * src.step + iu;
                const std::uint32_t fx = u & 0xFFFF, fy = v & 0xFFFF;
                const std::uint32_t p00 = p[0];
                std::uint32_t p10 = p00, p01 = p00, p11 = p00;
                std::uint32_t tl = 65536, tr = 0, bl = 0, br = 0;
                if (iv < lastRow && iu < lastCol) {
                    p10 = p[1];
                    p01 = p[src.step];
                    p11 = p[src.step + 1];
                    br = (fx * fy) >> 16;
                    bl = fy - br;
                    tr = fx - br;
                    tl = 65536 - fx - fy + br;
                } else if (iv < lastRow) {
                    p01 = p[src.step];
                    tl = 65536 - fy;
                    bl = fy;
                } else if (iu < lastCol) {
                    p10 = p[1];
                    tl = 65536 - fx;
                    tr = fx;
                }
                C::Apply(out[x], Weighted(tl, tr, bl, br, p00, p10, p01, p11, 16),
                         Weighted(tl, tr, bl, br, p00, p10, p01, p11, 8),
                         Weighted(tl, tr, bl, br, p00, p10, p01, p11, 0),
                         Weighted(tl, tr, bl, br, p00, p10, p01, p11, 24), w);
            }
        }
    }
}

} // namespace

void BlitRotated(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int destWidth,
                 int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                 float angle, bool clipToSourceRect, float alpha, BlendMode mode,
                 float rotationOffsetX, float rotationOffsetY) {
    if (!dest || !src || destWidth == 0 || destHeight == 0) return;

    float clipLeft = 0.0f, clipTop = 0.0f;
    float clipRight = static_cast<float>(src->Width());
    float clipBottom = static_cast<float>(src->Height());
    if (clipToSourceRect) {
        clipRight = std::min(clipRight, srcX + srcWidth);
        clipBottom = std::min(clipBottom, srcY + srcHeight);
        clipLeft = std::max(srcX, 0.0f);
        clipTop = std::max(srcY, 0.0f);
    }

    // A negative destination size mirrors: walk the source from its far edge.
    long long dx = destX, dy = destY, w = destWidth, h = destHeight;
    float sx = srcX, sy = srcY, sw = srcWidth, sh = srcHeight;
    if (w < 0) {
        dx += w;
        w = -w;
        sx += srcWidth;
        sw = -srcWidth;
    }
    if (h < 0) {
        dy += h;
        h = -h;
        sy += srcHeight;
        sh = -srcHeight;
    }

    const float c = std::cos(angle), s = std::sin(angle);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float scaleU = sw / fw, scaleV = sh / fh;
    const float uCol = scaleU * c, uRow = scaleU * s;
    const float vCol = -(scaleV * s), vRow = scaleV * c;
    // Chosen so that the destination centre shows the source centre plus the offset.
    float startU = sx - (fh * scaleU * s + sw * c - sw) / 2.0f + rotationOffsetX;
    float startV = sy - (-fw * scaleV * s + sh * c - sh) / 2.0f + rotationOffsetY;

    if (dx < 0) {
        const float excess = static_cast<float>(-dx);
        startU += excess * uCol;
        startV += excess * vCol;
        w += dx;
        dx = 0;
    }
    if (dy < 0) {
        const float excess = static_cast<float>(-dy);
        startU += excess * uRow;
        startV += excess * vRow;
        h += dy;
        dy = 0;
    }
    w = std::min<long long>(w, dest->Width() - dx);
    h = std::min<long long>(h, dest->Height() - dy);
    if (w <= 0 || h <= 0 || !dest->Bits() || !src->Bits()) return;

    const long long left = SaturatingTrunc(clipLeft), top = SaturatingTrunc(clipTop);
    const long long clipW = SaturatingTrunc(clipRight) - left;
    const long long clipH = SaturatingTrunc(clipBottom) - top;
    if (clipW < 1 || clipH < 1) return;

    const int weight = WeightFromAlpha(alpha);
    if (weight == 0) return;

    const RowWalk srcRows = WalkRows(*src, static_cast<int>(left), static_cast<int>(top));
    const Source source{srcRows.first, srcRows.step, static_cast<std::uint32_t>(clipW),
                        static_cast<std::uint32_t>(clipH)};
    const Walk walk{ToFixed(startU - static_cast<float>(left)),
                    ToFixed(startV - static_cast<float>(top)),
                    ToFixed(uCol),
                    ToFixed(vCol),
                    ToFixed(uRow),
                    ToFixed(vRow)};
    const RowWalk destRows = WalkRows(*dest, static_cast<int>(dx), static_cast<int>(dy));
    const int width = static_cast<int>(w), height = static_cast<int>(h);
    const bool bilinear = ((mode >> 8) & 0xFF) == 0x01;

    combine::WithCombiner(mode, weight, [&](auto comb) {
        using C = decltype(comb);
        if (bilinear)
            RotateRows<C, true>(destRows, width, height, source, walk, weight);
        else
            RotateRows<C, false>(destRows, width, height, source, walk, weight);
    });
}
