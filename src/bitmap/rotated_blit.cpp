#include "bitmap/blit.h"

#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>

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

// Floor and ceiling of a / b for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

// The columns [begin, end) of a row whose position start + x * step lies in [0, limit).
struct Columns {
    int begin, end;
};

Columns Within(std::int64_t start, std::int64_t step, std::int64_t limit, int width) {
    std::int64_t begin = 0, end = width;
    if (step > 0) {
        begin = CeilDiv(-start, step);
        end = CeilDiv(limit - start, step);
    } else if (step < 0) {
        begin = FloorDiv(start - limit, -step) + 1;
        end = FloorDiv(start, -step) + 1;
    } else if (start < 0 || start >= limit) {
        end = 0;
    }
    begin = std::clamp<std::int64_t>(begin, 0, width);
    end = std::clamp<std::int64_t>(end, begin, width);
    return {static_cast<int>(begin), static_cast<int>(end)};
}

Columns Both(Columns a, Columns b) {
    const int begin = std::max(a.begin, b.begin);
    return {begin, std::max(begin, std::min(a.end, b.end))};
}

bool FitsInt32(std::int64_t x) {
    return x >= INT32_MIN && x <= INT32_MAX;
}

// Combiners that leave the destination alone when the source alpha is 0: for those a
// clear sample needs no colour.
template <typename C>
constexpr bool kSkipsClearSource =
    std::is_same_v<C, combine::CopyAlphaFull> || std::is_same_v<C, combine::CopyAlphaWeighted> ||
    std::is_same_v<C, combine::AddAlpha> || std::is_same_v<C, combine::MultiplyAlpha>;

inline int Weighted(std::uint32_t tl, std::uint32_t tr, std::uint32_t bl, std::uint32_t br,
                    std::uint32_t p00, std::uint32_t p10, std::uint32_t p01, std::uint32_t p11,
                    unsigned shift) {
    return static_cast<int>((tl * ((p00 >> shift) & 0xFF) + tr * ((p10 >> shift) & 0xFF) +
                             bl * ((p01 >> shift) & 0xFF) + br * ((p11 >> shift) & 0xFF)) >>
                            16);
}

// Combines n samples into n destination pixels.
template <typename C>
void CombineRun(std::uint32_t* out, const int* r, const int* g, const int* b, const int* a, int n,
                int w) {
    for (int i = 0; i < n; ++i)
        C::Apply(out[i], r[i], g[i], b[i], a[i], w);
}

// The knobs' case without branches, so that it vectorises: at a = 255 the blend below
// gives (r, g, b, 255) exactly, and a = 0 keeps the destination.
template <>
void CombineRun<combine::CopyAlphaFull>(std::uint32_t* out, const int* r, const int* g,
                                        const int* b, const int* a, int n, int) {
    for (int i = 0; i < n; ++i) {
        const std::uint32_t d = out[i];
        const int k = 255 - a[i];
        const std::uint32_t blended =
            PackPixel(std::min(255, PixelA(d) + a[i]), r[i] + (PixelR(d) - r[i]) * k / 256,
                      g[i] + (PixelG(d) - g[i]) * k / 256, b[i] + (PixelB(d) - b[i]) * k / 256);
        out[i] = a[i] == 0 ? d : blended;
    }
}

// Interior columns in batches: first the source offsets and fractions, then the four
// neighbours, then the weighted channels in plain arrays that the compiler vectorises,
// and last the combiner.
template <typename C>
void InteriorRun(std::uint32_t* out, const Source& src, std::uint32_t u, std::uint32_t v,
                 const Walk& walk, int begin, int end, int w) {
    constexpr int kBatch = 64;
    std::ptrdiff_t offset[kBatch];
    std::uint32_t fx[kBatch], fy[kBatch], p00[kBatch], p10[kBatch], p01[kBatch], p11[kBatch];
    int r[kBatch], g[kBatch], b[kBatch], a[kBatch];
    const std::ptrdiff_t step = src.step;
    if constexpr (kSkipsClearSource<C>) {
        // Knob images are clear around the knob: leave out the clear ends of the run.
        auto clear = [&](int x) {
            const std::uint32_t cu = u + static_cast<std::uint32_t>(x - begin) * walk.uCol;
            const std::uint32_t cv = v + static_cast<std::uint32_t>(x - begin) * walk.vCol;
            const std::uint32_t* p =
                src.origin + static_cast<std::ptrdiff_t>(cv >> 16) * step + (cu >> 16);
            return ((p[0] | p[1] | p[step] | p[step + 1]) >> 24) == 0;
        };
        int first = begin;
        while (first < end && clear(first))
            ++first;
        while (end > first && clear(end - 1))
            --end;
        u += static_cast<std::uint32_t>(first - begin) * walk.uCol;
        v += static_cast<std::uint32_t>(first - begin) * walk.vCol;
        begin = first;
    }
    for (int x = begin; x < end; x += kBatch) {
        const int n = std::min(kBatch, end - x);
        for (int i = 0; i < n; ++i, u += walk.uCol, v += walk.vCol) {
            offset[i] = static_cast<std::ptrdiff_t>(v >> 16) * step + (u >> 16);
            fx[i] = u & 0xFFFF;
            fy[i] = v & 0xFFFF;
        }
        for (int i = 0; i < n; ++i) {
            const std::uint32_t* p = src.origin + offset[i];
            p00[i] = p[0];
            p10[i] = p[1];
            p01[i] = p[step];
            p11[i] = p[step + 1];
        }
        for (int i = 0; i < n; ++i) {
            const std::uint32_t br = (fx[i] * fy[i]) >> 16, bl = fy[i] - br, tr = fx[i] - br;
            const std::uint32_t tl = 65536 - fx[i] - fy[i] + br;
            r[i] = Weighted(tl, tr, bl, br, p00[i], p10[i], p01[i], p11[i], 16);
            g[i] = Weighted(tl, tr, bl, br, p00[i], p10[i], p01[i], p11[i], 8);
            b[i] = Weighted(tl, tr, bl, br, p00[i], p10[i], p01[i], p11[i], 0);
            a[i] = Weighted(tl, tr, bl, br, p00[i], p10[i], p01[i], p11[i], 24);
        }
        CombineRun<C>(out + x, r, g, b, a, n, w);
    }
}

