#pragma once

#include <memory>

class PixelBitmap;

// Decoded images shared by every editor of every instance in the process; they live
// until the library unloads. Lookups are by resource id, first match.
namespace image_cache {
PixelBitmap* Find(int id);
// Takes ownership; answers the bitmap now cached under the id (an earlier one wins a race).
PixelBitmap* Add(int id, std::unique_ptr<PixelBitmap> bitmap);
} // namespace image_cache
