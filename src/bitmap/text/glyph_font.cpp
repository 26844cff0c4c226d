#include "bitmap/text/glyph_font.h"

#include "bitmap/text/shared_scratch.h"

#include <algorithm>
#include <utility>

using text_detail::SharedScratch;

GlyphFont::GlyphFont() {
    SharedScratch::Get().FontCreated();
}

GlyphFont::~GlyphFont() {
    if ((flags_ & FONT_OWNS_HANDLE) && handle_) delete handle_;
    SharedScratch::Get().FontDestroyed();
}

bool GlyphFont::AttachFont(GlyphRasteriser* handle, int flags) {
    std::lock_guard lock(mutex_);
    if ((flags_ & FONT_OWNS_HANDLE) && handle_ && handle_ != handle) delete handle_;
    flags_ = flags;
    handle_ = handle;
    lineHeight_ = handle ? handle->LineHeight() : 0;
    ClearCache();
    if (handle && (flags & FONT_PRECACHE))
        for (int code = 0; code < 128; ++code)
            Rasterise(static_cast<std::uint16_t>(code));
    return true;
}

void GlyphFont::ClearCache() {
    for (int code = 0; code < 128; ++code)
        direct_[code] = GlyphRecord{.code = static_cast<std::uint16_t>(code)};
    extended_.clear();
    coverage_.clear();
}

std::uint32_t GlyphFont::SetForeground(std::uint32_t colour) {
    std::lock_guard lock(mutex_);
    return std::exchange(textColour_, colour);
}

std::uint32_t GlyphFont::SetBackground(std::uint32_t colour) {
    std::lock_guard lock(mutex_);
    return std::exchange(backgroundColour_, colour);
}

std::uint32_t GlyphFont::SetEffect(std::uint32_t colour) {
    std::lock_guard lock(mutex_);
    return std::exchange(effectColour_, colour);
}

int GlyphFont::SetBackgroundMode(int mode) {
    std::lock_guard lock(mutex_);
    return std::exchange(backgroundMode_, mode);
}

void GlyphFont::SetBlend(BlendMode mode, float alpha) {
    std::lock_guard lock(mutex_);
    blend_ = mode;
    alpha_ = alpha;
}

std::uint32_t GlyphFont::GetForeground() const {
    std::lock_guard lock(mutex_);
    return textColour_;
}

GlyphRasteriser* GlyphFont::GetFontHandle() const {
    std::lock_guard lock(mutex_);
    return handle_;
}

int GlyphFont::LineHeight() const {
    std::lock_guard lock(mutex_);
    return lineHeight_;
}

int GlyphFont::Flags() const {
    std::lock_guard lock(mutex_);
    return flags_;
}

namespace {

bool CodeLess(const GlyphRecord& r, std::uint16_t code) {
    return r.code < code;
}

} // namespace

GlyphRecord* GlyphFont::Record(std::uint16_t code) {
    if (code < 128) return &direct_[code];
    const auto it = std::lower_bound(extended_.begin(), extended_.end(), code, CodeLess);
    return it != extended_.end() && it->code == code ? &*it : nullptr;
}

const GlyphRecord* GlyphFont::FindGlyph(std::uint16_t code) const {
    std::lock_guard lock(mutex_);
    return const_cast<GlyphFont*>(this)->Record(code);
}

const std::uint8_t* GlyphFont::Coverage(const GlyphRecord& record) const {
    std::lock_guard lock(mutex_);
    if (!record.HasMask()) return nullptr;
    const auto offset = static_cast<std::size_t>(record.position - 1);
    if (offset + static_cast<std::size_t>(record.width) * record.height > coverage_.size())
        return nullptr;
    return coverage_.data() + offset;
}

GlyphRecord* GlyphFont::CachedOrRendered(std::uint16_t code) {
    GlyphRecord* record = Record(code);
    if (record && record->position != kGlyphNotRendered) return record;
    return Rasterise(code);
}
