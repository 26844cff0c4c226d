#include "type.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstdlib>
#include <string>

namespace art {

namespace {

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) {
            std::fprintf(stderr, "FreeType cannot start\n");
            std::exit(1);
        }
        return lib;
    }();
    return library;
}

// The font file fontconfig picks for family and style; refuses a substitute family so
// that a missing font package shows up instead of silently changing the artwork.
std::string FindFont(const char* family, const char* style, int& index) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    if (match) {
        FcChar8* path = nullptr;
        FcChar8* got = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
            FcPatternGetString(match, FC_FAMILY, 0, &got) == FcResultMatch &&
            std::string(reinterpret_cast<const char*>(got)) == family) {
            file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        }
        FcPatternDestroy(match);
    }
    if (file.empty()) {
        std::fprintf(stderr,
                     "font not found: %s %s (install fonts-liberation2 and "
                     "fonts-dejavu-core)\n",
                     family, style);
        std::exit(1);
    }
    return file;
}

int Round(float v) {
    return static_cast<int>(std::floor(v + 0.5f));
}

} // namespace

struct Typeface::Face {
    FT_Face face = nullptr;
    float xScale = 1.0f;
    float scale = 1.0f;
    float pixelsPerUnit = 0.0f;
};

Typeface::Typeface(const char* family, const char* style, float size, Size kind, float xScale,
                   float scale)
    : face_(std::make_unique<Face>()) {
    size *= scale;
    int index = 0;
    const std::string file = FindFont(family, style, index);
    if (FT_New_Face(Library(), file.c_str(), index, &face_->face) != 0) {
        std::fprintf(stderr, "cannot open font %s\n", file.c_str());
        std::exit(1);
    }
    FT_Face f = face_->face;
    float em = size;
    if (kind == Size::Cell) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const float cell = os2 ? static_cast<float>(os2->usWinAscent + os2->usWinDescent)
                               : static_cast<float>(f->ascender - f->descender);
        em = size * static_cast<float>(f->units_per_EM) / cell;
    }
    face_->xScale = xScale;
    face_->scale = scale;
    face_->pixelsPerUnit = em / static_cast<float>(f->units_per_EM);
    FT_Set_Char_Size(f, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0f)), 72, 72);
}

Typeface::~Typeface() {
    if (face_ && face_->face) FT_Done_Face(face_->face);
}

int Typeface::CellAscent() const {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_->face, FT_SFNT_OS2));
    const float units =
        os2 ? static_cast<float>(os2->usWinAscent) : static_cast<float>(face_->face->ascender);
    return Round(units * face_->pixelsPerUnit);
}

float Typeface::CapHeight() const {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_->face, FT_SFNT_OS2));
    const float units = os2 && os2->sCapHeight > 0 ? static_cast<float>(os2->sCapHeight)
                                                   : 0.7f * face_->face->units_per_EM;
    return units * face_->pixelsPerUnit;
}

