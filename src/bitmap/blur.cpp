#include "bitmap/blit.h"

#include "bitmap/clip_area.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

using bitmap_detail::ClipArea;
using bitmap_detail::ClippedArea;
using bitmap_detail::RowWalk;
using bitmap_detail::WalkRows;

namespace {

// One output row of n >= 2 pixels. above or below is null on the first or last row, where
// the one neighbouring row that exists counts double. Whole words, four channels at once:
// the terms add up to at most 252 per byte, so no carry crosses a byte.
void BlurRow(std::uint32_t* out, const std::uint32_t* above, const std::uint32_t* cur,
             const std::uint32_t* below, int n) {
    const int last = n - 1;
    if (above && below) {
        out[0] = HalfOf(cur[0]) + QuarterOf(cur[1]) + EighthOf(above[0]) + EighthOf(below[0]);
        for (int i = 1; i < last; ++i)
            out[i] = HalfOf(cur[i]) + EighthOf(cur[i - 1]) + EighthOf(cur[i + 1]) +
                     EighthOf(above[i]) + EighthOf(below[i]);
        out[last] = HalfOf(cur[last]) + QuarterOf(cur[last - 1]) + EighthOf(above[last]) +
                    EighthOf(below[last]);
        return;
    }
    const std::uint32_t* other = above ? above : below;
    out[0] = HalfOf(cur[0]) + QuarterOf(cur[1]) + QuarterOf(other[0]);
    for (int i = 1; i < last; ++i)
        out[i] = HalfOf(cur[i]) + EighthOf(cur[i - 1]) + EighthOf(cur[i + 1]) + QuarterOf(other[i]);
    out[last] = HalfOf(cur[last]) + QuarterOf(cur[last - 1]) + QuarterOf(other[last]);
}

void BlurRows(RowWalk d, RowWalk s, int cols, int rows) {
    for (int r = 0; r < rows; ++r)
        BlurRow(d.Row(r), r > 0 ? s.Row(r - 1) : nullptr, s.Row(r),
                r + 1 < rows ? s.Row(r + 1) : nullptr, cols);
}

constexpr int kStackRowPixels = 1024;

// Within one bitmap: every source row is saved before its output row is written, and the
// row above is read back from the save, so that a blur in place at the same position
// reads only unblurred values. Without a save buffer the blur still runs, reading rows
// that may already be written.
void BlurWithRowSave(RowWalk d, RowWalk s, int cols, int height) {
    std::array<std::uint32_t, 2 * kStackRowPixels> stack;
    std::unique_ptr<std::uint32_t[]> heap;
    std::uint32_t* saved = stack.data();
    if (cols > kStackRowPixels) {
        heap.reset(new (std::nothrow) std::uint32_t[2 * static_cast<std::size_t>(cols)]);
        saved = heap.get();
    }
    if (!saved) {
        BlurRows(d, s, cols, height);
        return;
    }
    for (int r = 0; r < height; ++r) {
        std::uint32_t* cur = saved + static_cast<std::size_t>(r & 1) * cols;
        std::memcpy(cur, s.Row(r), static_cast<std::size_t>(cols) * 4);
        const std::uint32_t* above =
            r > 0 ? saved + static_cast<std::size_t>((r - 1) & 1) * cols : nullptr;
        const std::uint32_t* below = r + 1 < height ? s.Row(r + 1) : nullptr;
        BlurRow(d.Row(r), above, cur, below, cols);
    }
}

// Whether the pixels read and the pixels written share any position.
bool Overlaps(const ClippedArea& a) {
    return std::abs(a.destX - a.srcX) < a.width && std::abs(a.destY - a.srcY) < a.height;
}

} // namespace

void BlurRegion(PixelBitmap* dest, const PixelBitmap* src, int destX, int destY, int srcX, int srcY,
                int srcWidth, int srcHeight) {
    if (!dest || !src) return;
    // A source area starting left of or above the bitmap is cut there without moving
    // where the blur lands.
    const long long left = std::max(srcX, 0), top = std::max(srcY, 0);
    const auto area = ClipArea(*dest, src, destX, destY, left, top,
                               static_cast<long long>(srcX) + srcWidth - left,
                               static_cast<long long>(srcY) + srcHeight - top);
    if (!area || area->width < 2 || area->height < 2) return;

    const int cols = area->width, rows = area->height;
    const RowWalk s = WalkRows(*src, area->srcX, area->srcY);
    const RowWalk d = WalkRows(*dest, area->destX, area->destY);

    if (dest != src || !Overlaps(*area)) {
        BlurRows(d, s, cols, rows);
        return;
    }
    if (area->destX == area->srcX && area->destY == area->srcY) {
        BlurWithRowSave(d, s, cols, rows);
        return;
    }
    // Overlapping at another position: rows written early would be read again later, so
    // blur from a copy of the area. Should the copy not fit, fall back to the row save.
    const std::size_t count = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
    std::unique_ptr<std::uint32_t[]> copy(new (std::nothrow) std::uint32_t[count]);
    if (!copy) {
        BlurWithRowSave(d, s, cols, rows);
        return;
    }
    for (int r = 0; r < rows; ++r)
        std::memcpy(copy.get() + static_cast<std::size_t>(r) * cols, s.Row(r),
                    static_cast<std::size_t>(cols) * 4);
    BlurRows(d, RowWalk{copy.get(), cols}, cols, rows);
}
