#include "bitmap/text/shared_scratch.h"
#include "font_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Line height 10: no margin, the pen 2 pixels into the box.
TEST(RasteriseGlyph, TrimsToThePenAndTheAdvance) {
    auto* r = new FakeRasteriser(10);
    r->Block('A', 6, 5, 2, 9);
    auto font = MakeFont(r);
    const GlyphRecord& g = Rendered(*font, 'A');
    EXPECT_EQ(g.advance, 6);
    EXPECT_EQ(g.height, 10);
    EXPECT_EQ(g.leftOffset, 0);
    EXPECT_EQ(g.width, 6); // the advance: the ink ends before it
    EXPECT_EQ(g.code, 'A');
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            EXPECT_EQ(MaskAt(*font, g, x, y), x < 5 && y >= 2 && y < 9 ? 255 : 0) << x << "," << y;
}

TEST(RasteriseGlyph, KeepsInkLeftOfThePen) {
    auto* r = new FakeRasteriser(10);
    r->Define('j', {4, {{-2, 0, 1, 10, 200}}});
    auto font = MakeFont(r);
    const GlyphRecord& g = Rendered(*font, 'j');
    EXPECT_EQ(g.leftOffset, 2);
    EXPECT_EQ(g.width, 2 + 4);
    EXPECT_EQ(MaskAt(*font, g, 0, 5), 200);
    EXPECT_EQ(MaskAt(*font, g, 2, 5), 200);
    EXPECT_EQ(MaskAt(*font, g, 3, 5), 0);
}

TEST(RasteriseGlyph, MarginGrowsWithTheLineHeight) {
    // Line height 32: margin 2, pad 4; ink 5 left of the pen is cut to the box's edge.
    auto* r = new FakeRasteriser(32);
    r->Define('f', {10, {{-5, 0, 0, 32, 255}}});
    auto font = MakeFont(r);
    const GlyphRecord& g = Rendered(*font, 'f');
    EXPECT_EQ(g.leftOffset, 4);
    EXPECT_EQ(g.width, 4 + 10);
    EXPECT_EQ(g.height, 32);
}

TEST(RasteriseGlyph, KeepsOverhangPastTheAdvanceWithinTheBox) {
    // Advance 4, box 4 + 0 + 4 = 8 columns, pen at 2: ink up to column 7 of the box.
    auto* r = new FakeRasteriser(10);
    r->Define('W', {4, {{0, 0, 20, 3, 255}}});
    auto font = MakeFont(r);
    const GlyphRecord& g = Rendered(*font, 'W');
    EXPECT_EQ(g.width, 8 - 2);
    EXPECT_EQ(g.advance, 4);
    EXPECT_EQ(MaskAt(*font, g, 5, 0), 255);
}

TEST(RasteriseGlyph, CharacterWithoutAdvanceIsEmpty) {
    auto* r = new FakeRasteriser(10);
    auto font = MakeFont(r);
    EXPECT_TRUE(font->RasteriseGlyph('?'));
    const GlyphRecord* g = font->FindGlyph('?');
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->position, kGlyphEmpty);
    EXPECT_EQ(g->advance, 0);
    EXPECT_EQ(font->Coverage(*g), nullptr);
}

TEST(RasteriseGlyph, BlankCharacterKeepsItsAdvance) {
    auto* r = new FakeRasteriser(10);
    r->Define(' ', {3, {}});
    auto font = MakeFont(r);
    const GlyphRecord& g = Rendered(*font, ' ');
    EXPECT_TRUE(g.HasMask());
    EXPECT_EQ(g.advance, 3);
}

TEST(RasteriseGlyph, ExtendedCodesAreFoundInAnyOrder) {
    auto* r = new FakeRasteriser(10);
    const std::vector<std::uint16_t> codes{0x3A9, 0x100, 0xFFFF, 0x80, 0x2000};
    for (std::uint16_t c : codes)
        r->Block(static_cast<char16_t>(c), 2 + c % 7, 1, 0, 1);
    auto font = MakeFont(r);
    for (std::uint16_t c : codes)
        EXPECT_TRUE(font->RasteriseGlyph(c));
    EXPECT_EQ(font->FindGlyph(0x101), nullptr);
    for (std::uint16_t c : codes) {
        const GlyphRecord* g = font->FindGlyph(c);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->code, c);
        EXPECT_EQ(g->advance, 2 + c % 7);
    }
}

TEST(RasteriseGlyph, EarlierMasksSurviveLaterOnes) {
    auto* r = new FakeRasteriser(40);
    for (char16_t c = 0x100; c < 0x300; ++c)
        r->Block(c, 30, 20, 0, 40, c & 0xFF ? c & 0xFF : 1);
    auto font = MakeFont(r);
    for (char16_t c = 0x100; c < 0x300; ++c)
        ASSERT_TRUE(font->RasteriseGlyph(c));
    for (char16_t c = 0x100; c < 0x300; c += 37) {
        const GlyphRecord* g = font->FindGlyph(c);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(MaskAt(*font, *g, 10, 20), c & 0xFF ? c & 0xFF : 1);
    }
}

