#pragma once

#include "bitmap/blend_mode.h"
#include "bitmap/pixel_bitmap.h"
#include "bitmap/text/glyph_rasteriser.h"
#include "bitmap/text/glyph_record.h"
#include "bitmap/text/text_flags.h"
#include "base/geometry.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

// Draws UTF-8 text into PixelBitmaps with one platform font. Single characters are
// rendered once by the font's GlyphRasteriser into 8-bit coverage masks, which are then
// composited glyph by glyph with the blend modes of the bitmap library (glyph drawing).
// Where the rasteriser draws whole strings and nothing asks for more than it can do, the
// string goes to it instead (platform drawing).
//
// One font may be shared by plug-in instances on several threads: every operation locks
// the font, and a caller that sets the colour and then draws holds Lock() across both.
class GlyphFont {
public:
    GlyphFont();
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;
    virtual ~GlyphFont();

    // Takes a font and the font flags (FONT_*); empties the glyph cache and, with
    // FONT_PRECACHE, renders codes 0-127. A font attached with FONT_OWNS_HANDLE is deleted
    // when it is replaced by another or the GlyphFont is destroyed.
    virtual bool AttachFont(GlyphRasteriser* handle, int flags);

    // Colours are pixel words 0xAARRGGBB; each setter answers the previous value.
    virtual std::uint32_t SetForeground(std::uint32_t colour);
    virtual std::uint32_t SetBackground(std::uint32_t colour);
    // The colour of shadow and outline pixels.
    virtual std::uint32_t SetEffect(std::uint32_t colour);
    // TEXT_BACKGROUND_TRANSPARENT or TEXT_BACKGROUND_OPAQUE (fills each glyph's box).
    virtual int SetBackgroundMode(int mode);
    virtual void SetBlend(BlendMode mode, float alpha);

    // Draws `length` bytes of UTF-8 text (negative: up to the terminating zero) into rect
    // on dest with TEXT_* format flags, or with TEXT_CALCRECT only measures it, setting
    // rect's right and bottom (dest may then be null). Answers the text height (its width
    // for vertical text), 0 when nothing was drawn.
    virtual int DrawString(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                           unsigned format);

    virtual std::uint32_t GetForeground() const;
    virtual GlyphRasteriser* GetFontHandle() const;
    virtual int LineHeight() const;

    // Composites the cached glyph of code with its pen position at (x, y) (the top of the
    // line box), clipped to clip and to dest. True if anything was considered drawn.
    virtual bool PaintGlyph(PixelBitmap* dest, std::uint16_t code, int x, int y,
                            const IPlugRect& clip);

    // Renders the glyph of code into the cache (again, if it was there). False when it
    // cannot be: no font, a line height above 1023, a code above 127 under FONT_PRECACHE,
    // or no scratch surface.
    bool RasteriseGlyph(std::uint16_t code);

    // The cached record of code (rendered or not), or null when the cache has none. Like
    // Coverage(), valid until the next glyph is cached; for inspection under Lock().
    const GlyphRecord* FindGlyph(std::uint16_t code) const;
    // The coverage mask of a record with a mask, rows of record.width bytes.
    const std::uint8_t* Coverage(const GlyphRecord& record) const;

    int Flags() const;

    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock() const {
        return std::unique_lock(mutex_);
    }

    static constexpr int kMaxGlyphLineHeight = 1023;
    // Above this line height strings go to the platform where it can draw them.
    static constexpr int kMaxGlyphDrawingLineHeight = 255;

private:
    GlyphRecord* Record(std::uint16_t code);
    GlyphRecord* Rasterise(std::uint16_t code);
    GlyphRecord* CachedOrRendered(std::uint16_t code);
    bool StoreCoverage(GlyphRecord& record, const PixelBitmap& surface, int boxWidth, int boxHeight,
                       int advance, int pad);
    void TurnMask(GlyphRecord& record);
    void ApplyMaskEffects(GlyphRecord& record);
    void ClearCache();

    bool UsesPlatformDrawing(unsigned format) const;
    int DrawPlatform(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                     unsigned format);
    int DrawPlatformText(PixelBitmap* dest, const PlatformText& text, IPlugRect& rect);
    int MeasureGlyphs(const char* text, int length, IPlugRect& rect, unsigned format);
    int DrawGlyphs(PixelBitmap* dest, const char* text, int length, IPlugRect& rect,
                   unsigned format);
    bool PaintMask(PixelBitmap* dest, const GlyphRecord& record, int x, int y,
                   const IPlugRect& clip, float alpha) const;

    std::uint32_t textColour_ = 0x00000000;
    std::uint32_t backgroundColour_ = 0xFFFFFFFF;
    std::uint32_t effectColour_ = 0xFFFFFFFF;
    int backgroundMode_ = TEXT_BACKGROUND_TRANSPARENT;
    BlendMode blend_ = BLEND_COPY;
    float alpha_ = 1.0f;
    int flags_ = 0;
    int lineHeight_ = 0;
    int extraLineSpacing_ = 0;
    std::array<GlyphRecord, 128> direct_{};
    std::vector<GlyphRecord> extended_; // codes 128 and above, sorted by code
    std::vector<std::uint8_t> coverage_;
    GlyphRasteriser* handle_ = nullptr;
    mutable std::recursive_mutex mutex_;
};
