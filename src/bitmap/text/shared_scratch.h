#pragma once

#include "bitmap/pixel_bitmap.h"
#include "bitmap/text/glyph_rasteriser.h"

#include <memory>
#include <mutex>

namespace text_detail {

// The two scratch surfaces every GlyphFont shares - one for rendering single glyphs, one
// for platform drawing into bitmaps without a device context - and the count of live fonts
// that keeps them: the last font to go releases both. Fonts live on several plug-in
// instances' threads, so every use of a surface happens under Mutex().
class SharedScratch {
public:
    static SharedScratch& Get();

    std::mutex& Mutex() { return mutex_; }

    void FontCreated();
    void FontDestroyed();
    int LiveFonts();

    // With Mutex() held: the glyph surface, at least size x size, made by `maker` when
    // there is none yet. Null when no such surface can be had.
    PixelBitmap* GlyphSurface(const GlyphRasteriser& maker, int size);
    // With Mutex() held: the string surface, at least width x height.
    PixelBitmap* StringSurface(const GlyphRasteriser& maker, int width, int height);
    // With Mutex() held: whether any surface exists.
    bool HasSurfaces() const { return glyph_ || string_; }

private:
    SharedScratch() = default;

    std::mutex mutex_;
    int liveFonts_ = 0;
    std::unique_ptr<PixelBitmap> glyph_;
    std::unique_ptr<PixelBitmap> string_;
};

} // namespace text_detail
