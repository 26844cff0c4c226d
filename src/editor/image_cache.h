#pragma once

#include <memory>

class PixelBitmap;

// Decoded images shared by every editor of every instance in the process; they live
// until the library unloads. Lookups are by resource id and the scale (in percent) the
// image is drawn for, first match.
namespace image_cache {
PixelBitmap* Find(int id, int scalePercent = 100);
// Takes ownership; answers the bitmap now cached under the id and scale (an earlier one
// wins a race). Id -1 is never looked up: every such bitmap is kept.
PixelBitmap* Add(int id, std::unique_ptr<PixelBitmap> bitmap, int scalePercent = 100);
} // namespace image_cache
