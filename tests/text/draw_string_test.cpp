#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "font_fixture.h"

#include "bitmap/test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// Line height 10. 'A': 6 wide, ink columns 0-4, rows 1-8. 'B': 4 wide, ink column 0-1 of
// rows 0-9. ' ': 3 wide, blank. 'J': 5 wide with ink one column left of the pen.
FakeRasteriser* Letters(int lineHeight = 10) {
    auto* r = new FakeRasteriser(lineHeight);
    r->Block('A', 6, 5, 1, 9).Block('B', 4, 2, 0, 10).Define(' ', {3, {}});
    r->Define('J', {5, {{-1, 2, 1, 8, 255}}});
    r->Block(0xE9, 7, 3, 0, 4);
    return r;
}

int Measure(GlyphFont& font, const std::string& text, unsigned format, IPlugRect* out = nullptr) {
    IPlugRect rect{10, 20, 10, 20};
    const int result = font.DrawString(nullptr, text.c_str(), -1, rect, format | TEXT_CALCRECT);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    if (out) *out = rect;
    return result;
}

// Columns of row y that hold the colour.
std::string Row(const TestBitmap& b, int y, std::uint32_t colour) {
    std::string s;
    for (int x = 0; x < b.Width(); ++x)
        s += b.At(x, y) == colour ? '#' : '.';
    return s;
}

TEST(DrawString, Measuring) {
    struct Case {
        std::string text;
        int length;
        unsigned format;
        int result, width, height;
    };
    const Case cases[] = {
        {"AB", -1, TEXT_SINGLELINE, 10, 6 + 4, 10}, // the sum of the advances
        {"ABBA", -1, 0, 10, 6 + 4 + 4 + 6, 10},
        {"A\nB", -1, TEXT_SINGLELINE, 10, 6 + 3 + 4, 10}, // line feed as a space
        {"AB\nB", -1, 0, 20, 6 + 4, 20},                  // line feed starts a line
        {"A\rB\r", -1, 0, 10, 6 + 4, 10},                 // carriage return takes no space
        {"AJ", -1, 0, 10, 6 + 5, 10},                     // ink before the pen widens nothing
        {"A\xC3\xA9", -1, 0, 10, 6 + 7, 10},
        {"ABAB", 2, 0, 10, 6 + 4, 10},
        {"A\xC3\xA9", 2, 0, 10, 6, 10}, // a cut sequence is its lead byte: no glyph here
    };
    auto font = MakeFont(Letters());
    for (const Case& c : cases) {
        IPlugRect rect{10, 20, 10, 20};
        EXPECT_EQ(
            font->DrawString(nullptr, c.text.c_str(), c.length, rect, c.format | TEXT_CALCRECT),
            c.result)
            << c.text;
        EXPECT_EQ(rect, (IPlugRect{10, 20, 10 + c.width, 20 + c.height})) << c.text;
    }
}

TEST(DrawString, DrawsAtThePenPositions) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(20, 14, 0xFF000000);
    IPlugRect rect{2, 3, 20, 14};
    EXPECT_EQ(font->DrawString(&dest, "AB", -1, rect, 0), 10);
    EXPECT_EQ(Row(dest, 3, 0xFFFFFFFF), "........##..........");
    EXPECT_EQ(Row(dest, 4, 0xFFFFFFFF), "..#####.##..........");
    EXPECT_EQ(Row(dest, 12, 0xFFFFFFFF), "........##..........");
    EXPECT_EQ(Row(dest, 13, 0xFFFFFFFF), "....................");
}

TEST(DrawString, SecondLineStartsBelowAtTheLeft) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(20, 30, 0xFF000000);
    IPlugRect rect{2, 0, 20, 30};
    EXPECT_EQ(font->DrawString(&dest, "A\r\nB", -1, rect, 0), 20);
    EXPECT_EQ(Row(dest, 5, 0xFFFFFFFF), "..#####.............");
    EXPECT_EQ(Row(dest, 15, 0xFFFFFFFF), "..##................");
}

// The bounding box of the pixels holding the colour.
IPlugRect InkBox(const TestBitmap& b, std::uint32_t colour) {
    IPlugRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.At(x, y) == colour) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

IPlugRect DrawAligned(unsigned format) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(60, 60, 0xFF000000);
    IPlugRect rect{10, 10, 51, 41}; // 41 x 31
    font->DrawString(&dest, "B", -1, rect, format);
    return InkBox(dest, 0xFFFFFFFF);
}

