#include "bitmap/text/font_cache.h"

#include "bitmap/text/glyph_rasteriser.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct FontKey {
    int size = 0;
    int orientation = 0;
    int style = 0;
    std::string face;

    bool operator==(const FontKey&) const = default;
};

struct FontEntry {
    FontKey key;
    std::unique_ptr<GlyphFont> font;
};

class FontCache {
public:
    ~FontCache() {
        // Last made, first destroyed.
        while (!entries_.empty())
            entries_.pop_back();
    }

    GlyphFont* Get(const IPlugText& style) {
        const char* faceEnd = std::find(style.face, style.face + IPlugText::kFaceSize, '\0');
        FontKey key{style.size, style.orientation, style.style, std::string(style.face, faceEnd)};
        // Held while a missing font is made, so that two threads asking for the same one
        // cannot both add it.
        std::lock_guard lock(mutex_);
        for (const FontEntry& entry : entries_)
            if (entry.key == key) return entry.font.get();

        FontRequest request;
        request.face = key.face.c_str();
        request.height = style.size;
        request.style = style.style;
        request.orientation = style.orientation;
        request.quality = style.quality;
        std::unique_ptr<GlyphRasteriser> handle = CreateGlyphRasteriser(request);
        if (!handle) return nullptr;
        try {
            entries_.reserve(entries_.size() + 1);
            auto font = std::make_unique<GlyphFont>();
            font->AttachFont(handle.release(), FONT_OWNS_HANDLE | FONT_NATIVE);
            entries_.push_back({std::move(key), std::move(font)});
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return entries_.back().font.get();
    }

    int Size() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(entries_.size());
    }

private:
    std::mutex mutex_;
    std::vector<FontEntry> entries_;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

} // namespace

GlyphFont* GetFont(IPlugText& style) {
    GlyphFont* font = Cache().Get(style);
    if (font) style.cachedFont = font;
    return font;
}

int FontCacheSize() {
    return Cache().Size();
}