TEST(RasteriseGlyph, PrecacheRendersAsciiAndRefusesTheRest) {
    auto* r = new FakeRasteriser(10);
    r->Block('A', 6, 5, 0, 10).Block(0xE9, 6, 5, 0, 10);
    auto font = MakeFont(r, FONT_PRECACHE);
    EXPECT_EQ(r->measured, 128);
    const GlyphRecord* a = font->FindGlyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->HasMask());
    EXPECT_FALSE(font->RasteriseGlyph(0xE9));
    EXPECT_EQ(font->FindGlyph(0xE9), nullptr);
}

TEST(RasteriseGlyph, RefusesLineHeightsAbove1023) {
    auto* r = new FakeRasteriser(1024);
    r->Block('A', 6, 5, 0, 10);
    auto font = MakeFont(r);
    EXPECT_FALSE(font->RasteriseGlyph('A'));
    EXPECT_EQ(r->measured, 0);
}

TEST(RasteriseGlyph, RefusesWithoutAFont) {
    GlyphFont font;
    EXPECT_FALSE(font.RasteriseGlyph('A'));
}

TEST(RasteriseGlyph, InvertTakesTheComplement) {
    auto* r = new FakeRasteriser(10);
    r->Block('A', 4, 2, 0, 10, 200);
    auto font = MakeFont(r, FONT_INVERT);
    const GlyphRecord& g = Rendered(*font, 'A');
    // Every column of the box holds ink once inverted, so nothing is trimmed.
    EXPECT_EQ(g.leftOffset, 2);
    EXPECT_EQ(MaskAt(*font, g, 2, 0), 55);
    EXPECT_EQ(MaskAt(*font, g, 0, 0), 255);
}

TEST(RasteriseGlyph, BlurSpreadsInk) {
    auto* r = new FakeRasteriser(10);
    r->Define('.', {5, {{2, 5, 3, 6, 255}}});
    auto font = MakeFont(r, FONT_BLUR);
    const GlyphRecord& g = Rendered(*font, '.');
    // A half of the centre stays; an eighth reaches each of the four neighbours.
    EXPECT_EQ(MaskAt(*font, g, 2, 5), 255 / 2);
    EXPECT_EQ(MaskAt(*font, g, 1, 5), 255 / 8);
    EXPECT_EQ(MaskAt(*font, g, 2, 4), 255 / 8);
    EXPECT_EQ(MaskAt(*font, g, 1, 4), 0);
}

TEST(RasteriseGlyph, MonoThresholdsAbove130) {
    auto* r = new FakeRasteriser(10);
    r->Define('m',
              {6, {{0, 0, 1, 1, 130}, {1, 0, 2, 1, 131}, {2, 0, 3, 1, 40}, {3, 0, 4, 1, 255}}});
    auto font = MakeFont(r, FONT_MONO);
    const GlyphRecord& g = Rendered(*font, 'm');
    EXPECT_EQ(MaskAt(*font, g, 0, 0), 0);
    EXPECT_EQ(MaskAt(*font, g, 1, 0), 255);
    EXPECT_EQ(MaskAt(*font, g, 2, 0), 0);
    EXPECT_EQ(MaskAt(*font, g, 3, 0), 255);
}

// A 2 x 2 block of ink at columns 2-3, rows 4-5 of the mask.
std::unique_ptr<GlyphFont> BlockFont(int flags) {
    auto* r = new FakeRasteriser(10);
    r->Define('#', {8, {{2, 4, 4, 6, 255}, {6, 0, 7, 1, 100}}});
    return MakeFont(r, flags);
}

TEST(RasteriseGlyph, ShadowFallsRightAndDown) {
    auto font = BlockFont(FONT_SHADOW);
    const GlyphRecord& g = Rendered(*font, '#');
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            const bool ink = x >= 2 && x < 4 && y >= 4 && y < 6;
            const bool shadow = !ink && x >= 2 && x <= 4 && y >= 4 && y <= 6;
            EXPECT_EQ(MaskAt(*font, g, x, y), ink ? 255 : shadow ? 128 : 0) << x << "," << y;
        }
}

TEST(RasteriseGlyph, OutlineSurroundsOnFourSides) {
    auto font = BlockFont(FONT_OUTLINE);
    const GlyphRecord& g = Rendered(*font, '#');
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            const bool ink = x >= 2 && x < 4 && y >= 4 && y < 6;
            const bool beside = (x == 1 || x == 4) && y >= 4 && y < 6;
            const bool aboveOrBelow = (y == 3 || y == 6) && x >= 2 && x < 4;
            EXPECT_EQ(MaskAt(*font, g, x, y), ink                      ? 255
                                              : beside || aboveOrBelow ? 128
                                                                       : 0)
                << x << "," << y;
        }
}

