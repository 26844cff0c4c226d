#include "bitmap/combiners.h"
#include "bitmap/pixel_word.h"
#include "font_fixture.h"

#include "bitmap/test_bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// Line height 10. 'A': 6 wide, ink columns 0-4, rows 1-8. 'B': 4 wide, ink column 0-1 of
// rows 0-9. ' ': 3 wide, blank. 'J': 5 wide with ink one column left of the pen.
FakeRasteriser* Letters() {
    auto* r = new FakeRasteriser(10);
    r->Block('A', 6, 5, 1, 9).Block('B', 4, 2, 0, 10).Define(' ', {3, {}});
    r->Define('J', {5, {{-1, 2, 1, 8, 255}}});
    r->Block(0xE9, 7, 3, 0, 4);
    return r;
}

struct Drawn {
    TestBitmap dest;
    int result;
};

// text drawn in white into rect of a black bitmap.
Drawn Draw(const char* text, IPlugRect rect, unsigned format, int width, int height,
           int flags = 0) {
    auto font = MakeFont(Letters(), flags);
    font->SetForeground(kWhite);
    TestBitmap dest(width, height, kBlack);
    const int result = font->DrawString(&dest, text, -1, rect, format);
    return {std::move(dest), result};
}

// Columns of row y that hold the colour.
std::string Row(const TestBitmap& b, int y, std::uint32_t colour = kWhite) {
    std::string s;
    for (int x = 0; x < b.Width(); ++x)
        s += b.At(x, y) == colour ? '#' : '.';
    return s;
}

// The bounding box of the white pixels.
IPlugRect InkBox(const TestBitmap& b) {
    IPlugRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.At(x, y) == kWhite)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
    return box;
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
    const Drawn ab = Draw("AB", {2, 3, 20, 14}, 0, 20, 14);
    EXPECT_EQ(ab.result, 10);
    EXPECT_EQ(Row(ab.dest, 3), "........##..........");
    EXPECT_EQ(Row(ab.dest, 4), "..#####.##..........");
    EXPECT_EQ(Row(ab.dest, 12), "........##..........");
    EXPECT_EQ(Row(ab.dest, 13), "....................");
    // A second line starts below, at the left.
    const Drawn lines = Draw("A\r\nB", {2, 0, 20, 30}, 0, 20, 30);
    EXPECT_EQ(lines.result, 20);
    EXPECT_EQ(Row(lines.dest, 5), "..#####.............");
    EXPECT_EQ(Row(lines.dest, 15), "..##................");
}

TEST(DrawString, AlignmentMovesTheStart) {
    // 'B' measures 4 x 10 and its ink is its first 2 columns; the rectangle is 41 x 31.
    const auto aligned = [](unsigned format) {
        return InkBox(Draw("B", {10, 10, 51, 41}, format, 60, 60).dest);
    };
    EXPECT_EQ(aligned(0), (IPlugRect{10, 10, 12, 20}));
    EXPECT_EQ(aligned(TEXT_CENTER), (IPlugRect{10 + 18, 10, 30, 20}));
    EXPECT_EQ(aligned(TEXT_RIGHT), (IPlugRect{51 - 4, 10, 49, 20}));
    EXPECT_EQ(aligned(TEXT_VCENTER), (IPlugRect{10, 10 + 10, 12, 30}));
    EXPECT_EQ(aligned(TEXT_BOTTOM), (IPlugRect{10, 41 - 10, 12, 41}));
    EXPECT_EQ(aligned(TEXT_CENTER | TEXT_VCENTER), (IPlugRect{28, 20, 30, 30}));
}

