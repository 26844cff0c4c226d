// Compositing cached coverage masks into a destination bitmap.
#include "bitmap/blit.h"
#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"
#include "bitmap/text/glyph_font.h"

#include <algorithm>

using bitmap_detail::RowWalk;
using bitmap_detail::WalkRows;

namespace {

// The clipped part of a mask and where it lands.
struct MaskArea {
    const std::uint8_t* mask; // first coverage byte inside the clip
    int stride;               // mask width
    RowWalk rows;             // destination, from the first clipped pixel
    int columns;
    int rowCount;
};

// Antialiased glyphs: coverage c weighs the colour by c + 1 at full weight, else by w x c.
template <typename Op, bool kFullWeight>
void PaintCoverage(const MaskArea& a, int r, int g, int b, int w) {
    for (int y = 0; y < a.rowCount; ++y) {
        const std::uint8_t* cov = a.mask + static_cast<std::ptrdiff_t>(y) * a.stride;
        std::uint32_t* d = a.rows.Row(y);
        for (int x = 0; x < a.columns; ++x) {
            const int c = cov[x];
            if (c == 0) continue;
            const int k = kFullWeight ? c + 1 : std::min(w * c / 256, 256);
            Op::Apply(d[x], r, g, b, 255, k);
        }
    }
}

// Masks holding only 255 (the ink) and 128 (the effect), combined at one weight.
template <typename Op>
void PaintTwoTone(const MaskArea& a, std::uint32_t ink, std::uint32_t effect, int w) {
    for (int y = 0; y < a.rowCount; ++y) {
        const std::uint8_t* cov = a.mask + static_cast<std::ptrdiff_t>(y) * a.stride;
        std::uint32_t* d = a.rows.Row(y);
        for (int x = 0; x < a.columns; ++x) {
            const int c = cov[x];
            if (c == 0) continue;
            const std::uint32_t colour = c == 255 ? ink : effect;
            Op::Apply(d[x], PixelR(colour), PixelG(colour), PixelB(colour), 255, w);
        }
    }
}

// The same at full weight in copy mode: the colour words themselves, alpha byte included.
void StoreTwoTone(const MaskArea& a, std::uint32_t ink, std::uint32_t effect) {
    for (int y = 0; y < a.rowCount; ++y) {
        const std::uint8_t* cov = a.mask + static_cast<std::ptrdiff_t>(y) * a.stride;
        std::uint32_t* d = a.rows.Row(y);
        for (int x = 0; x < a.columns; ++x)
            if (cov[x] != 0) d[x] = cov[x] == 255 ? ink : effect;
    }
}

} // namespace

bool GlyphFont::PaintGlyph(PixelBitmap* dest, std::uint16_t code, int x, int y,
                           const IPlugRect& clip) {
    std::lock_guard lock(mutex_);
    const GlyphRecord* record = Record(code);
    return record && PaintMask(dest, *record, x, y, clip, alpha_);
}

bool GlyphFont::PaintMask(PixelBitmap* dest, const GlyphRecord& record, int x, int y,
                          const IPlugRect& clip, float alpha) const {
    if (!dest || !dest->Bits() || !record.HasMask()) return false;

    long long left = x, top = y;
    if (!(flags_ & FONT_VERTICAL))
        left -= record.leftOffset;
    else if (flags_ & FONT_BOTTOM_UP)
        top += record.leftOffset; // the pen lies at the bottom of an upward glyph
    else
        top -= record.leftOffset;

    // Clipped to the rectangle and to the bitmap, whatever the caller passed.
    const long long l = std::max({left, static_cast<long long>(clip.left), 0LL});
    const long long t = std::max({top, static_cast<long long>(clip.top), 0LL});
    const long long r = std::min({left + record.width, static_cast<long long>(clip.right),
                                  static_cast<long long>(dest->Width())});
    const long long b = std::min({top + record.height, static_cast<long long>(clip.bottom),
                                  static_cast<long long>(dest->Height())});
    if (l >= r || t >= b) return false;

    const int cl = static_cast<int>(l), ct = static_cast<int>(t);
    const int columns = static_cast<int>(r - l), rowCount = static_cast<int>(b - t);
    if (backgroundMode_ == TEXT_BACKGROUND_OPAQUE)
        FillRectangle(dest, cl, ct, columns, rowCount, backgroundColour_, alpha,
                      blend_ & ~BLEND_SOURCE_ALPHA);

    const int w = WeightFromAlpha(alpha);
    if (w == 0) return true;

    const MaskArea area{coverage_.data() + (record.position - 1) + (t - top) * record.width +
                            (l - left),
                        record.width, WalkRows(*dest, cl, ct), columns, rowCount};
    const BlendMode operation = blend_ & kBlendOperationMask;
    const std::uint32_t ink = textColour_;

    if (flags_ & (FONT_MONO | FONT_SHADOW | FONT_OUTLINE)) {
        const std::uint32_t effect = flags_ & (FONT_SHADOW | FONT_OUTLINE) ? effectColour_ : ink;
        if (w == 256 && operation == BLEND_COPY) {
            StoreTwoTone(area, ink, effect);
            return true;
        }
        combine::WithCombinerAnyWeight(
            operation, [&](auto op) { PaintTwoTone<decltype(op)>(area, ink, effect, w); });
        return true;
    }

    const int red = PixelR(ink), green = PixelG(ink), blue = PixelB(ink);
    combine::WithCombinerAnyWeight(operation, [&](auto op) {
        if (w == 256)
            PaintCoverage<decltype(op), true>(area, red, green, blue, w);
        else
            PaintCoverage<decltype(op), false>(area, red, green, blue, w);
    });
    return true;
}
