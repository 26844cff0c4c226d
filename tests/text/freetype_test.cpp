// The Linux rasteriser with the fonts installed on this machine.
#include "bitmap/text/freetype/freetype_rasteriser.h"

#include "bitmap/heap_bitmap.h"
#include "bitmap/pixel_word.h"
#include "bitmap/text/font_cache.h"
#include "bitmap/text/glyph_font.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::unique_ptr<FreeTypeRasteriser> Make(const char* face, int height, int style = 0,
                                         int quality = TEXT_QUALITY_DEFAULT) {
    FontRequest request;
    request.face = face;
    request.height = height;
    request.style = style;
    request.quality = quality;
    return FreeTypeRasteriser::Create(request);
}

std::unique_ptr<GlyphFont> Attach(std::unique_ptr<FreeTypeRasteriser> r, int flags = 0) {
    auto font = std::make_unique<GlyphFont>();
    font->AttachFont(r.release(), flags | FONT_OWNS_HANDLE | FONT_NATIVE);
    return font;
}

int SumOfAdvances(GlyphFont& font, const std::string& text) {
    int sum = 0;
    for (char c : text) {
        EXPECT_TRUE(font.RasteriseGlyph(static_cast<std::uint8_t>(c)));
        sum += font.FindGlyph(static_cast<std::uint8_t>(c))->advance;
    }
    return sum;
}

// Rows of a glyph's mask that hold ink.
int InkRows(const GlyphFont& font, const GlyphRecord& g) {
    int rows = 0;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (font.Coverage(g)[y * g.width + x]) {
                ++rows;
                break;
            }
    return rows;
}

TEST(FreeTypeRasteriser, LineHeightIsTheRequestedHeight) {
    for (const char* face : {"Arial", "Verdana"}) // found as metric-compatible faces
        for (int height : {8, 13, 16, 20, 32, 64, 200}) {
            auto r = Make(face, height);
            ASSERT_NE(r, nullptr) << face;
            EXPECT_FALSE(r->FamilyName().empty());
            EXPECT_EQ(r->LineHeight(), height);
            EXPECT_GT(r->Ascent(), height / 2);
            EXPECT_LT(r->Ascent(), height);
        }
    auto em = Make("Arial", -20); // an em height: the line is taller
    ASSERT_NE(em, nullptr);
    EXPECT_GT(em->LineHeight(), 20);
}

TEST(FreeTypeRasteriser, GlyphsHaveAdvancesAndInk) {
    auto font = Attach(Make("Arial", 16));
    const std::string printable = "0123456789ABCXYZabcxyz%/.:Hmsv";
    for (char c : printable) {
        ASSERT_TRUE(font->RasteriseGlyph(static_cast<std::uint8_t>(c))) << c;
        const GlyphRecord* g = font->FindGlyph(static_cast<std::uint8_t>(c));
        EXPECT_GT(g->advance, 0) << c;
        EXPECT_EQ(g->height, 16) << c;
        EXPECT_GT(InkRows(*font, *g), 0) << c;
    }
    ASSERT_TRUE(font->RasteriseGlyph(' '));
    EXPECT_GT(font->FindGlyph(' ')->advance, 0);
    EXPECT_EQ(InkRows(*font, *font->FindGlyph(' ')), 0);
    ASSERT_TRUE(font->RasteriseGlyph(0xE9));
    EXPECT_GT(InkRows(*font, *font->FindGlyph(0xE9)), 0);
}

TEST(FreeTypeRasteriser, TallerFontsHaveTallerInk) {
    // A capital fills about seven tenths of the em, a little less of the line.
    for (int height : {13, 32}) {
        auto font = Attach(Make("Arial", height));
        ASSERT_TRUE(font->RasteriseGlyph('H'));
        EXPECT_NEAR(InkRows(*font, *font->FindGlyph('H')), height * 0.63, 1.5) << height;
    }
}

TEST(FreeTypeRasteriser, BoldIsWiderThanRegular) {
    const std::string text = "500ms 6000Hz";
    for (const char* face : {"Arial", "Verdana"}) {
        auto regular = Attach(Make(face, 16));
        auto bold = Attach(Make(face, 16, TEXT_STYLE_BOLD));
        EXPECT_GT(SumOfAdvances(*bold, text), SumOfAdvances(*regular, text)) << face;
    }
}

