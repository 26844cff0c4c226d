#include "bitmap/text/shared_scratch.h"
#include "font_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Probe {
    int x, y, value;
};

// Renders shape alone as 'A' and checks its record and some of its coverage.
void ExpectGlyph(const char* what, int lineHeight, int flags, FakeRasteriser::Shape shape,
                 int advance, int width, int leftOffset, std::vector<Probe> probes) {
    SCOPED_TRACE(what);
    auto* r = new FakeRasteriser(lineHeight);
    r->Define('A', std::move(shape));
    auto font = MakeFont(r, flags);
    const GlyphRecord& g = Rendered(*font, 'A');
    EXPECT_TRUE(g.HasMask());
    EXPECT_EQ(g.code, 'A');
    EXPECT_EQ(g.advance, advance);
    EXPECT_EQ(g.width, width);
    EXPECT_EQ(g.height, lineHeight);
    EXPECT_EQ(g.leftOffset, leftOffset);
    for (const Probe& p : probes)
        EXPECT_EQ(MaskAt(*font, g, p.x, p.y), p.value) << p.x << "," << p.y;
}

// Line height 10: no margin, the pen 2 pixels into the box; 32: margin 2, pad 4.
TEST(RasteriseGlyph, MaskGeometryAndCoverage) {
    ExpectGlyph("trimmed to the pen and the advance", 10, 0, {6, {{0, 2, 5, 9, 255}}}, 6, 6, 0,
                {{0, 2, 255}, {4, 2, 255}, {5, 2, 0}, {0, 1, 0}, {0, 8, 255}, {0, 9, 0}});
    ExpectGlyph("ink left of the pen kept", 10, 0, {4, {{-2, 0, 1, 10, 200}}}, 4, 2 + 4, 2,
                {{0, 5, 200}, {2, 5, 200}, {3, 5, 0}});
    ExpectGlyph("margin grows, ink cut at the box", 32, 0, {10, {{-5, 0, 0, 32, 255}}}, 10, 4 + 10,
                4, {{0, 0, 255}, {3, 31, 255}, {4, 0, 0}});
    ExpectGlyph("overhang kept within the box", 10, 0, {4, {{0, 0, 20, 3, 255}}}, 4, 8 - 2, 0,
                {{5, 0, 255}, {5, 3, 0}});
    ExpectGlyph("blank keeps its advance", 10, 0, {3, {}}, 3, 3, 0, {{0, 0, 0}});
    // Every column holds ink once inverted, so nothing is trimmed.
    ExpectGlyph("invert", 10, FONT_INVERT, {4, {{0, 0, 2, 10, 200}}}, 4, 8, 2,
                {{2, 0, 55}, {0, 0, 255}});
    // A half of the centre stays; an eighth reaches each of the four neighbours.
    ExpectGlyph("blur", 10, FONT_BLUR, {5, {{2, 5, 3, 6, 255}}}, 5, 5, 0,
                {{2, 5, 255 / 2}, {1, 5, 255 / 8}, {2, 4, 255 / 8}, {1, 4, 0}});
    ExpectGlyph("mono above 130", 10, FONT_MONO,
                {6, {{0, 0, 1, 1, 130}, {1, 0, 2, 1, 131}, {2, 0, 3, 1, 40}, {3, 0, 4, 1, 255}}}, 6,
                6, 0, {{0, 0, 0}, {1, 0, 255}, {2, 0, 0}, {3, 0, 255}});
}

TEST(RasteriseGlyph, ExtendedGlyphsAreFoundInAnyOrderWithTheirMasks) {
    // Rendered out of order, and enough of them to grow the coverage store several times.
    std::vector<std::uint16_t> codes{0xFFFF, 0x80, 0x2000};
    for (std::uint16_t c = 0x100; c < 0x300; ++c)
        codes.push_back(c);
    codes.push_back(0x3A9);
    const auto value = [](std::uint16_t c) { return c & 0xFF ? c & 0xFF : 1; };
    auto* r = new FakeRasteriser(40);
    for (std::uint16_t c : codes)
        r->Block(static_cast<char16_t>(c), 30 + c % 7, 20, 0, 40, value(c));
    auto font = MakeFont(r);
    for (std::uint16_t c : codes)
        ASSERT_TRUE(font->RasteriseGlyph(c));
    EXPECT_EQ(font->FindGlyph(0x300), nullptr);
    for (std::uint16_t c : codes) {
        const GlyphRecord* g = font->FindGlyph(c);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->code, c);
        EXPECT_EQ(g->advance, 30 + c % 7);
        EXPECT_EQ(MaskAt(*font, *g, 10, 20), value(c)) << c;
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

TEST(RasteriseGlyph, EmptyAndRefusedGlyphs) {
    auto* r = new FakeRasteriser(10);
    auto font = MakeFont(r);
    EXPECT_TRUE(font->RasteriseGlyph('?')); // no advance: rendered, but empty
    const GlyphRecord* g = font->FindGlyph('?');
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->position, kGlyphEmpty);
    EXPECT_EQ(g->advance, 0);
    EXPECT_EQ(font->Coverage(*g), nullptr);

    auto* tall = new FakeRasteriser(1024);
    tall->Block('A', 6, 5, 0, 10);
    font->AttachFont(tall, FONT_OWNS_HANDLE);
    EXPECT_FALSE(font->RasteriseGlyph('A'));
    EXPECT_EQ(tall->measured, 0);
    GlyphFont fontless;
    EXPECT_FALSE(fontless.RasteriseGlyph('A'));
}

