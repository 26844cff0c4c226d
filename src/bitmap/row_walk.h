#pragma once

#include "bitmap/pixel_bitmap.h"

#include <cstddef>
#include <cstdint>

namespace bitmap_detail {

// Where a walk down the rows of a bitmap starts and how far each step goes, honouring a
// bottom-up bitmap. Callers have already clipped x and y to the bitmap.
struct RowWalk {
    std::uint32_t* first;
    std::ptrdiff_t step;

    std::uint32_t* Row(std::ptrdiff_t i) const { return first + i * step; }
};

inline RowWalk WalkRows(const PixelBitmap& bitmap, int x, int y) {
    const std::ptrdiff_t span = bitmap.RowSpan();
    std::uint32_t* bits = bitmap.Bits();
    if (bitmap.IsFlipped())
        return {bits + (bitmap.Height() - 1 - static_cast<std::ptrdiff_t>(y)) * span + x, -span};
    return {bits + static_cast<std::ptrdiff_t>(y) * span + x, span};
}

} // namespace bitmap_detail
