#include "editor/image_cache.h"

#include "bitmap/pixel_bitmap.h"

#include <mutex>
#include <vector>

namespace {
struct Entry {
    int id;
    int scalePercent;
    std::unique_ptr<PixelBitmap> bitmap;
};

struct Cache {
    std::mutex mutex;
    std::vector<Entry> entries;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}
} // namespace

PixelBitmap* image_cache::Find(int id, int scalePercent) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    for (const Entry& entry : cache.entries)
        if (entry.id == id && entry.scalePercent == scalePercent) return entry.bitmap.get();
    return nullptr;
}

PixelBitmap* image_cache::Add(int id, std::unique_ptr<PixelBitmap> bitmap, int scalePercent) {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    if (id != -1)
        for (const Entry& entry : cache.entries)
            if (entry.id == id && entry.scalePercent == scalePercent) return entry.bitmap.get();
    PixelBitmap* added = bitmap.get();
    cache.entries.push_back({id, scalePercent, std::move(bitmap)});
    return added;
}
