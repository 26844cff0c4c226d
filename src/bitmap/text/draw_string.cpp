// Measuring and drawing strings glyph by glyph.
#include "bitmap/pixel_word.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/utf8.h"

#include <algorithm>
#include <climits>

namespace {

// The characters of a string up to its terminator or the end of its length.
class TextWalk {
public:
    TextWalk(const char* text, int length) : p_(text), remaining_(length < 0 ? INT_MAX : length) {}

    bool Next(std::uint16_t& code) {
        if (!p_ || remaining_ <= 0 || *p_ == 0) return false;
        const int used = DecodeUtf8Char(p_, remaining_, &code);
        p_ += used;
        remaining_ -= used;
        return true;
    }

private:
    const char* p_;
    int remaining_;
};

int ToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

bool FitsInt(long long v) {
    return v >= INT_MIN && v <= INT_MAX;
}

} // namespace

int GlyphFont::DrawString(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                          unsigned format) {
    std::lock_guard lock(mutex_);
    if (!dest && !(format & TEXT_CALCRECT)) return 0;
    if (UsesPlatformDrawing(format))
        return DrawPlatform(dest, text, length, rect, format & ~TEXT_FORCE_GLYPHS);
    format &= ~TEXT_FORCE_GLYPHS;
    if (format & TEXT_CALCRECT) return MeasureGlyphs(text, length, rect, format);
    return DrawGlyphs(dest, text, length, rect, format);
}

int GlyphFont::MeasureGlyphs(const char* text, int length, IPlugRect& rect, unsigned format) {
    // Along the writing direction and across it, whichever way the text runs.
    const bool vertical = (flags_ & FONT_VERTICAL) != 0;
    const bool singleLine = (format & TEXT_SINGLELINE) != 0;
    long long along = 0, across = 0, maxAlong = 0, maxAcross = 0;
    TextWalk walk(text, length);
    std::uint16_t code = 0;
    while (walk.Next(code)) {
        if (code == '\r') continue;
        if (code == '\n') {
            if (!singleLine) {
                across += lineHeight_ + extraLineSpacing_;
                along = 0;
                continue;
            }
            code = ' ';
        }
        const GlyphRecord* glyph = CachedOrRendered(code);
        if (!glyph) continue;
        const int alongSize = vertical ? glyph->height : glyph->width;
        const int acrossSize = vertical ? glyph->width : glyph->height;
        maxAlong =
            std::max({maxAlong, along + glyph->advance, along + alongSize - glyph->leftOffset});
        maxAcross = std::max(maxAcross, across + acrossSize);
        along += glyph->advance;
    }
    const long long maxX = vertical ? maxAcross : maxAlong;
    const long long maxY = vertical ? maxAlong : maxAcross;
    rect.right = ToInt(rect.left + maxX);
    rect.bottom = ToInt(rect.top + maxY);
    return ToInt(vertical ? maxX : maxY);
}

int GlyphFont::DrawGlyphs(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                          unsigned format) {
    if (!dest || !dest->Bits()) return 0;
    float alpha = alpha_;
    if (format & TEXT_FOREGROUND_ALPHA) {
        alpha = alpha_ * static_cast<float>(PixelA(textColour_)) / 255.0f;
        if (alpha == 0.0f) return 0;
    }

    const bool vertical = (flags_ & FONT_VERTICAL) != 0;
    const bool upward = vertical && (flags_ & FONT_BOTTOM_UP);
    long long x = rect.left, y = rect.top;
    if ((format & TEXT_ALIGNMENT) || upward) {
        IPlugRect box{};
        MeasureGlyphs(text, length, box, format & TEXT_SINGLELINE);
        const long long width = box.right, height = box.bottom;
        if (format & TEXT_CENTER)
            x += (static_cast<long long>(rect.right) - rect.left - width) / 2;
        else if (format & TEXT_RIGHT)
            x = rect.right - width;
        if (format & TEXT_VCENTER)
            y += (static_cast<long long>(rect.bottom) - rect.top - height) / 2;
        else if (format & TEXT_BOTTOM)
            y = rect.bottom - height;
        if (upward) y += height;
    }

    IPlugRect clip{0, 0, dest->Width(), dest->Height()};
    if (!(format & TEXT_NOCLIP))
        clip = {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, clip.right),
                std::min(rect.bottom, clip.bottom)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return 0;

    const long long startX = x, startY = y;
    const int lineStep = lineHeight_ + extraLineSpacing_;
    const bool singleLine = (format & TEXT_SINGLELINE) != 0;
    long long reach = 0; // lowest glyph bottom below startY (rightmost edge for vertical text)
    TextWalk walk(text, length);
    std::uint16_t code = 0;
    while (walk.Next(code)) {
        if (code == '\r') continue;
        if (code == '\n') {
            if (!singleLine) {
                if (vertical) {
                    x += lineStep;
                    y = startY;
                } else {
                    y += lineStep;
                    x = startX;
                }
                continue;
            }
            code = ' ';
        }
        const GlyphRecord* glyph = CachedOrRendered(code);
        if (!glyph) continue;
        if (glyph->HasMask()) {
            const long long px = x, py = upward ? y - glyph->height : y;
            if (FitsInt(px) && FitsInt(py) &&
                PaintMask(dest, *glyph, static_cast<int>(px), static_cast<int>(py), clip, alpha))
                reach = vertical ? std::max(reach, px + glyph->width - startX)
                                 : std::max(reach, py + glyph->height - startY);
        }
        if (!vertical)
            x += glyph->advance;
        else if (upward)
            y -= glyph->advance;
        else
            y += glyph->advance;
    }
    return ToInt(reach);
}
