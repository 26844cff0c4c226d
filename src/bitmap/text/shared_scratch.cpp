#include "bitmap/text/shared_scratch.h"

#include <algorithm>

namespace text_detail {

namespace {

// Grows the surface to at least width x height, making it first when absent.
PixelBitmap* Ensure(std::unique_ptr<PixelBitmap>& surface, const GlyphRasteriser& maker, int width,
                    int height) {
    if (!surface) surface = maker.NewSurface();
    if (!surface) return nullptr;
    if (surface->Width() < width || surface->Height() < height || !surface->Bits())
        surface->Resize(std::max(surface->Width(), width), std::max(surface->Height(), height));
    if (!surface->Bits() || surface->Width() < width || surface->Height() < height) return nullptr;
    return surface.get();
}

} // namespace

SharedScratch& SharedScratch::Get() {
    // Never destroyed: fonts in other static objects (the font cache) may be destroyed
    // after this translation unit's statics at exit.
    static SharedScratch* const instance = new SharedScratch;
    return *instance;
}

void SharedScratch::FontCreated() {
    std::lock_guard lock(mutex_);
    ++liveFonts_;
}

void SharedScratch::FontDestroyed() {
    std::lock_guard lock(mutex_);
    if (--liveFonts_ > 0) return;
    liveFonts_ = 0;
    glyph_.reset();
    string_.reset();
}

int SharedScratch::LiveFonts() {
    std::lock_guard lock(mutex_);
    return liveFonts_;
}

PixelBitmap* SharedScratch::GlyphSurface(const GlyphRasteriser& maker, int size) {
    return Ensure(glyph_, maker, size, size);
}

PixelBitmap* SharedScratch::StringSurface(const GlyphRasteriser& maker, int width, int height) {
    return Ensure(string_, maker, width, height);
}

} // namespace text_detail
