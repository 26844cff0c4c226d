#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "font_fixture.h"

#include "bitmap/test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace {

constexpr IPlugRect kEverywhere{INT_MIN, INT_MIN, INT_MAX, INT_MAX};

// 'X': full ink at pen columns 0-3 of rows 2-5; 'g': coverage 99 at column 0 of row 0.
std::unique_ptr<GlyphFont> PaintFont(int flags = 0) {
    auto* r = new FakeRasteriser(10);
    r->Block('X', 6, 4, 2, 6).Define('g', {3, {{0, 0, 1, 1, 99}}});
    auto font = MakeFont(r, flags);
    EXPECT_TRUE(font->RasteriseGlyph('X'));
    EXPECT_TRUE(font->RasteriseGlyph('g'));
    return font;
}

std::uint32_t Combined(std::uint32_t d, std::uint32_t colour, int weight) {
    std::uint32_t out = d;
    combine::Copy::Apply(out, PixelR(colour), PixelG(colour), PixelB(colour), 255, weight);
    return out;
}

TEST(PaintGlyph, FullInkTakesTheColourWithOpaqueAlpha) {
    auto font = PaintFont();
    font->SetForeground(0x40C08020);
    TestBitmap dest(20, 12, 0x10203040);
    EXPECT_TRUE(font->PaintGlyph(&dest, 'X', 5, 1, kEverywhere));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool ink = x >= 5 && x < 9 && y >= 3 && y < 7;
            EXPECT_EQ(dest.At(x, y), ink ? 0xFFC08020u : 0x10203040u) << x << "," << y;
        }
    EXPECT_TRUE(dest.PaddingIs(0x10203040));
}

// code painted at the origin over a 12 x 10 bitmap filled with fill.
TestBitmap Painted(int flags, std::uint32_t colour, std::uint32_t effect, int blend, float alpha,
                   std::uint32_t fill, std::uint16_t code) {
    auto font = PaintFont(flags);
    font->SetForeground(colour);
    font->SetEffect(effect);
    font->SetBlend(blend, alpha);
    TestBitmap dest(12, 10, fill);
    EXPECT_TRUE(font->PaintGlyph(&dest, code, 0, 0, kEverywhere));
    return dest;
}

TEST(PaintGlyph, WeightsAndModes) {
    constexpr std::uint32_t white = 0xFFFFFFFF, black = 0xFF000000, green = 0xFF00FF00;
    // Coverage 99 weighs 100 at full alpha, and is scaled by a partial one.
    EXPECT_EQ(Painted(0, white, 0, BLEND_COPY, 1.0f, black, 'g').At(0, 0),
              Combined(black, white, 100));
    EXPECT_EQ(Painted(0, green, 0, BLEND_COPY, 0.75f, black, 'g').At(0, 0),
              Combined(black, green, 192 * 99 / 256));
    // Zero weight draws nothing but counts as drawn.
    EXPECT_EQ(Painted(0, white, 0, BLEND_COPY, 0.001f, 0x11111111, 'X').At(0, 2), 0x11111111u);
    // Add: every channel saturates, alpha included.
    const TestBitmap add =
        Painted(0, 0xFF101010, 0, BLEND_ADD | BLEND_SOURCE_ALPHA, 1.0f, 0xFFF0F0F0, 'X');
    EXPECT_EQ(add.At(0, 2), white);
    EXPECT_EQ(add.At(0, 0), 0xFFF0F0F0u);
    // Mono at full weight stores the colour word; 'g' (coverage 99) is no ink under mono.
    const TestBitmap mono = Painted(FONT_MONO, 0x80112233, 0, BLEND_COPY, 1.0f, 0, 'X');
    EXPECT_EQ(mono.At(1, 3), 0x80112233u);
    EXPECT_EQ(mono.At(0, 0), 0u);
    EXPECT_EQ(Painted(FONT_MONO, 0x80FFFFFF, 0, BLEND_COPY, 0.5f, black, 'X').At(1, 3),
              Combined(black, 0x80FFFFFF, 128));
    // Shadow: the effect colour right of and below the ink, none above.
    const TestBitmap shadow =
        Painted(FONT_SHADOW, white, 0x80000000, BLEND_COPY, 1.0f, 0xFF808080, 'X');
    EXPECT_EQ(shadow.At(3, 5), white);
    EXPECT_EQ(shadow.At(4, 3), 0x80000000u);
    EXPECT_EQ(shadow.At(4, 6), 0x80000000u);
    EXPECT_EQ(shadow.At(0, 1), 0xFF808080u);
    EXPECT_EQ(Painted(FONT_SHADOW, white, 0x80000000, BLEND_COPY, 0.5f, 0xFF808080, 'X').At(4, 3),
              Combined(0xFF808080, 0x80000000, 128));
}