TEST(DrawString, AlignmentMovesTheStart) {
    // 'B' measures 4 x 10 and its ink is its first 2 columns.
    EXPECT_EQ(DrawAligned(0), (IPlugRect{10, 10, 12, 20}));
    EXPECT_EQ(DrawAligned(TEXT_CENTER), (IPlugRect{10 + 18, 10, 30, 20}));
    EXPECT_EQ(DrawAligned(TEXT_RIGHT), (IPlugRect{51 - 4, 10, 49, 20}));
    EXPECT_EQ(DrawAligned(TEXT_VCENTER), (IPlugRect{10, 10 + 10, 12, 30}));
    EXPECT_EQ(DrawAligned(TEXT_BOTTOM), (IPlugRect{10, 41 - 10, 12, 41}));
    EXPECT_EQ(DrawAligned(TEXT_CENTER | TEXT_VCENTER), (IPlugRect{28, 20, 30, 30}));
}

TEST(DrawString, ForegroundAlphaScalesTheWeight) {
    auto font = MakeFont(Letters());
    font->SetForeground(0x80FFFFFF);
    TestBitmap dest(20, 14, 0xFF000000);
    IPlugRect rect{0, 0, 20, 14};
    font->DrawString(&dest, "B", -1, rect, TEXT_FOREGROUND_ALPHA);
    // alpha 128 / 255 gives weight 128, and full ink 128 x 255 / 256 = 127.
    std::uint32_t expected = 0xFF000000;
    combine::Copy::Apply(expected, 255, 255, 255, 255, 127);
    EXPECT_EQ(dest.At(0, 0), expected);

    // The font keeps its own alpha.
    font->DrawString(&dest, "B", -1, rect, 0);
    EXPECT_EQ(dest.At(0, 0), 0xFFFFFFFFu);

    // A transparent colour draws nothing.
    font->SetForeground(0x00FFFFFF);
    TestBitmap untouched(20, 14, 0xFF000000);
    EXPECT_EQ(font->DrawString(&untouched, "B", -1, rect, TEXT_FOREGROUND_ALPHA), 0);
    EXPECT_TRUE(untouched.PaddingIs(0xFF000000));
    for (int y = 0; y < 14; ++y)
        EXPECT_EQ(Row(untouched, y, 0xFF000000), std::string(20, '#'));
}

TEST(DrawString, ClipsToTheRectangleUnlessToldNot) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    TestBitmap clipped(20, 14, 0xFF000000), free(20, 14, 0xFF000000);
    IPlugRect rect{2, 3, 5, 14};
    font->DrawString(&clipped, "A", -1, rect, 0);
    font->DrawString(&free, "A", -1, rect, TEXT_NOCLIP);
    EXPECT_EQ(Row(clipped, 5, 0xFFFFFFFF), "..###...............");
    EXPECT_EQ(Row(free, 5, 0xFFFFFFFF), "..#####.............");
}

TEST(DrawString, ClipsToTheBitmap) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(5, 5, 0xFF000000);
    IPlugRect rect{-3, -4, 40, 40};
    EXPECT_EQ(font->DrawString(&dest, "AAAA", -1, rect, 0), 10);
    EXPECT_EQ(Row(dest, 0, 0xFFFFFFFF), "##.##");
    EXPECT_EQ(Row(dest, 4, 0xFFFFFFFF), "##.##");
    EXPECT_TRUE(dest.PaddingIs(0xFF000000));

    IPlugRect outside{100, 100, 200, 200};
    EXPECT_EQ(font->DrawString(&dest, "A", -1, outside, 0), 0);
    IPlugRect inverted{4, 4, 0, 0};
    EXPECT_EQ(font->DrawString(&dest, "A", -1, inverted, 0), 0);
}

TEST(DrawString, VerticalTextRunsDown) {
    auto font = MakeFont(Letters(), FONT_VERTICAL);
    font->SetForeground(0xFFFFFFFF);
    IPlugRect measured;
    EXPECT_EQ(Measure(*font, "AB", 0, &measured), 10); // the width of the column
    EXPECT_EQ(measured.W(), 10);
    EXPECT_EQ(measured.H(), 6 + 4);

    TestBitmap dest(14, 14, 0xFF000000);
    IPlugRect rect{2, 1, 14, 14};
    EXPECT_EQ(font->DrawString(&dest, "AB", -1, rect, 0), 10);
    // Turned clockwise, the top of the line is on the right: 'A' (line rows 1-8, pen
    // columns 0-4) covers columns 3-10 of rows 1-5; 'B' follows from row 7.
    EXPECT_EQ(InkBox(dest, 0xFFFFFFFF), (IPlugRect{2, 1, 12, 9}));
    EXPECT_EQ(Row(dest, 3, 0xFFFFFFFF), "...########...");
    EXPECT_EQ(Row(dest, 7, 0xFFFFFFFF), "..##########..");
    EXPECT_EQ(Row(dest, 9, 0xFFFFFFFF), "..............");
}

