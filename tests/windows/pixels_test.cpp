// Pixels made by the Windows-only code: PNG resources of the DLL, DIB sections, GDI glyphs
// and text.
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/text/font_cache.h"
#include "bitmap/text/gdi/gdi_rasteriser.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/plug_text.h"
#include "bitmap/text/text_flags.h"
#include "bitmap/win32/dib_bitmap.h"
#include "bitmap/win32/png_resource.h"
#include "wine_environment.h"

#include <gtest/gtest.h>

#include <memory>

TEST(PngResources, SixImagesOfTheirSizes) {
    const HMODULE dll = Suite().Module();
    const int sizes[6][2] = {{530, 210}, {81, 81}, {50, 50}, {14, 31}, {86, 60}, {86, 20}};
    for (int id = 100; id <= 105; ++id) {
        std::unique_ptr<PixelBitmap> image = LoadPngResource(dll, id);
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->Width(), sizes[id - 100][0]) << id;
        EXPECT_EQ(image->Height(), sizes[id - 100][1]) << id;
    }
    EXPECT_EQ(LoadPngResource(dll, 106), nullptr);
    EXPECT_EQ(LoadPngResource(GetModuleHandleA("kernel32.dll"), 100), nullptr);
    HeapBitmap into(10, 10, 4);
    EXPECT_TRUE(LoadPngResource(dll, 105, into));
    EXPECT_EQ(into.Width(), 86);
    EXPECT_EQ(into.Height(), 20);
    // The background is opaque everywhere.
    std::unique_ptr<PixelBitmap> bg = LoadPngResource(dll, 100);
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->Bits()[bg->RowSpan() * 100 + 200] >> 24, 255u);
}

TEST(DibBitmap, SizesAndRows) {
    DibBitmap dib(200, 100);
    EXPECT_TRUE(dib.Dc() != nullptr && dib.Bits() != nullptr);
    EXPECT_TRUE(dib.Width() == 200 && dib.Height() == 100 && dib.RowSpan() == 200);
    EXPECT_FALSE(dib.IsFlipped());
    std::uint32_t* bits = dib.Bits();
    EXPECT_TRUE(dib.Resize(150, 80));
    EXPECT_TRUE(dib.Bits() == bits && dib.RowSpan() == 200 && dib.Width() == 150);
    EXPECT_FALSE(dib.Resize(150, 80));
    EXPECT_TRUE(dib.Resize(301, 20));
    EXPECT_TRUE(dib.RowSpan() == 304 && dib.Width() == 301 && dib.Bits() != nullptr);
    EXPECT_TRUE(!dib.Resize(0, 0) && dib.Bits() == nullptr && dib.Width() == 0);
    // Rows are top-down in memory: a GDI fill of the top row lands in the first stored row.
    dib.Resize(8, 8);
    FillRectangle(&dib, 0, 0, 8, 8, 0xFF000000, 1.0f, BLEND_COPY);
    RECT top{0, 0, 8, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dib.Dc(), &top, red);
    DeleteObject(red);
    GdiFlush();
    EXPECT_EQ(dib.Bits()[3] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(dib.Bits()[dib.RowSpan() * 7 + 3] & 0xFFFFFF, 0u);
}

TEST(GdiText, GlyphsUnderTheCompatibilityLayer) {
    EXPECT_TRUE(RunningUnderCompatibilityLayer());
    FontRequest request;
    request.face = "Arial";
    request.height = 16;
    std::unique_ptr<GdiRasteriser> raster = GdiRasteriser::Create(request);
    ASSERT_NE(raster, nullptr);
    EXPECT_GE(raster->LineHeight(), 14);
    EXPECT_LE(raster->LineHeight(), 20);
    EXPECT_FALSE(raster->DrawsStrings()) << "under the compatibility layer glyphs are drawn";
    std::unique_ptr<PixelBitmap> surface = raster->NewSurface();
    ASSERT_TRUE(surface && surface->Resize(64, 64) && surface->DeviceContext());
    const CharExtent w = raster->MeasureChar(*surface, u'W');
    const CharExtent i = raster->MeasureChar(*surface, u'i');
    EXPECT_GT(w.advance, i.advance);
    EXPECT_GT(i.advance, 0);
    EXPECT_EQ(w.height, raster->LineHeight());
    FillRectangle(surface.get(), 0, 0, 64, 64, 0xFF000000, 1.0f, BLEND_COPY);
    EXPECT_TRUE(raster->DrawChar(*surface, u'W', 2, 0));
    int inked = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t p = surface->Bits()[y * surface->RowSpan() + x];
            // White on black: the channels agree.
            inked += ((p >> 16) & 0xFF) > 128;
            if (((p >> 16) & 0xFF) != (p & 0xFF)) inked = -1000;
        }
    EXPECT_GT(inked, 20);

    // A whole string through GDI into a device context, measured and drawn.
    PlatformText text;
    text.bytes = "Velmorande";
    text.byteCount = 10;
    text.format = TEXT_CALCRECT | TEXT_SINGLELINE;
    text.colour = 0xFFFF0000;
    IPlugRect box{};
    const int height = raster->DrawWholeString(*surface, text, box);
    EXPECT_EQ(height, raster->LineHeight());
    EXPECT_GT(box.W(), 40);
    surface->Resize(200, 40);
    FillRectangle(surface.get(), 0, 0, 200, 40, 0xFF000000, 1.0f, BLEND_COPY);
    text.format = TEXT_NOCLIP;
    IPlugRect at{0, 0, 200, 40};
    raster->DrawWholeString(*surface, text, at);
    int redPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            redPixels += (surface->Bits()[y * surface->RowSpan() + x] & 0xFFFFFF) > 0x7F0000;
    EXPECT_GT(redPixels, 30);
}

TEST(GdiText, FontCacheDrawsGlyphByGlyph) {
    IPlugText style;
    style.SetFace("Arial");
    style.size = 16;
    GlyphFont* font = GetFont(style);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(style.cachedFont, font);
    EXPECT_EQ(GetFont(style), font);
    EXPECT_NE(dynamic_cast<GdiRasteriser*>(font->GetFontHandle()), nullptr);
    HeapBitmap target(120, 30, 4);
    FillRectangle(&target, 0, 0, 120, 30, 0xFF000000, 1.0f, BLEND_COPY);
    font->SetForeground(0xFFFFFFFF);
    IPlugRect line{0, 0, 120, 30};
    EXPECT_GT(font->DrawString(&target, "75 %", -1, line, TEXT_NOCLIP), 0);
    const GlyphRecord* seven = font->FindGlyph('7');
    ASSERT_NE(seven, nullptr);
    EXPECT_GT(seven->position, 0);
    EXPECT_GT(seven->advance, 0);
    IPlugRect measured{0, 0, 0, 0};
    font->DrawString(nullptr, "77", -1, measured, TEXT_CALCRECT);
    EXPECT_EQ(measured.W(), 2 * seven->advance);
}