// A 2 x 2 block of ink at columns 2-3, rows 4-5 of the mask.
std::unique_ptr<GlyphFont> BlockFont(int flags) {
    auto* r = new FakeRasteriser(10);
    r->Define('#', {8, {{2, 4, 4, 6, 255}, {6, 0, 7, 1, 100}}});
    return MakeFont(r, flags);
}

TEST(RasteriseGlyph, ShadowAndOutlineMarkTheirPixels) {
    const auto ink = [](int x, int y) { return x >= 2 && x < 4 && y >= 4 && y < 6; };
    const auto shadow = [&](int x, int y) {
        return !ink(x, y) && x >= 2 && x <= 4 && y >= 4 && y <= 6; // right and down
    };
    const auto outline = [&](int x, int y) {
        return ((x == 1 || x == 4) && y >= 4 && y < 6) || ((y == 3 || y == 6) && x >= 2 && x < 4);
    };
    for (int flags : {FONT_SHADOW, FONT_OUTLINE}) {
        auto font = BlockFont(flags);
        const GlyphRecord& g = Rendered(*font, '#');
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const bool effect = flags == FONT_SHADOW ? shadow(x, y) : outline(x, y);
                EXPECT_EQ(MaskAt(*font, g, x, y), ink(x, y) ? 255
                                                  : effect  ? 128
                                                            : 0)
                    << flags << ": " << x << "," << y;
            }
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

TEST(RasteriseGlyph, VerticalTurnsTheMask) {
    auto flat = MakeFont(Asymmetric());
    const GlyphRecord& f = Rendered(*flat, 'L');
    const std::vector<int> old = Flat(*flat, f);
    for (bool bottomUp : {false, true}) {
        auto turned = MakeFont(Asymmetric(), FONT_VERTICAL | (bottomUp ? FONT_BOTTOM_UP : 0));
        const GlyphRecord& t = Rendered(*turned, 'L');
        ASSERT_EQ(t.width, f.height);
        ASSERT_EQ(t.height, f.width);
        EXPECT_EQ(t.leftOffset, f.leftOffset);
        EXPECT_EQ(t.advance, f.advance);
        // Bottom-up turns counter-clockwise, else clockwise.
        for (int i = 0; i < t.height; ++i)
            for (int j = 0; j < t.width; ++j)
                EXPECT_EQ(MaskAt(*turned, t, j, i), bottomUp
                                                        ? old[j * f.width + (f.width - 1 - i)]
                                                        : old[(f.height - 1 - j) * f.width + i])
                    << bottomUp << ": " << j << "," << i;
        // The bottom of the letter lies on the left when turned clockwise.
        if (!bottomUp) {
            EXPECT_EQ(MaskAt(*turned, t, 1, f.leftOffset + 2), 120);
        }
    }
}

TEST(AttachFont, DeletesAnOwnedFontUnlessItIsTheSameAndEmptiesTheCache) {
    bool firstGone = false, secondGone = false;
    auto* first = new FakeRasteriser(10, &firstGone);
    auto* second = new FakeRasteriser(12, &secondGone);
    {
        GlyphFont font;
        first->Block('A', 6, 5, 0, 10).Block(0x100, 6, 5, 0, 10);
        font.AttachFont(first, FONT_OWNS_HANDLE);
        font.AttachFont(first, FONT_OWNS_HANDLE);
        EXPECT_FALSE(firstGone);
        ASSERT_TRUE(font.RasteriseGlyph('A'));
        ASSERT_TRUE(font.RasteriseGlyph(0x100));
        font.AttachFont(second, FONT_OWNS_HANDLE);
        EXPECT_TRUE(firstGone);
        // The cache is emptied.
        EXPECT_EQ(font.FindGlyph('A')->position, kGlyphNotRendered);
        EXPECT_EQ(font.FindGlyph(0x100), nullptr);
        EXPECT_EQ(font.LineHeight(), 12);
        EXPECT_EQ(font.GetFontHandle(), second);
    }
    EXPECT_TRUE(secondGone);

    bool unownedGone = false;
    FakeRasteriser unowned(10, &unownedGone);
    {
        GlyphFont font;
        font.AttachFont(&unowned, 0);
        font.AttachFont(nullptr, 0);
    }
    EXPECT_FALSE(unownedGone);
}

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
