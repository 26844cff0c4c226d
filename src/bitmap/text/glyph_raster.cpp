// Filling the glyph cache: one character rendered white on black into the shared scratch
// surface, its red bytes taken as coverage, trimmed to its ink and post-processed.
#include "bitmap/blit.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/shared_scratch.h"

#include <algorithm>
#include <climits>
#include <new>

using bitmap_detail::WalkRows;
using text_detail::SharedScratch;

namespace {

constexpr std::size_t kCoverageStep = 65536;
constexpr std::size_t kRecordStep = 4096 / sizeof(GlyphRecord);

// Reserves room for `extra` more elements, growing in whole steps so that the cache does
// not reallocate with every glyph.
template <typename T> void ReserveInSteps(std::vector<T>& v, std::size_t extra, std::size_t step) {
    const std::size_t need = v.size() + extra;
    if (need > v.capacity()) v.reserve((need + step - 1) / step * step);
}

constexpr std::uint8_t kInk = 255;
constexpr std::uint8_t kEffect = 128;

} // namespace

bool GlyphFont::RasteriseGlyph(std::uint16_t code) {
    std::lock_guard lock(mutex_);
    return Rasterise(code) != nullptr;
}

GlyphRecord* GlyphFont::Rasterise(std::uint16_t code) {
    if (!handle_ || lineHeight_ > kMaxGlyphLineHeight) return nullptr;

    GlyphRecord* record = Record(code);
    if (!record) {
        if (flags_ & FONT_PRECACHE) return nullptr;
        try {
            ReserveInSteps(extended_, 1, kRecordStep);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        // Inserted in order, which keeps the list sorted as a sort after appending would.
        const auto at =
            std::lower_bound(extended_.begin(), extended_.end(), code,
                             [](const GlyphRecord& r, std::uint16_t c) { return r.code < c; });
        record = &*extended_.insert(at, GlyphRecord{.code = code});
    }

    const int lineHeight = std::max(lineHeight_, 1);
    const int scratchSize = 2 * lineHeight + 8;
    const int margin = lineHeight_ < 16 ? 0 : lineHeight_ / 16;
    const int pad = margin + 2;

    SharedScratch& shared = SharedScratch::Get();
    std::lock_guard scratchLock(shared.Mutex());
    PixelBitmap* surface = shared.GlyphSurface(*handle_, scratchSize);
    if (!surface) return nullptr;

    const CharExtent extent = handle_->MeasureChar(*surface, static_cast<char16_t>(code));
    const long long wideBox = static_cast<long long>(extent.advance) + 2 * margin + 4;
    const int boxWidth = static_cast<int>(std::clamp<long long>(wideBox, 0, surface->Width()));
    const int boxHeight = std::clamp(extent.height, 0, surface->Height());
    const int advance = std::min(extent.advance, surface->Width());
    FillRectangle(surface, 0, 0, boxWidth, boxHeight, 0, 1.0f, BLEND_COPY);
    handle_->DrawChar(*surface, static_cast<char16_t>(code), pad, 0);

    if (advance < 1 || boxHeight < 1 || boxWidth <= pad) {
        *record = GlyphRecord{.position = kGlyphEmpty, .code = code};
        return record;
    }
    if (flags_ & FONT_BLUR) BlurRegion(surface, surface, 0, 0, 0, 0, boxWidth, boxHeight);
    try {
        if (!StoreCoverage(*record, *surface, boxWidth, boxHeight, advance, pad)) {
            *record = GlyphRecord{.code = code};
            return nullptr;
        }
        if (flags_ & FONT_VERTICAL) TurnMask(*record);
    } catch (const std::bad_alloc&) {
        *record = GlyphRecord{.code = code};
        return nullptr;
    }
    ApplyMaskEffects(*record);
    return record;
}

bool GlyphFont::StoreCoverage(GlyphRecord& record, const PixelBitmap& surface, int boxWidth,
                              int boxHeight, int advance, int pad) {
    const auto rows = WalkRows(surface, 0, 0);
    const bool invert = (flags_ & FONT_INVERT) != 0;
    auto coverageAt = [&](int x, int y) {
        const int red = PixelR(rows.Row(y)[x]);
        return static_cast<std::uint8_t>(invert ? 255 - red : red);
    };

    // Ink extent: the leftmost inked column up to the pen, and the rightmost anywhere.
    int left = pad, rightmost = -1;
    for (int y = 0; y < boxHeight; ++y)
        for (int x = 0; x < boxWidth; ++x)
            if (coverageAt(x, y)) {
                if (x < left) left = x;
                rightmost = std::max(rightmost, x);
            }
    const int right = std::min(boxWidth, std::max(advance + pad, rightmost + 1));
    const int width = right - left;
    if (width < 1) return false;

    const std::size_t bytes = static_cast<std::size_t>(width) * boxHeight;
    if (coverage_.size() + bytes >= static_cast<std::size_t>(INT_MAX)) return false;
    ReserveInSteps(coverage_, bytes, kCoverageStep);
    const std::size_t offset = coverage_.size();
    coverage_.resize(offset + bytes);
    std::uint8_t* out = coverage_.data() + offset;
    for (int y = 0; y < boxHeight; ++y)
        for (int x = left; x < right; ++x)
            *out++ = coverageAt(x, y);

    record.position = static_cast<std::int32_t>(offset + 1);
    record.width = width;
    record.height = boxHeight;
    record.advance = advance;
    record.leftOffset = pad - left;
    return true;
}

void GlyphFont::TurnMask(GlyphRecord& record) {
    const int w = record.width, h = record.height;
    std::uint8_t* mask = coverage_.data() + (record.position - 1);
    std::vector<std::uint8_t> old(mask, mask + static_cast<std::size_t>(w) * h);
    const bool upward = (flags_ & FONT_BOTTOM_UP) != 0;
    // The turned mask has h columns and w rows.
    for (int i = 0; i < w; ++i)
        for (int j = 0; j < h; ++j)
            mask[i * h + j] = upward ? old[j * w + (w - 1 - i)]  // counter-clockwise
                                     : old[(h - 1 - j) * w + i]; // clockwise
    record.width = h;
    record.height = w;
}

void GlyphFont::ApplyMaskEffects(GlyphRecord& record) {
    const bool shadow = (flags_ & FONT_SHADOW) != 0, outline = (flags_ & FONT_OUTLINE) != 0;
    if (!(flags_ & FONT_MONO) && !shadow && !outline) return;
    const int w = record.width, h = record.height;
    std::uint8_t* mask = coverage_.data() + (record.position - 1);
    for (int i = 0; i < w * h; ++i)
        mask[i] = mask[i] > 130 ? kInk : 0;
    if (!shadow && !outline) return;

    // In scanning order; a pixel turned to kEffect is not ink, so effects never spread.
    auto inkAt = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && mask[y * w + x] == kInk;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (mask[y * w + x] != 0) continue;
            const bool touched =
                (shadow && (inkAt(x - 1, y) || inkAt(x - 1, y - 1) || inkAt(x, y - 1))) ||
                (outline &&
                 (inkAt(x, y - 1) || inkAt(x, y + 1) || inkAt(x - 1, y) || inkAt(x + 1, y)));
            if (touched) mask[y * w + x] = kEffect;
        }
}
