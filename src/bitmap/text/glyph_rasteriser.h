#pragma once

#include "bitmap/pixel_bitmap.h"
#include "base/geometry.h"

#include <cstdint>
#include <memory>

// What a platform font is made from.
struct FontRequest {
    const char* face = "Arial";
    int height = 16;     // cell height (a line) in pixels; negative: the em height; 0: default
    int style = 0;       // TEXT_STYLE_BOLD | TEXT_STYLE_ITALIC
    int orientation = 0; // degrees
    int quality = 0;     // TEXT_QUALITY_*
};

// Pen advance and box height of one character.
struct CharExtent {
    int advance = 0;
    int height = 0;
};

// A whole string for a platform that draws strings itself: UTF-16 units when the text
// needed converting, else the raw bytes.
struct PlatformText {
    const char16_t* units = nullptr;
    int unitCount = 0;
    const char* bytes = nullptr;
    int byteCount = 0;
    unsigned format = 0; // TEXT_* format flags; never TEXT_FOREGROUND_ALPHA or TEXT_FORCE_GLYPHS
    std::uint32_t colour = 0;
    int backgroundMode = 1;
    std::uint32_t background = 0;
};

// One platform font: the seam between GlyphFont, which is platform-free, and the platform's
// text engine. GlyphFont deletes it when attached with FONT_OWNS_HANDLE.
//
// Glyphs are drawn into surfaces that the rasteriser makes itself (NewSurface), so that an
// engine that needs a drawing context (GDI's memory DC) gets one; a plain heap bitmap
// serves an engine that writes pixels. GlyphFont keeps those surfaces process-wide and
// calls into a rasteriser under its lock only.
class GlyphRasteriser {
public:
    GlyphRasteriser() = default;
    GlyphRasteriser(const GlyphRasteriser&) = delete;
    GlyphRasteriser& operator=(const GlyphRasteriser&) = delete;
    virtual ~GlyphRasteriser() = default;

    // Height of a line in pixels.
    virtual int LineHeight() const = 0;
    // The advance and box height that drawing the character at a pen position gives.
    virtual CharExtent MeasureChar(PixelBitmap& surface, char16_t code) = 0;
    // Draws the character white on black (coverage in R, G and B) with its pen position at
    // (x, y), the top of its line box; ink may fall outside the box and is clipped to the
    // surface. False when nothing could be drawn.
    virtual bool DrawChar(PixelBitmap& surface, char16_t code, int x, int y) = 0;
    // An empty surface of the kind DrawChar and DrawWholeString draw into.
    virtual std::unique_ptr<PixelBitmap> NewSurface() const = 0;

    // True where the platform draws whole strings itself and should (a platform that
    // emulates another may answer false to keep glyph drawing).
    virtual bool DrawsStrings() const { return false; }
    // Draws or, with TEXT_CALCRECT, measures a string in rect on a surface that has a
    // device context; answers the text height like the platform's own call.
    virtual int DrawWholeString(PixelBitmap& /*surface*/, const PlatformText& /*text*/,
                                IPlugRect& /*rect*/) {
        return 0;
    }
};

// The platform's font for a request, or null when none can be made. Defined by the
// platform's rasteriser (FreeType with fontconfig on Linux).
std::unique_ptr<GlyphRasteriser> CreateGlyphRasteriser(const FontRequest& request);