TEST(DrawString, BottomUpTextRunsUpFromTheBottom) {
    auto font = MakeFont(Letters(), FONT_VERTICAL | FONT_BOTTOM_UP);
    font->SetForeground(0xFFFFFFFF);
    TestBitmap dest(14, 20, 0xFF000000);
    IPlugRect rect{2, 1, 14, 20};
    EXPECT_EQ(font->DrawString(&dest, "AB", -1, rect, 0), 10);
    // The text box is 10 rows high: 'A' (6 rows) rises from its pen at row 11, 'B' from
    // row 5. Counter-clockwise, the top of the line is on the left.
    EXPECT_EQ(InkBox(dest, 0xFFFFFFFF), (IPlugRect{2, 3, 12, 11}));
    EXPECT_EQ(Row(dest, 10, 0xFFFFFFFF), "...########...");
    EXPECT_EQ(Row(dest, 4, 0xFFFFFFFF), "..##########..");
}

TEST(DrawString, TurnedGlyphKeepsItsPenRow) {
    // 'J' has ink one pixel before its pen. Top-down, that pixel lies one row above the
    // pen at row 5. Bottom-up, the text box is 5 rows (the advance): the pen starts at row 5,
    // the ink before the pen lies below it on row 5 and the pen column itself on row 4.
    for (int flags : {FONT_VERTICAL, FONT_VERTICAL | FONT_BOTTOM_UP}) {
        auto font = MakeFont(Letters(), flags);
        font->SetForeground(0xFFFFFFFF);
        TestBitmap dest(14, 20, 0xFF000000);
        IPlugRect rect{0, flags & FONT_BOTTOM_UP ? 0 : 5, 14, 20};
        font->DrawString(&dest, "J", -1, rect, TEXT_NOCLIP);
        EXPECT_EQ(InkBox(dest, 0xFFFFFFFF), (IPlugRect{2, 4, 8, 6})) << flags;
    }
}

TEST(DrawString, NothingToDrawIsHarmless) {
    auto font = MakeFont(Letters());
    TestBitmap dest(10, 10, 0);
    IPlugRect rect{0, 0, 10, 10};
    EXPECT_EQ(font->DrawString(nullptr, "A", -1, rect, 0), 0);
    EXPECT_EQ(font->DrawString(&dest, nullptr, -1, rect, 0), 0);
    EXPECT_EQ(font->DrawString(&dest, "", -1, rect, 0), 0);
    EXPECT_EQ(font->DrawString(&dest, "A", 0, rect, 0), 0);
    EXPECT_EQ(font->DrawString(&dest, "\xFF\xFE\xC3", -1, rect, 0), 0); // no such glyphs
    IPlugRect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    font->DrawString(&dest, "AB", -1, huge, TEXT_CENTER | TEXT_VCENTER);
    EXPECT_EQ(font->DrawString(&dest, "AB", -1, huge, TEXT_RIGHT | TEXT_BOTTOM), 0);
    TestBitmap empty(0, 0);
    EXPECT_EQ(font->DrawString(&empty, "A", -1, rect, 0), 0);
    IPlugRect none{};
    EXPECT_EQ(font->DrawString(nullptr, nullptr, -1, none, TEXT_CALCRECT), 0);
    EXPECT_EQ(none, (IPlugRect{}));
    GlyphFont fontless;
    EXPECT_EQ(fontless.DrawString(&dest, "A", -1, rect, 0), 0);
    EXPECT_EQ(fontless.DrawString(nullptr, "A", -1, rect, TEXT_CALCRECT), 0);
}

TEST(DrawString, LongTextDoesNotOverflow) {
    auto font = MakeFont(Letters());
    font->SetForeground(0xFFFFFFFF);
    const std::string text(100000, 'A');
    TestBitmap dest(30, 12, 0xFF000000);
    IPlugRect rect{INT_MAX - 10, 0, INT_MAX, 12};
    EXPECT_EQ(font->DrawString(&dest, text.c_str(), -1, rect, TEXT_NOCLIP), 0);
    IPlugRect measured{INT_MAX - 10, 0, 0, 0};
    font->DrawString(nullptr, text.c_str(), -1, measured, TEXT_CALCRECT);
    EXPECT_EQ(measured.right, INT_MAX);
}

} // namespace