TEST(PaintGlyph, HalfAlphaAveragesAFullyInkedPixel) {
    const std::uint32_t p = Painted(0, 0xFFFF8000, 0, BLEND_COPY, 0.5f, 0x00204060, 'X').At(0, 2);
    // Weight 128 x 255 / 256 = 127 of 256: within one step of the average.
    EXPECT_EQ(p, Combined(0x00204060, 0xFFFF8000, 127));
    EXPECT_LE(std::abs(PixelR(p) - (0xFF + 0x20) / 2), 1);
    EXPECT_LE(std::abs(PixelG(p) - (0x80 + 0x40) / 2), 1);
    EXPECT_LE(std::abs(PixelB(p) - (0x00 + 0x60) / 2), 1);
    EXPECT_LE(std::abs(PixelA(p) - 255 / 2), 1); // halfway from 0 toward 255
}

TEST(PaintGlyph, OpaqueBackgroundFillsTheBox) {
    auto font = PaintFont();
    font->SetForeground(0xFFFFFFFF);
    font->SetBackground(0xFF0000FF);
    font->SetBackgroundMode(TEXT_BACKGROUND_OPAQUE);
    TestBitmap dest(12, 12, 0);
    font->PaintGlyph(&dest, 'X', 1, 1, kEverywhere);
    const GlyphRecord* g = font->FindGlyph('X');
    EXPECT_EQ(dest.At(1, 1), 0xFF0000FFu); // box, no ink
    EXPECT_EQ(dest.At(1 + g->width - 1, 1 + g->height - 1), 0xFF0000FFu);
    EXPECT_EQ(dest.At(1, 3), 0xFFFFFFFFu);   // ink on top
    EXPECT_EQ(dest.At(1 + g->width, 1), 0u); // beyond the box
}

TEST(PaintGlyph, ClipsToTheRectangleAndTheBitmap) {
    auto font = PaintFont();
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(10, 10, 0);
    EXPECT_TRUE(font->PaintGlyph(&dest, 'X', 0, 0, {2, 0, 3, 4}));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dest.At(x, y), x == 2 && y >= 2 && y < 4 ? 0xFFFFFFFFu : 0u) << x << "," << y;
    EXPECT_FALSE(font->PaintGlyph(&dest, 'X', 0, 0, {20, 20, 30, 30}));

    TestBitmap small(6, 6, 0);
    EXPECT_TRUE(font->PaintGlyph(&small, 'X', -2, 3, kEverywhere));
    EXPECT_EQ(small.At(0, 5), 0xFFFFFFFFu);
    EXPECT_EQ(small.At(1, 5), 0xFFFFFFFFu);
    EXPECT_EQ(small.At(2, 5), 0u);
    EXPECT_TRUE(small.PaddingIs(0));
    EXPECT_FALSE(font->PaintGlyph(&small, 'X', INT_MAX, INT_MAX, kEverywhere));
    EXPECT_FALSE(font->PaintGlyph(&small, 'X', INT_MIN, INT_MIN, kEverywhere));
}

TEST(PaintGlyph, HonoursAFlippedBitmap) {
    auto font = PaintFont();
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(8, 8, 0, true);
    font->PaintGlyph(&dest, 'X', 0, 0, kEverywhere);
    EXPECT_EQ(dest.At(0, 2), 0xFFFFFFFFu);
    EXPECT_EQ(dest.Stored(0, 8 - 1 - 2), 0xFFFFFFFFu);
    EXPECT_EQ(dest.At(0, 1), 0u);
}

TEST(PaintGlyph, FailsWithoutAGlyphOrABitmap) {
    auto font = PaintFont();
    TestBitmap dest(8, 8, 0);
    EXPECT_FALSE(font->PaintGlyph(&dest, 'Q', 0, 0, kEverywhere));   // never rendered
    EXPECT_FALSE(font->PaintGlyph(&dest, 0x400, 0, 0, kEverywhere)); // not in the list
    EXPECT_FALSE(font->PaintGlyph(nullptr, 'X', 0, 0, kEverywhere));
    TestBitmap empty(0, 0);
    EXPECT_FALSE(font->PaintGlyph(&empty, 'X', 0, 0, kEverywhere));
}

} // namespace
