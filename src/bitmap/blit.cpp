#include "bitmap/blit.h"

#include "bitmap/clip_area.h"
#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <algorithm>
#include <climits>
#include <cstring>

using bitmap_detail::ClipArea;
using bitmap_detail::RowWalk;
using bitmap_detail::WalkRows;

namespace {

template <typename C> void CombineRows(RowWalk d, RowWalk s, int width, int height, int w) {
    for (int y = 0; y < height; ++y) {
        std::uint32_t* out = d.Row(y);
        const std::uint32_t* in = s.Row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = in[x];
            C::Apply(out[x], PixelR(p), PixelG(p), PixelB(p), PixelA(p), w);
        }
    }
}

void CopyChannelRows(RowWalk d, RowWalk s, int width, int height, BlendMode mode) {
    const unsigned from = (mode & 3) * 8;
    const unsigned to = ((mode >> 2) & 3) * 8;
    const std::uint32_t keep = ~(0xFFu << to);
    for (int y = 0; y < height; ++y) {
        std::uint32_t* out = d.Row(y);
        const std::uint32_t* in = s.Row(y);
        for (int x = 0; x < width; ++x)
            out[x] = (out[x] & keep) | (((in[x] >> from) & 0xFFu) << to);
    }
}

int ClampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

} // namespace

void BlitBitmap(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY,
                const IPlugRect* srcRect, float alpha, BlendMode mode) {
    if (!dest || !src || alpha == 0.0f) return;

    const IPlugRect whole{0, 0, src->Width(), src->Height()};
    const IPlugRect& r = srcRect ? *srcRect : whole;
    const auto area =
        ClipArea(*dest, src, destX, destY, r.left, r.top, static_cast<long long>(r.right) - r.left,
                 static_cast<long long>(r.bottom) - r.top);
    if (!area) return;
    const int width = area->width, height = area->height;
    const RowWalk d = WalkRows(*dest, area->destX, area->destY);
    const RowWalk s = WalkRows(*src, area->srcX, area->srcY);

    if (IsChannelCopy(mode)) {
        CopyChannelRows(d, s, width, height, mode);
        return;
    }
    if ((mode & kBlendCombinerMask) == BLEND_COPY) {
        if (alpha == 1.0f) {
            for (int y = 0; y < height; ++y)
                std::memmove(d.Row(y), s.Row(y), static_cast<std::size_t>(width) * 4);
            return;
        }
        if (alpha == 0.5f) {
            for (int y = 0; y < height; ++y) {
                std::uint32_t* out = d.Row(y);
                const std::uint32_t* in = s.Row(y);
                for (int x = 0; x < width; ++x)
                    out[x] = MixHalf(in[x], out[x]);
            }
            return;
        }
    }
    const int w = WeightFromAlpha(alpha);
    if (w == 0) return;
    combine::WithCombiner(mode, w,
                          [&](auto c) { CombineRows<decltype(c)>(d, s, width, height, w); });
}

void BlitBitmapArea(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int srcX,
                    int srcY, int srcWidth, int srcHeight, float alpha, BlendMode mode) {
    const IPlugRect r{srcX, srcY, ClampToInt(static_cast<long long>(srcX) + srcWidth),
                      ClampToInt(static_cast<long long>(srcY) + srcHeight)};
    BlitBitmap(dest, src, destX, destY, &r, alpha, mode);
}
