#pragma once

#include "bitmap/text/glyph_rasteriser.h"
#include "base/win32/win32_api.h"

#include <memory>

// Glyphs and whole strings from GDI: one font made with CreateFontA, drawn with DrawTextW
// or DrawTextA into the memory device context of a DibBitmap. Whole strings are left to
// GDI except under a compatibility layer (Wine), whose text output differs from Windows'
// enough that glyph drawing gives the truer picture.
class GdiRasteriser final : public GlyphRasteriser {
public:
    static std::unique_ptr<GdiRasteriser> Create(const FontRequest& request);
    // Takes ownership of the font.
    explicit GdiRasteriser(HFONT font);
    ~GdiRasteriser() override;

    int LineHeight() const override { return lineHeight_; }
    CharExtent MeasureChar(PixelBitmap& surface, char16_t code) override;
    bool DrawChar(PixelBitmap& surface, char16_t code, int x, int y) override;
    std::unique_ptr<PixelBitmap> NewSurface() const override;
    bool DrawsStrings() const override;
    int DrawWholeString(PixelBitmap& surface, const PlatformText& text, IPlugRect& rect) override;

    HFONT Font() const { return font_; }

private:
    HFONT font_;
    int lineHeight_ = 0;
};

// Whether the program runs under a compatibility layer rather than Windows itself: the
// registry key "Software\Wine" exists. Asked once per process.
bool RunningUnderCompatibilityLayer();