// Bilinear sample at (u, v) inside the source, any neighbour possibly beyond its last
// row or column.
template <typename C>
inline void SampleEdge(std::uint32_t& out, const Source& src, std::uint32_t u, std::uint32_t v,
                       int w) {
    const std::uint32_t lastCol = src.width - 1, lastRow = src.height - 1;
    const std::uint32_t iu = IntPart(u), iv = IntPart(v);
    const std::uint32_t* p = src.origin + static_cast<std::ptrdiff_t>(iv) * src.step + iu;
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
    C::Apply(out, Weighted(tl, tr, bl, br, p00, p10, p01, p11, 16),
             Weighted(tl, tr, bl, br, p00, p10, p01, p11, 8),
             Weighted(tl, tr, bl, br, p00, p10, p01, p11, 0),
             Weighted(tl, tr, bl, br, p00, p10, p01, p11, 24), w);
}

template <typename C, bool kBilinear>
inline void Sample(std::uint32_t& out, const Source& src, std::uint32_t u, std::uint32_t v, int w) {
    if constexpr (kBilinear) {
        SampleEdge<C>(out, src, u, v, w);
    } else {
        const std::uint32_t p =
            src.origin[static_cast<std::ptrdiff_t>(IntPart(v)) * src.step + IntPart(u)];
        C::Apply(out, PixelR(p), PixelG(p), PixelB(p), PixelA(p), w);
    }
}

// Columns [begin, end) of one row, every sample known to be inside the source.
template <typename C, bool kBilinear>
void SampleRun(std::uint32_t* out, const Source& src, std::uint32_t u, std::uint32_t v,
               const Walk& walk, int begin, int end, int w) {
    u += static_cast<std::uint32_t>(begin) * walk.uCol;
    v += static_cast<std::uint32_t>(begin) * walk.vCol;
    for (int x = begin; x < end; ++x, u += walk.uCol, v += walk.vCol)
        Sample<C, kBilinear>(out[x], src, u, v, w);
}

// A row whose walk wraps around the 32-bit positions: every pixel tests its own.
template <typename C, bool kBilinear>
void WrappingRow(std::uint32_t* out, int width, const Source& src, std::uint32_t u, std::uint32_t v,
                 const Walk& walk, int w) {
    for (int x = 0; x < width; ++x, u += walk.uCol, v += walk.vCol)
        if (IntPart(v) < src.height && IntPart(u) < src.width)
            Sample<C, kBilinear>(out[x], src, u, v, w);
}

template <typename C, bool kBilinear>
void RotateRows(RowWalk dest, int width, int height, const Source& src, Walk walk, int w) {
    const std::int64_t du = static_cast<std::int32_t>(walk.uCol);
    const std::int64_t dv = static_cast<std::int32_t>(walk.vCol);
    const std::int64_t lastX = width - 1;
    // Positions past these limits fall outside the source, or (interior) lack a right or
    // lower neighbour.
    const std::int64_t insideU = std::int64_t{src.width} << 16;
    const std::int64_t insideV = std::int64_t{src.height} << 16;
    const std::int64_t interiorU = std::int64_t{src.width - 1} << 16;
    const std::int64_t interiorV = std::int64_t{src.height - 1} << 16;
    std::uint32_t rowU = walk.u, rowV = walk.v;
    for (int y = 0; y < height; ++y, rowU += walk.uRow, rowV += walk.vRow) {
        std::uint32_t* out = dest.Row(y);
        const std::int64_t u0 = static_cast<std::int32_t>(rowU);
        const std::int64_t v0 = static_cast<std::int32_t>(rowV);
        if (!FitsInt32(u0 + lastX * du) || !FitsInt32(v0 + lastX * dv)) {
            WrappingRow<C, kBilinear>(out, width, src, rowU, rowV, walk, w);
            continue;
        }
        // Along the row the positions are now plain linear functions of x.
        const Columns inside = Both(Within(u0, du, insideU, width), Within(v0, dv, insideV, width));
        if (inside.begin >= inside.end) continue;
        if constexpr (!kBilinear) {
            SampleRun<C, false>(out, src, rowU, rowV, walk, inside.begin, inside.end, w);
        } else {
            Columns interior =
                Both(Within(u0, du, interiorU, width), Within(v0, dv, interiorV, width));
            if (interior.begin >= interior.end) interior = {inside.end, inside.end};
            SampleRun<C, true>(out, src, rowU, rowV, walk, inside.begin, interior.begin, w);
            std::uint32_t u = rowU + static_cast<std::uint32_t>(interior.begin) * walk.uCol;
            std::uint32_t v = rowV + static_cast<std::uint32_t>(interior.begin) * walk.vCol;
            InteriorRun<C>(out, src, u, v, walk, interior.begin, interior.end, w);
            SampleRun<C, true>(out, src, rowU, rowV, walk, interior.end, inside.end, w);
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