TEST(FreeTypeRasteriser, ItalicSlants) {
    auto regular = Attach(Make("Arial", 32));
    auto italic = Attach(Make("Arial", 32, TEXT_STYLE_ITALIC));
    ASSERT_TRUE(regular->RasteriseGlyph('l'));
    ASSERT_TRUE(italic->RasteriseGlyph('l'));
    // The stem of an upright 'l' starts in the same column at its top and bottom.
    auto firstInk = [](const GlyphFont& f, const GlyphRecord& g, int y) {
        for (int x = 0; x < g.width; ++x)
            if (f.Coverage(g)[y * g.width + x] > 128) return x;
        return -1;
    };
    const GlyphRecord& r = *regular->FindGlyph('l');
    const GlyphRecord& i = *italic->FindGlyph('l');
    EXPECT_EQ(firstInk(*regular, r, 8), firstInk(*regular, r, 24));
    EXPECT_GT(firstInk(*italic, i, 8), firstInk(*italic, i, 24) + 2);
}

TEST(FreeTypeRasteriser, NonAntialiasedQualityGivesTwoLevels) {
    auto font = Attach(Make("Arial", 16, 0, TEXT_QUALITY_NONANTIALIASED));
    ASSERT_TRUE(font->RasteriseGlyph('S'));
    const GlyphRecord& g = *font->FindGlyph('S');
    int ink = 0;
    for (int i = 0; i < g.width * g.height; ++i) {
        const int c = font->Coverage(g)[i];
        EXPECT_TRUE(c == 0 || c == 255) << c;
        ink += c == 255;
    }
    EXPECT_GT(ink, 10);

    auto smooth = Attach(Make("Arial", 16));
    ASSERT_TRUE(smooth->RasteriseGlyph('S'));
    const GlyphRecord& s = *smooth->FindGlyph('S');
    int partial = 0;
    for (int i = 0; i < s.width * s.height; ++i)
        partial += smooth->Coverage(s)[i] > 0 && smooth->Coverage(s)[i] < 255;
    EXPECT_GT(partial, 0);
}

TEST(FreeTypeRasteriser, DrawsAStringInsideItsBox) {
    auto font = Attach(Make("Arial", 16));
    font->SetForeground(0xFFFFFFFF);
    HeapBitmap panel(200, 40, 4);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            panel.Bits()[y * panel.RowSpan() + x] = 0xFF000000;
    IPlugRect measured{};
    const int height = font->DrawString(nullptr, "6000Hz", -1, measured, TEXT_CALCRECT);
    EXPECT_EQ(height, 16);
    EXPECT_GT(measured.W(), 30);
    EXPECT_LT(measured.W(), 70);

    IPlugRect rect{10, 10, 190, 30};
    font->DrawString(&panel, "6000Hz", -1, rect, TEXT_CENTER | TEXT_NOCLIP);
    const int left = 10 + (180 - measured.W()) / 2;
    int ink = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            if (panel.Bits()[y * panel.RowSpan() + x] == 0xFF000000) continue;
            ++ink;
            outside += x < left - 2 || x >= left + measured.W() + 2 || y < 10 || y >= 26;
        }
    EXPECT_GT(ink, 60);
    EXPECT_EQ(outside, 0);
}

TEST(FreeTypeRasteriser, UnusualRequests) {
    EXPECT_NE(Make("No Such Face Anywhere", 16), nullptr); // fontconfig's fallback
    EXPECT_NE(Make("", 16), nullptr);
    EXPECT_NE(Make(nullptr, 0), nullptr);
    EXPECT_EQ(Make("Arial", 1000000), nullptr);
    EXPECT_EQ(Make("Arial", -1000000), nullptr);

    // A huge font is made but refused for glyphs; one too large is not made at all.
    IPlugText style;
    style.size = 2000;
    GlyphFont* font = GetFont(style);
    ASSERT_NE(font, nullptr);
    HeapBitmap panel(50, 50, 4);
    IPlugRect rect{0, 0, 50, 50};
    EXPECT_EQ(font->DrawString(&panel, "A", -1, rect, 0), 0);
    style.size = 1000000;
    style.cachedFont = nullptr;
    EXPECT_EQ(GetFont(style), nullptr);
    EXPECT_EQ(style.cachedFont, nullptr);
}

} // namespace
