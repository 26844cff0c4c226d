// The entry boxes we draw ourselves (for window systems without native ones): a text field
// edited as a native one, and a choice list with keys, wheel, type-ahead and pointer.
#include "editor/drawn_choice_list.h"
#include "editor/drawn_text_field.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = EntryAction;

TEST(DrawnTextField, EditsLikeANativeField) {
    DrawnTextField field({100, 50, 132, 66}, "60", 1);
    EXPECT_TRUE(field.AllSelected());
    EXPECT_EQ(field.Face().Width(), 32);
    EXPECT_EQ(field.Face().Height(), 16);
    // Typing replaces the selection.
    EXPECT_EQ(field.Key(EntryKey::Other, "7"), Action::Typing);
    EXPECT_EQ(field.Key(EntryKey::Other, "5"), Action::Typing);
    EXPECT_EQ(field.Text(), "75");
    EXPECT_EQ(field.Key(EntryKey::Left, ""), Action::Typing);
    EXPECT_EQ(field.Key(EntryKey::Backspace, "\b"), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(EntryKey::End, ""), Action::Typing);
    EXPECT_EQ(field.Key(EntryKey::Other, "\xC3\xA9"), Action::Typing);
    EXPECT_EQ(field.Text(), "5\xC3\xA9");
    EXPECT_EQ(field.Key(EntryKey::Left, ""), Action::Typing);
    EXPECT_EQ(field.Caret(), 1) << "over the whole two-byte character";
    EXPECT_EQ(field.Key(EntryKey::Delete, ""), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    // Control characters typed are not text, nor are keys that type nothing.
    EXPECT_EQ(field.Key(EntryKey::Other, "\t"), Action::Typing);
    EXPECT_EQ(field.Key(EntryKey::Up, ""), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(EntryKey::Home, ""), Action::Typing);
    EXPECT_EQ(field.Key(EntryKey::Backspace, "\b"), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(EntryKey::Enter, "\r"), Action::Commit);
    EXPECT_EQ(field.Caret(), 1) << "the caret ends at the end";
    EXPECT_EQ(field.Key(EntryKey::Escape, "\x1b"), Action::Cancel);
}

TEST(DrawnTextField, HoldsAtMost999BytesAndAReadOnlyOneNoChange) {
    DrawnTextField field({0, 0, 40, 16}, std::string(1200, '1'), 0);
    EXPECT_EQ(field.Text().size(), 999u);
    field.Key(EntryKey::End, "");
    field.Key(EntryKey::Other, "2");
    EXPECT_EQ(field.Text().size(), 999u);
    field.Key(EntryKey::Backspace, "");
    field.Key(EntryKey::Other, "2");
    EXPECT_EQ(field.Text().back(), '2');

    DrawnTextField fixed({0, 0, 40, 16}, "v1.01", 0, {}, true);
    for (EntryKey key : {EntryKey::Other, EntryKey::Backspace, EntryKey::Delete}) {
        fixed.Key(key, "x");
        fixed.Key(EntryKey::Left, "");
    }
    EXPECT_EQ(fixed.Text(), "v1.01");
    EXPECT_EQ(fixed.Key(EntryKey::Enter, ""), Action::Commit);
}

TEST(DrawnTextField, APressInsidePlacesTheCaretOutsideDoesNothing) {
    DrawnTextField field({100, 50, 200, 66}, "1234", 0);
    EXPECT_EQ(field.Press(99, 55), Action::None);
    EXPECT_TRUE(field.AllSelected());
    EXPECT_EQ(field.Press(101, 55), Action::Typing);
    EXPECT_FALSE(field.AllSelected());
    EXPECT_EQ(field.Caret(), 0) << "left aligned: the start";
    EXPECT_EQ(field.Press(199, 55), Action::Typing);
    EXPECT_EQ(field.Caret(), 4);
}

// The 25 note values of the delay rate, in their order.
std::vector<std::string> NoteValues() {
    return {"1/64", "1/32T", "1/64D", "1/32", "1/16T", "1/32D", "1/16", "1/8T", "1/16D",
            "1/8",  "1/4T",  "1/8D",  "1/4",  "1/2T",  "1/4D",  "1/2",  "1/1T", "1/2D",
            "1/1",  "2/1T",  "1/1D",  "2/1",  "4/1T",  "2/1D",  "4/1"};
}

constexpr int kHeader = DrawnChoiceList::kHeaderHeight, kRow = DrawnChoiceList::kRowHeight;

TEST(DrawnChoiceList, ShowsEveryValueThatFitsAndScrollsTheRest) {
    DrawnChoiceList all(NoteValues(), 9, 64, 936);
    EXPECT_EQ(all.VisibleRows(), 25);
    EXPECT_EQ(all.Height(), kHeader + 25 * kRow);
    EXPECT_EQ(all.Face().Width(), 64);
    EXPECT_EQ(all.Face().Height(), all.Height());
    EXPECT_EQ(all.Text(), "1/8");
    EXPECT_FALSE(all.Wheel(-1)) << "nothing to scroll";

    // On a short screen: as many rows as fit, opened with the value shown.
    DrawnChoiceList some(NoteValues(), 20, 64, kHeader + 10 * kRow + 5);
    EXPECT_EQ(some.VisibleRows(), 10);
    EXPECT_EQ(some.Top(), 15);
    EXPECT_EQ(some.RowAt(10, kHeader + 9 * kRow), 24);
    EXPECT_TRUE(some.Wheel(1));
    EXPECT_EQ(some.Top(), 12) << "three rows a notch";
    EXPECT_TRUE(some.Wheel(10));
    EXPECT_EQ(some.Top(), 0);
    EXPECT_FALSE(some.Wheel(1));
    EXPECT_TRUE(some.Wheel(-100));
    EXPECT_EQ(some.Top(), 15);
    EXPECT_EQ(some.Highlighted(), 20) << "scrolling moves no value";

    // At least one row, however little room; none matched, none chosen.
    DrawnChoiceList tiny({"a", "b"}, 5, 10, 3);
    EXPECT_EQ(tiny.VisibleRows(), 1);
    EXPECT_EQ(tiny.Chosen(), -1);
    EXPECT_EQ(tiny.Text(), "");

    // Twice the scale, twice the rows' height.
    DrawnChoiceList big({"a", "b"}, 0, 128, 1000, DisplayScale::ForFactor(2.0));
    EXPECT_EQ(big.Height(), 2 * (kHeader + 2 * kRow));
}

TEST(DrawnChoiceList, KeysMoveTheHighlightAndEnterChoosesIt) {
    DrawnChoiceList list(NoteValues(), 9, 64, kHeader + 10 * kRow);
    const struct {
        EntryKey key;
        int highlighted, top;
    } steps[] = {
        {EntryKey::Down, 10, 1},      {EntryKey::Up, 9, 1},      {EntryKey::PageDown, 18, 9},
        {EntryKey::PageDown, 24, 15}, {EntryKey::Down, 24, 15},  {EntryKey::PageUp, 15, 15},
        {EntryKey::Home, 0, 0},       {EntryKey::Up, 0, 0},      {EntryKey::End, 24, 15},
        {EntryKey::Left, 24, 15},     {EntryKey::Right, 24, 15},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(list.Key(s.key, "", 0), Action::Typing);
        EXPECT_EQ(list.Highlighted(), s.highlighted) << static_cast<int>(s.key);
        EXPECT_EQ(list.Top(), s.top) << static_cast<int>(s.key);
        EXPECT_EQ(list.Text(), "1/8") << "moving chooses nothing";
    }
    EXPECT_EQ(list.Key(EntryKey::Enter, "\r", 0), Action::Commit);
    EXPECT_EQ(list.Text(), "4/1");
    EXPECT_EQ(list.Key(EntryKey::Escape, "", 0), Action::Cancel);

    // With nothing selected the first key finds the first value.
    for (EntryKey key : {EntryKey::Up, EntryKey::Down, EntryKey::PageUp, EntryKey::PageDown}) {
        DrawnChoiceList none({"a", "b", "c"}, -1, 40, 200);
        none.Key(key, "", 0);
        EXPECT_EQ(none.Highlighted(), 0) << static_cast<int>(key);
    }
    DrawnChoiceList none({"a", "b"}, -1, 40, 200);
    EXPECT_EQ(none.Key(EntryKey::Enter, "", 0), Action::Commit);
    EXPECT_EQ(none.Text(), "") << "Enter on no value applies no text";
}

TEST(DrawnChoiceList, TypingSelectsByFirstLetters) {
    DrawnChoiceList list(NoteValues(), 0, 64, 1000);
    const struct {
        const char* typed;
        std::uint32_t time;
        const char* highlighted;
    } steps[] = {
        {"4", 100, "4/1T"},    // the first value it begins
        {"4", 300, "4/1"},     // the same letter again: the next one
        {"4", 500, "4/1T"},    // and round again
        {"1", 2000, "1/64"},   // a pause starts a new prefix, from the next row on
        {"/", 2100, "1/64"},   // "1/" still fits
        {"4", 2200, "1/4T"},   // "1/4"
        {"d", 2300, "1/4D"},   // "1/4D", letters in either case
        {"x", 2400, "1/4D"},   // nothing begins so: it stays
        {"1", 9000, "1/2"},    // after the pause, the next row that fits
        {"\x7f", 9100, "1/2"}, // not a letter
    };
    for (const auto& s : steps) {
        EXPECT_EQ(list.Key(EntryKey::Other, s.typed, s.time), Action::Typing);
        EXPECT_EQ(NoteValues()[list.Highlighted()], s.highlighted) << s.typed << " at " << s.time;
    }
    DrawnChoiceList modes({"Triplet", "Dotted", "Normal"}, 2, 80, 200);
    modes.Key(EntryKey::Other, "d", 0);
    EXPECT_EQ(modes.Highlighted(), 1);
    modes.Key(EntryKey::Other, "T", 5000);
    EXPECT_EQ(modes.Highlighted(), 0);
}

TEST(DrawnChoiceList, ThePointerHighlightsAndAClickChooses) {
    DrawnChoiceList list({"Triplet", "Dotted", "Normal"}, 2, 80, 200);
    EXPECT_EQ(list.Press(40, 5), Action::None) << "the header shows the choice";
    EXPECT_EQ(list.Press(-1, kHeader + 5), Action::None);
    EXPECT_EQ(list.Press(40, kHeader + 3 * kRow), Action::None) << "below the rows";
    EXPECT_TRUE(list.Hover(40, kHeader + kRow + 2));
    EXPECT_EQ(list.Highlighted(), 1);
    EXPECT_FALSE(list.Hover(41, kHeader + kRow + 3)) << "the same row";
    EXPECT_FALSE(list.Hover(40, 3));
    EXPECT_EQ(list.Text(), "Normal");
    EXPECT_EQ(list.Press(40, kHeader + 2), Action::Commit);
    EXPECT_EQ(list.Text(), "Triplet");
}

TEST(DrawnChoiceList, DrawsTheChoiceAboveTheRowsWithTheHighlightLit) {
    DrawnChoiceList list(NoteValues(), 1, 64, kHeader + 5 * kRow);
    const HeapBitmap& face = list.Face();
    const auto at = [&](int x, int y) { return face.Bits()[y * face.RowSpan() + x]; };
    EXPECT_EQ(at(0, 0), entry_look::kBorder);
    EXPECT_EQ(at(2, 2), entry_look::kHeader);
    EXPECT_EQ(at(2, kHeader + 2), entry_look::kField);
    EXPECT_EQ(at(2, kHeader + kRow + 2), entry_look::kSelection);
    EXPECT_EQ(at(63, kHeader + 2), entry_look::kBorder);
    // Five of 25 rows shown: a thumb at the top of the track.
    EXPECT_EQ(at(61, kHeader + 1), entry_look::kScrollThumb);
    EXPECT_EQ(at(61, list.Height() - 3), entry_look::kField);
    list.Key(EntryKey::End, "", 0);
    EXPECT_EQ(at(61, list.Height() - 3), entry_look::kScrollThumb);
    EXPECT_EQ(at(2, list.Height() - 3), entry_look::kSelection);
    // Some text is written in every row.
    for (int row = 0; row < 5; ++row) {
        const std::uint32_t ground = at(2, kHeader + row * kRow + 2);
        int written = 0;
        for (int x = 4; x < 40; ++x)
            for (int y = kHeader + row * kRow + 2; y < kHeader + (row + 1) * kRow - 2; ++y)
                written += at(x, y) != ground;
        EXPECT_GT(written, 5) << row;
    }
}

} // namespace

