#include "bitmap/text/freetype/freetype_rasteriser.h"

#include "bitmap/heap_bitmap.h"
#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"
#include "bitmap/text/freetype/font_match.h"
#include "bitmap/text/plug_text.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kDefaultHeight = 16;
// Far beyond anything drawn as glyphs (GlyphFont stops at 1023), and within FreeType's sizes.
constexpr int kMaxHeight = 8192;

// The x shear of synthetic italics, about 12 degrees (16.16).
constexpr FT_Fixed kObliqueShear = 0x0366A;

} // namespace

std::unique_ptr<GlyphRasteriser> CreateGlyphRasteriser(const FontRequest& request) {
    return FreeTypeRasteriser::Create(request);
}

std::unique_ptr<FreeTypeRasteriser> FreeTypeRasteriser::Create(const FontRequest& request) {
    const bool bold = (request.style & TEXT_STYLE_BOLD) != 0;
    const bool italic = (request.style & TEXT_STYLE_ITALIC) != 0;
    const std::optional<MatchedFont> match = MatchFont(request.face, bold, italic);
    if (!match) return nullptr;
    return FromFile(match->file, match->index, request, match->bold, match->italic);
}

std::unique_ptr<FreeTypeRasteriser> FreeTypeRasteriser::FromFile(const std::string& file, int index,
                                                                 const FontRequest& request,
                                                                 bool faceIsBold,
                                                                 bool faceIsItalic) {
    std::unique_ptr<FreeTypeRasteriser> font(new FreeTypeRasteriser);
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    font->library_.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
    font->face_.reset(face);
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
    if (!font->SetSize(request.height)) return nullptr;

    font->mono_ = request.quality == TEXT_QUALITY_NONANTIALIASED;
    font->oblique_ = (request.style & TEXT_STYLE_ITALIC) && !faceIsItalic;
    if ((request.style & TEXT_STYLE_BOLD) && !faceIsBold) {
        // About one pixel for text sizes, more for large ones.
        const FT_Pos em = face->size->metrics.y_ppem;
        font->embolden_ = std::max<FT_Pos>(64, em * 64 / 24);
    }
    return font;
}

bool FreeTypeRasteriser::SetSize(int height) {
    if (height == 0) height = kDefaultHeight;
    if (std::abs(height) > kMaxHeight) return false;
    FT_Face face = face_.get();
    // A line as Windows measures it: the OS/2 table's Windows ascent and descent.
    double ascent = face->ascender, descent = -face->descender;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) {
        ascent = face->units_per_EM * 0.8;
        descent = face->units_per_EM * 0.2;
    }
    const double cellUnits = ascent + descent;
    double em = 0, cell = 0;
    if (height > 0) {
        cell = height;
        em = height * face->units_per_EM / cellUnits;
    } else {
        em = -height;
        cell = std::round(em * cellUnits / face->units_per_EM);
    }
    const auto em26 = static_cast<FT_F26Dot6>(std::lround(em * 64.0));
    if (em26 < 1 || FT_Set_Char_Size(face, 0, em26, 72, 72) != 0) return false;
    lineHeight_ = std::max(1, static_cast<int>(cell));
    ascent_ = static_cast<int>(std::lround(cell * ascent / cellUnits));
    return true;
}

std::string FreeTypeRasteriser::FamilyName() const {
    return face_->family_name ? face_->family_name : "";
}

std::unique_ptr<PixelBitmap> FreeTypeRasteriser::NewSurface() const {
    return std::make_unique<HeapBitmap>(0, 0, 4);
}

FT_GlyphSlot FreeTypeRasteriser::LoadGlyph(char16_t code) {
    FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Char(face_.get(), code, flags) != 0) return nullptr;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (oblique_) {
            FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (embolden_) FT_Outline_EmboldenXY(&slot->outline, embolden_, embolden_ / 2);
    }
    return slot;
}

CharExtent FreeTypeRasteriser::MeasureChar(PixelBitmap& /*surface*/, char16_t code) {
    FT_GlyphSlot slot = LoadGlyph(code);
    if (!slot) return {};
    const FT_Pos advance = slot->advance.x + embolden_;
    return {static_cast<int>((advance + 32) >> 6), lineHeight_};
}

bool FreeTypeRasteriser::DrawChar(PixelBitmap& surface, char16_t code, int x, int y) {
    if (!surface.Bits()) return false;
    FT_GlyphSlot slot = LoadGlyph(code);
    if (!slot || FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return false;

    const long long left = static_cast<long long>(x) + slot->bitmap_left;
    const long long top = static_cast<long long>(y) + ascent_ - slot->bitmap_top;
    const int rows = static_cast<int>(bitmap.rows), columns = static_cast<int>(bitmap.width);
    const int pitch = std::abs(bitmap.pitch);
    const auto walk = bitmap_detail::WalkRows(surface, 0, 0);
    for (int j = 0; j < rows; ++j) {
        const long long sy = top + j;
        if (sy < 0 || sy >= surface.Height()) continue;
        // A negative pitch stores the rows bottom-up.
        const unsigned char* src =
            bitmap.buffer +
            static_cast<std::ptrdiff_t>(bitmap.pitch > 0 ? j : rows - 1 - j) * pitch;
        std::uint32_t* row = walk.Row(static_cast<std::ptrdiff_t>(sy));
        for (int i = 0; i < columns; ++i) {
            const long long sx = left + i;
            if (sx < 0 || sx >= surface.Width()) continue;
            const int v = mono ? ((src[i >> 3] >> (7 - (i & 7))) & 1) * 255 : src[i];
            if (v > PixelR(row[sx])) row[sx] = PackPixel(255, v, v, v);
        }
    }
    return true;
}