// Coverage of a font drawn horizontally, to compare turned masks with.
std::vector<int> Flat(const GlyphFont& font, const GlyphRecord& g) {
    std::vector<int> v;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            v.push_back(MaskAt(font, g, x, y));
    return v;
}

FakeRasteriser* Asymmetric() {
    auto* r = new FakeRasteriser(12);
    r->Define('L', {7, {{-1, 1, 1, 11, 250}, {1, 9, 5, 11, 120}}});
    return r;
}

TEST(RasteriseGlyph, VerticalTurnsClockwise) {
    auto flat = MakeFont(Asymmetric());
    auto turned = MakeFont(Asymmetric(), FONT_VERTICAL);
    const GlyphRecord& f = Rendered(*flat, 'L');
    const GlyphRecord& t = Rendered(*turned, 'L');
    ASSERT_EQ(t.width, f.height);
    ASSERT_EQ(t.height, f.width);
    EXPECT_EQ(t.leftOffset, f.leftOffset);
    EXPECT_EQ(t.advance, f.advance);
    const std::vector<int> old = Flat(*flat, f);
    for (int i = 0; i < t.height; ++i)
        for (int j = 0; j < t.width; ++j)
            EXPECT_EQ(MaskAt(*turned, t, j, i), old[(f.height - 1 - j) * f.width + i]);
    // The bottom of the letter now lies on the left.
    EXPECT_EQ(MaskAt(*turned, t, 1, f.leftOffset + 2), 120);
}

TEST(RasteriseGlyph, BottomUpTurnsCounterClockwise) {
    auto flat = MakeFont(Asymmetric());
    auto turned = MakeFont(Asymmetric(), FONT_VERTICAL | FONT_BOTTOM_UP);
    const GlyphRecord& f = Rendered(*flat, 'L');
    const GlyphRecord& t = Rendered(*turned, 'L');
    ASSERT_EQ(t.width, f.height);
    ASSERT_EQ(t.height, f.width);
    const std::vector<int> old = Flat(*flat, f);
    for (int i = 0; i < t.height; ++i)
        for (int j = 0; j < t.width; ++j)
            EXPECT_EQ(MaskAt(*turned, t, j, i), old[j * f.width + (f.width - 1 - i)]);
}

TEST(AttachFont, DeletesAnOwnedFontUnlessItIsTheSame) {
    bool firstGone = false, secondGone = false;
    auto* first = new FakeRasteriser(10, &firstGone);
    auto* second = new FakeRasteriser(12, &secondGone);
    {
        GlyphFont font;
        font.AttachFont(first, FONT_OWNS_HANDLE);
        font.AttachFont(first, FONT_OWNS_HANDLE);
        EXPECT_FALSE(firstGone);
        font.AttachFont(second, FONT_OWNS_HANDLE);
        EXPECT_TRUE(firstGone);
        EXPECT_EQ(font.LineHeight(), 12);
        EXPECT_EQ(font.GetFontHandle(), second);
    }
    EXPECT_TRUE(secondGone);
}

TEST(AttachFont, LeavesAFontItDoesNotOwn) {
    bool gone = false;
    FakeRasteriser r(10, &gone);
    {
        GlyphFont font;
        font.AttachFont(&r, 0);
        font.AttachFont(nullptr, 0);
    }
    EXPECT_FALSE(gone);
}

TEST(AttachFont, EmptiesTheCache) {
    auto* r = new FakeRasteriser(10);
    r->Block('A', 6, 5, 0, 10).Block(0x100, 6, 5, 0, 10);
    auto font = MakeFont(r);
    ASSERT_TRUE(font->RasteriseGlyph('A'));
    ASSERT_TRUE(font->RasteriseGlyph(0x100));
    auto* again = new FakeRasteriser(10);
    font->AttachFont(again, FONT_OWNS_HANDLE);
    EXPECT_EQ(font->FindGlyph('A')->position, kGlyphNotRendered);
    EXPECT_EQ(font->FindGlyph(0x100), nullptr);
}

} // namespace

namespace {

TEST(SharedScratch, LastFontReleasesTheSurfaces) {
    text_detail::SharedScratch& shared = text_detail::SharedScratch::Get();
    const int before = shared.LiveFonts();
    {
        auto* r = new FakeRasteriser(10);
        r->Block('A', 6, 5, 0, 10);
        auto font = MakeFont(r);
        EXPECT_EQ(shared.LiveFonts(), before + 1);
        ASSERT_TRUE(font->RasteriseGlyph('A'));
        std::lock_guard lock(shared.Mutex());
        EXPECT_TRUE(shared.HasSurfaces());
    }
    EXPECT_EQ(shared.LiveFonts(), before);
    // Fonts of earlier tests in this process (the font cache's) keep the surfaces alive.
    if (before > 0) GTEST_SKIP() << before << " other fonts alive";
    std::lock_guard lock(shared.Mutex());
    EXPECT_FALSE(shared.HasSurfaces());
}

} // namespace