TEST(DrawString, ForegroundAlphaScalesTheWeight) {
    auto font = MakeFont(Letters());
    font->SetForeground(0x80FFFFFF);
    TestBitmap dest(20, 14, kBlack);
    IPlugRect rect{0, 0, 20, 14};
    font->DrawString(&dest, "B", -1, rect, TEXT_FOREGROUND_ALPHA);
    // alpha 128 / 255 gives weight 128, and full ink 128 x 255 / 256 = 127.
    std::uint32_t expected = kBlack;
    combine::Copy::Apply(expected, 255, 255, 255, 255, 127);
    EXPECT_EQ(dest.At(0, 0), expected);

    // The font keeps its own alpha.
    font->DrawString(&dest, "B", -1, rect, 0);
    EXPECT_EQ(dest.At(0, 0), kWhite);

    // A transparent colour draws nothing.
    font->SetForeground(0x00FFFFFF);
    TestBitmap untouched(20, 14, kBlack);
    EXPECT_EQ(font->DrawString(&untouched, "B", -1, rect, TEXT_FOREGROUND_ALPHA), 0);
    EXPECT_TRUE(untouched.PaddingIs(kBlack));
    for (int y = 0; y < 14; ++y)
        EXPECT_EQ(Row(untouched, y, kBlack), std::string(20, '#'));
}

TEST(DrawString, ClipsToTheRectangleAndTheBitmap) {
    EXPECT_EQ(Row(Draw("A", {2, 3, 5, 14}, 0, 20, 14).dest, 5), "..###...............");
    EXPECT_EQ(Row(Draw("A", {2, 3, 5, 14}, TEXT_NOCLIP, 20, 14).dest, 5), "..#####.............");

    const Drawn cut = Draw("AAAA", {-3, -4, 40, 40}, 0, 5, 5);
    EXPECT_EQ(cut.result, 10);
    EXPECT_EQ(Row(cut.dest, 0), "##.##");
    EXPECT_EQ(Row(cut.dest, 4), "##.##");
    EXPECT_TRUE(cut.dest.PaddingIs(kBlack));

    EXPECT_EQ(Draw("A", {100, 100, 200, 200}, 0, 5, 5).result, 0); // outside
    EXPECT_EQ(Draw("A", {4, 4, 0, 0}, 0, 5, 5).result, 0);         // inverted
}

TEST(DrawString, VerticalText) {
    auto font = MakeFont(Letters(), FONT_VERTICAL);
    IPlugRect measured{10, 20, 10, 20};
    EXPECT_EQ(font->DrawString(nullptr, "AB", -1, measured, TEXT_CALCRECT), 10); // the column
    EXPECT_EQ(measured, (IPlugRect{10, 20, 20, 20 + 6 + 4}));

    // Turned clockwise, the top of the line is on the right: 'A' (line rows 1-8, pen
    // columns 0-4) covers columns 3-10 of rows 1-5; 'B' follows from row 7.
    const Drawn down = Draw("AB", {2, 1, 14, 14}, 0, 14, 14, FONT_VERTICAL);
    EXPECT_EQ(down.result, 10);
    EXPECT_EQ(InkBox(down.dest), (IPlugRect{2, 1, 12, 9}));
    EXPECT_EQ(Row(down.dest, 3), "...########...");
    EXPECT_EQ(Row(down.dest, 7), "..##########..");
    EXPECT_EQ(Row(down.dest, 9), "..............");

    // Bottom-up, the text box is 10 rows high: 'A' (6 rows) rises from its pen at row 11,
    // 'B' from row 5. Counter-clockwise, the top of the line is on the left.
    const Drawn up = Draw("AB", {2, 1, 14, 20}, 0, 14, 20, FONT_VERTICAL | FONT_BOTTOM_UP);
    EXPECT_EQ(up.result, 10);
    EXPECT_EQ(InkBox(up.dest), (IPlugRect{2, 3, 12, 11}));
    EXPECT_EQ(Row(up.dest, 10), "...########...");
    EXPECT_EQ(Row(up.dest, 4), "..##########..");

    // 'J' has ink one pixel before its pen. Top-down, that pixel lies one row above the
    // pen at row 5. Bottom-up, the text box is 5 rows (the advance): the pen starts at row 5,
    // the ink before the pen lies below it on row 5 and the pen column itself on row 4.
    EXPECT_EQ(InkBox(Draw("J", {0, 5, 14, 20}, TEXT_NOCLIP, 14, 20, FONT_VERTICAL).dest),
              (IPlugRect{2, 4, 8, 6}));
    EXPECT_EQ(
        InkBox(Draw("J", {0, 0, 14, 20}, TEXT_NOCLIP, 14, 20, FONT_VERTICAL | FONT_BOTTOM_UP).dest),
        (IPlugRect{2, 4, 8, 6}));
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