// At 1.5x and 2x the boxes are the 1x boxes drawn at the scale: frame, margins, caret, rows,
// scroll thumb and type, each at the panel length's device pixels; input comes in the same
// device pixels.
TEST(DrawnEntry, DrawsAndHitsAtTheScale) {
    for (double factor : {1.0, 1.5, 2.0}) {
        const DisplayScale s = DisplayScale::ForFactor(factor);
        SCOPED_TRACE(s.Percent());
        const int b = s.ToDevice(1), inset = s.ToDevice(2);
        const auto at = [](const HeapBitmap& face, int x, int y) {
            return face.Bits()[y * face.RowSpan() + x];
        };

        // An empty field: its frame, then the caret at the text's left margin.
        DrawnTextField empty(s.ToDevice(IPlugRect{100, 50, 140, 66}), "", 0, {}, false, s);
        const HeapBitmap& blank = empty.Face();
        ASSERT_EQ(blank.Width(), s.ToDevice(40));
        ASSERT_EQ(blank.Height(), s.ToDevice(16));
        const int h = blank.Height();
        EXPECT_EQ(at(blank, b - 1, h / 2), entry_look::kBorder);
        EXPECT_EQ(at(blank, b, h / 2 + 2), entry_look::kField);
        EXPECT_EQ(at(blank, blank.Width() - b, h / 2 + 2), entry_look::kBorder);
        EXPECT_EQ(at(blank, inset + b - 1, inset), entry_look::kText) << "the caret";
        EXPECT_EQ(at(blank, inset + b - 1, h - inset - 1), entry_look::kText);
        EXPECT_EQ(at(blank, inset + b, h / 2), entry_look::kField) << "the caret's width";
        EXPECT_EQ(at(blank, inset, inset - 1), entry_look::kField);

        // A field holding a value: its type is the scaled size, its caret found in device
        // pixels.
        const IPlugRect area = s.ToDevice(IPlugRect{100, 50, 160, 66});
        DrawnTextField field(area, "1234", 0, {}, false, s);
        field.Key(EntryKey::End, "");
        // Rows of dark type left of the caret, which stands after the text.
        const int textWidth = entry_look::TextWidth(EntryFont{}.Scaled(s), "1234");
        int inked = 0;
        for (int y = b; y < field.Face().Height() - b; ++y) {
            bool ink = false;
            for (int x = inset; x < inset + textWidth; ++x)
                ink = ink || (at(field.Face(), x, y) & 0xFF) < 0x80;
            inked += ink;
        }
        EXPECT_NEAR(inked, 10 * factor, 1 + factor) << "rows of the digits' type";
        EXPECT_EQ(at(field.Face(), inset + textWidth, inset), entry_look::kText) << "the caret";
        EXPECT_EQ(field.Press(area.left - 1, area.top + 2), Action::None);
        EXPECT_EQ(field.Press(area.right - b - 1, area.top + 2), Action::Typing);
        EXPECT_EQ(field.Caret(), 4);
        EXPECT_EQ(field.Press(area.left + b, area.top + 2), Action::Typing);
        EXPECT_EQ(field.Caret(), 0);

        // Five of 25 rows shown, the second lit: header, rows and thumb at the scale.
        const int header = s.ToDevice(kHeader), row = s.ToDevice(kRow);
        DrawnChoiceList list(NoteValues(), 1, s.ToDevice(64), s.ToDevice(kHeader + 5 * kRow), s);
        const HeapBitmap& face = list.Face();
        EXPECT_EQ(list.VisibleRows(), 5);
        EXPECT_EQ(list.Height(), header + 5 * row);
        const int w = face.Width();
        EXPECT_EQ(at(face, b - 1, b - 1), entry_look::kBorder);
        EXPECT_EQ(at(face, b, b), entry_look::kHeader);
        EXPECT_EQ(at(face, b, header - b - 1), entry_look::kHeader);
        EXPECT_EQ(at(face, b, header + b), entry_look::kField);
        EXPECT_EQ(at(face, b, header + row), entry_look::kSelection);
        EXPECT_EQ(at(face, b, header + 2 * row - 1), entry_look::kSelection);
        EXPECT_EQ(at(face, b, header + 2 * row), entry_look::kField);
        EXPECT_EQ(at(face, w - b - 1, header + 1), entry_look::kScrollThumb);
        EXPECT_EQ(at(face, w - b - s.ToDevice(3), header + 1), entry_look::kScrollThumb);
        EXPECT_EQ(at(face, w - b - s.ToDevice(3) - 1, header + 1), entry_look::kField);
        EXPECT_EQ(at(face, w - b, header + 1), entry_look::kBorder);
        EXPECT_EQ(list.RowAt(b, header - 1), -1) << "the header";
        EXPECT_EQ(list.RowAt(b, header + 3 * row + row - 1), 3);
        EXPECT_TRUE(list.Hover(w / 2, header + 4 * row));
        EXPECT_EQ(list.Highlighted(), 4);
        EXPECT_TRUE(list.Wheel(-1));
        EXPECT_EQ(list.Top(), 3) << "three rows a notch at every scale";
        EXPECT_EQ(list.Press(w / 2, list.Height() - 1), Action::Commit);
        EXPECT_EQ(list.Text(), "1/8T") << "the last row shown, the eighth value";
    }
}
