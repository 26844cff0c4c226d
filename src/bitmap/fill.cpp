#include "bitmap/blit.h"

#include "bitmap/clip_area.h"
#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <algorithm>

using bitmap_detail::ClipArea;
using bitmap_detail::RowWalk;
using bitmap_detail::WalkRows;

namespace {

template <typename F> void RewriteRows(RowWalk rows, int width, int height, F f) {
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = rows.Row(y);
        for (int x = 0; x < width; ++x)
            row[x] = f(row[x]);
    }
}

} // namespace

void FillRectangle(PixelBitmap* dest, int x, int y, int width, int height, std::uint32_t colour,
                   float alpha, BlendMode mode) {
    if (!dest) return;
    if (mode & BLEND_SOURCE_ALPHA) alpha *= static_cast<float>(PixelA(colour)) * (1.0f / 255.0f);

    if (alpha == 0.0f) return;
    const auto area = ClipArea(*dest, nullptr, x, y, 0, 0, width, height);
    if (!area) return;
    const int fillW = area->width, fillH = area->height;
    const RowWalk rows = WalkRows(*dest, area->destX, area->destY);
    const BlendMode operation = mode & kBlendOperationMask;
    const int w = WeightFromAlpha(alpha);

    if (operation == BLEND_COPY) {
        switch (w) {
        case 256:
            for (int row = 0; row < fillH; ++row)
                std::fill_n(rows.Row(row), fillW, colour);
            return;
        case 128:
            RewriteRows(rows, fillW, fillH,
                        [colour](std::uint32_t d) { return MixHalf(colour, d); });
            return;
        case 64:
            RewriteRows(rows, fillW, fillH,
                        [colour](std::uint32_t d) { return MixQuarter(colour, d); });
            return;
        case 192:
            RewriteRows(rows, fillW, fillH,
                        [colour](std::uint32_t d) { return MixThreeQuarters(colour, d); });
            return;
        default:
            break;
        }
    }
    if (w == 0) return;

    // The source-alpha flag is already in the weight; the weight itself stands in for the
    // source alpha, so in copy the alpha byte moves toward w.
    const int r = PixelR(colour), g = PixelG(colour), b = PixelB(colour);
    combine::WithCombiner(operation, w, [&](auto c) {
        RewriteRows(rows, fillW, fillH, [&](std::uint32_t d) {
            decltype(c)::Apply(d, r, g, b, w, w);
            return d;
        });
    });
}
