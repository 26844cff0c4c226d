#pragma once

#include "bitmap/pixel_bitmap.h"

#include <optional>

namespace bitmap_detail {

// The pixels a compositing routine touches: width x height pixels written from (destX,
// destY) and read from (srcX, srcY), all inside the bitmaps; width and height at least 1.
struct ClippedArea {
    int destX, destY;
    int srcX, srcY;
    int width, height;
};

// Clips width x height pixels read from src at (srcX, srcY) and written to dest at (destX,
// destY) to both bitmaps, moving the two corners together: a column cut away on one side is
// cut away on the other. Without a source only the destination clips. Every routine clips
// here once, before any of its loops runs; nothing when nothing is left to draw or a bitmap
// has no storage. 64-bit, so that hostile positions and sizes cannot overflow.
std::optional<ClippedArea> ClipArea(const PixelBitmap& dest, const PixelBitmap* src,
                                    long long destX, long long destY, long long srcX,
                                    long long srcY, long long width, long long height);

} // namespace bitmap_detail