TextMask Typeface::Render(std::string_view text, float tracking) const {
    FT_Face f = face_->face;
    tracking *= face_->scale;
    struct Piece {
        int x, y, w, h;
        std::vector<float> cov;
    };
    std::vector<Piece> pieces;
    float pen = 0.0f;
    FT_UInt previous = 0;
    int minX = 0, minY = 0, maxX = 1, maxY = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = static_cast<unsigned char>(text[i]);
        // Two-byte UTF-8 for the few signs the panel prints (the middle dot).
        if ((code & 0xE0) == 0xC0 && i + 1 < text.size())
            code = ((code & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F);
        const FT_UInt glyph = FT_Get_Char_Index(f, code);
        if (previous && glyph && FT_HAS_KERNING(f)) {
            FT_Vector kern;
            if (FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNSCALED, &kern) == 0)
                pen += static_cast<float>(kern.x) * face_->pixelsPerUnit * face_->xScale;
        }
        previous = glyph;
        // The fractional pen position goes into the outline, so letters keep their exact
        // spacing instead of snapping to whole pixels.
        const float whole = std::floor(pen);
        FT_Matrix m{static_cast<FT_Fixed>(std::lround(face_->xScale * 65536.0f)), 0, 0, 0x10000};
        FT_Vector delta{static_cast<FT_Pos>(std::lround((pen - whole) * 64.0f)), 0};
        FT_Set_Transform(f, &m, &delta);
        if (FT_Load_Glyph(f, glyph, FT_LOAD_TARGET_LIGHT) == 0 &&
            FT_Render_Glyph(f->glyph, FT_RENDER_MODE_LIGHT) == 0) {
            const FT_Bitmap& bm = f->glyph->bitmap;
            Piece p{static_cast<int>(whole) + f->glyph->bitmap_left,
                    -f->glyph->bitmap_top,
                    static_cast<int>(bm.width),
                    static_cast<int>(bm.rows),
                    {}};
            p.cov.resize(static_cast<std::size_t>(p.w) * p.h);
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x)
                    p.cov[static_cast<std::size_t>(y) * p.w + x] =
                        static_cast<float>(bm.buffer[y * bm.pitch + x]) / 255.0f;
            if (p.w > 0 && p.h > 0) {
                minX = std::min(minX, p.x);
                minY = std::min(minY, p.y);
                maxX = std::max(maxX, p.x + p.w);
                maxY = std::max(maxY, p.y + p.h);
                pieces.push_back(std::move(p));
            }
        }
        const float advance = static_cast<float>(f->glyph->linearHoriAdvance) / 65536.0f;
        pen += advance * face_->xScale + tracking;
    }
    FT_Set_Transform(f, nullptr, nullptr);
    if (!text.empty()) pen -= tracking;

    TextMask mask;
    mask.left = -minX;
    mask.baseline = -minY;
    mask.width = maxX - minX;
    mask.height = maxY - minY;
    mask.advance = pen;
    mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0.0f);
    for (const Piece& p : pieces)
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                float& c = mask.coverage[static_cast<std::size_t>(p.y - minY + y) * mask.width +
                                         (p.x - minX + x)];
                c = std::min(1.0f, c + p.cov[static_cast<std::size_t>(y) * p.w + x]);
            }
    return mask;
}

void DrawMask(Canvas& c, const TextMask& mask, Pen pen, Colour colour, float alpha) {
    const int ox = pen.x - c.originX - mask.left, oy = pen.y - c.originY - mask.baseline;
    for (int my = 0; my < mask.height; ++my)
        for (int mx = 0; mx < mask.width; ++mx) {
            const float a = mask.coverage[static_cast<std::size_t>(my) * mask.width + mx];
            if (a > 0.0f) Over(c.bitmap, ox + mx, oy + my, colour, a * alpha);
        }
}

TextMask Blurred(const TextMask& mask, float sigma, int radius) {
    TextMask out = mask;
    out.width = mask.width + 2 * radius;
    out.height = mask.height + 2 * radius;
    out.left = mask.left + radius;
    out.baseline = mask.baseline + radius;
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        kernel[static_cast<std::size_t>(i + radius)] =
            std::exp(-static_cast<float>(i * i) / (2.0f * sigma * sigma));
        sum += kernel[static_cast<std::size_t>(i + radius)];
    }
    for (float& k : kernel)
        k /= sum;
    // Separable: rows into a temporary, then columns.
    std::vector<float> rows(static_cast<std::size_t>(out.width) * mask.height, 0.0f);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            float acc = 0.0f;
            for (int k = -radius; k <= radius; ++k)
                acc += kernel[static_cast<std::size_t>(k + radius)] * mask.At(x - radius + k, y);
            rows[static_cast<std::size_t>(y) * out.width + x] = acc;
        }
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 0.0f);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            float acc = 0.0f;
            for (int k = -radius; k <= radius; ++k) {
                const int sy = y - radius + k;
                if (sy >= 0 && sy < mask.height)
                    acc += kernel[static_cast<std::size_t>(k + radius)] *
                           rows[static_cast<std::size_t>(sy) * out.width + x];
            }
            out.coverage[static_cast<std::size_t>(y) * out.width + x] = acc;
        }
    return out;
}

} // namespace art
