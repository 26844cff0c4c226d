#pragma once

#include "bitmap/text/glyph_rasteriser.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>

// Glyphs from FreeType: a font file found by fontconfig, sized so that a line (ascent plus
// descent, as Windows measures them) is the requested pixel height. Bold and italic come
// from the matching face, or are made up from the regular one. Grey antialiasing, or none
// for TEXT_QUALITY_NONANTIALIASED. Draws into heap bitmaps and leaves whole strings to
// glyph drawing.
class FreeTypeRasteriser final : public GlyphRasteriser {
public:
    static std::unique_ptr<FreeTypeRasteriser> Create(const FontRequest& request);
    // A face of a given file; synthetic bold or italic where the request asks for a style
    // that the face lacks.
    static std::unique_ptr<FreeTypeRasteriser> FromFile(const std::string& file, int index,
                                                        const FontRequest& request, bool faceIsBold,
                                                        bool faceIsItalic);

    int LineHeight() const override { return lineHeight_; }
    CharExtent MeasureChar(PixelBitmap& surface, char16_t code) override;
    bool DrawChar(PixelBitmap& surface, char16_t code, int x, int y) override;
    std::unique_ptr<PixelBitmap> NewSurface() const override;

    // Pixels from the top of a line to its baseline.
    int Ascent() const { return ascent_; }
    // The family name of the face in use.
    std::string FamilyName() const;

private:
    struct LibraryDeleter {
        void operator()(FT_Library library) const { FT_Done_FreeType(library); }
    };
    struct FaceDeleter {
        void operator()(FT_Face face) const { FT_Done_Face(face); }
    };

    FreeTypeRasteriser() = default;
    bool SetSize(int height);
    FT_GlyphSlot LoadGlyph(char16_t code);

    // The face goes before its library.
    std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library_;
    std::unique_ptr<FT_FaceRec_, FaceDeleter> face_;
    int lineHeight_ = 0;
    int ascent_ = 0;
    FT_Pos embolden_ = 0; // 26.6 pixels of synthetic bold
    bool oblique_ = false;
    bool mono_ = false;
};
