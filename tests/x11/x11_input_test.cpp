// The X11 layer's pieces that need no server: the key table, double-click detection and
// the drawn entry box's editing and geometry.
#include "editor/x11/drawn_entry.h"
#include "editor/x11/x11_keys.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

namespace {

TEST(X11Keys, GiveTheWin32LayersCodes) {
    struct Case {
        std::uint32_t sym;
        int code;
    };
    const Case cases[] = {
        {XKB_KEY_space, 0},
        {XKB_KEY_Up, 1},
        {XKB_KEY_Down, 2},
        {XKB_KEY_Left, 3},
        {XKB_KEY_Right, 4},
        {XKB_KEY_0, 5},
        {XKB_KEY_9, 14},
        {XKB_KEY_A, 15},
        {XKB_KEY_a, 15},
        {XKB_KEY_z, 40},
        {XKB_KEY_Z, 40},
        {XKB_KEY_KP_Up, 1},
        // Keys whose virtual-key values fall into the table's 97-122 range there.
        {XKB_KEY_KP_1, 15},
        {XKB_KEY_KP_9, 23},
        {XKB_KEY_KP_Divide, 29},
        {XKB_KEY_F1, 30},
        {XKB_KEY_F11, 40},
        // Everything else is swallowed.
        {XKB_KEY_Escape, -1},
        {XKB_KEY_Return, -1},
        {XKB_KEY_KP_0, -1},
        {XKB_KEY_F12, -1},
        {XKB_KEY_exclam, -1},
        {XKB_KEY_Home, -1},
        {XKB_KEY_Shift_L, -1},
        {0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditorKeyCode(c.sym), c.code) << std::hex << c.sym;
}

TEST(X11Clicks, DoubleOnlyWithinTimeDistanceAndButton) {
    struct Case {
        int button;
        std::uint32_t dt;
        int dx, dy;
        bool isDouble;
    };
    const Case cases[] = {
        {1, 0, 0, 0, true},    {1, 500, 2, -2, true},  {1, 501, 0, 0, false},
        {1, 100, 3, 0, false}, {1, 100, 0, -3, false}, {3, 100, 0, 0, true},
    };
    for (const Case& c : cases) {
        ClickCounter clicks;
        EXPECT_FALSE(clicks.Press(c.button, 1000, 50, 50));
        EXPECT_EQ(clicks.Press(c.button, 1000 + c.dt, 50 + c.dx, 50 + c.dy), c.isDouble)
            << c.button << " " << c.dt << " " << c.dx << "," << c.dy;
    }
    ClickCounter clicks;
    clicks.Press(1, 0, 5, 5);
    EXPECT_FALSE(clicks.Press(3, 10, 5, 5)) << "another button";
    EXPECT_TRUE(clicks.Press(3, 20, 5, 5));
    EXPECT_FALSE(clicks.Press(3, 30, 5, 5)) << "a third press starts again";
    EXPECT_TRUE(clicks.Press(3, 40, 5, 5));
    EXPECT_FALSE(clicks.Press(1, 4000000000u, 5, 5));
    EXPECT_FALSE(clicks.Press(1, 20, 5, 5)) << "time going backwards (wrapped) is no double";
}

using Action = DrawnEntry::Action;

TEST(DrawnEntryField, EditsLikeANativeField) {
    DrawnEntry field = DrawnEntry::TextField({100, 50, 132, 66}, "60", 1);
    EXPECT_TRUE(field.AllSelected());
    EXPECT_EQ(field.Face().Width(), 32);
    EXPECT_EQ(field.Face().Height(), 16);
    // Typing replaces the selection.
    EXPECT_EQ(field.Key(XKB_KEY_7, "7"), Action::Typing);
    EXPECT_EQ(field.Key(XKB_KEY_5, "5"), Action::Typing);
    EXPECT_EQ(field.Text(), "75");
    EXPECT_EQ(field.Key(XKB_KEY_Left, ""), Action::Typing);
    EXPECT_EQ(field.Key(XKB_KEY_BackSpace, "\b"), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(XKB_KEY_End, ""), Action::Typing);
    EXPECT_EQ(field.Key(XKB_KEY_eacute, "\xC3\xA9"), Action::Typing);
    EXPECT_EQ(field.Text(), "5\xC3\xA9");
    EXPECT_EQ(field.Key(XKB_KEY_Left, ""), Action::Typing);
    EXPECT_EQ(field.Caret(), 1) << "over the whole two-byte character";
    EXPECT_EQ(field.Key(XKB_KEY_Delete, ""), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    // Control characters typed are not text.
    EXPECT_EQ(field.Key(XKB_KEY_Tab, "\t"), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(XKB_KEY_Home, ""), Action::Typing);
    EXPECT_EQ(field.Key(XKB_KEY_BackSpace, "\b"), Action::Typing);
    EXPECT_EQ(field.Text(), "5");
    EXPECT_EQ(field.Key(XKB_KEY_KP_Enter, "\r"), Action::Commit);
    EXPECT_EQ(field.Caret(), 1) << "the caret ends at the end";
    EXPECT_EQ(field.Key(XKB_KEY_Escape, "\x1b"), Action::Cancel);
}

TEST(DrawnEntryField, HoldsAtMost999Bytes) {
    DrawnEntry field = DrawnEntry::TextField({0, 0, 40, 16}, std::string(1200, '1'), 0);
    EXPECT_EQ(field.Text().size(), 999u);
    field.Key(XKB_KEY_End, "");
    field.Key(XKB_KEY_2, "2");
    EXPECT_EQ(field.Text().size(), 999u);
    field.Key(XKB_KEY_BackSpace, "");
    field.Key(XKB_KEY_2, "2");
    EXPECT_EQ(field.Text().back(), '2');
}

TEST(DrawnEntryField, APressInsidePlacesTheCaretOutsideDoesNothing) {
    DrawnEntry field = DrawnEntry::TextField({100, 50, 200, 66}, "1234", 0);
    EXPECT_EQ(field.Press(99, 55), Action::None);
    EXPECT_TRUE(field.AllSelected());
    EXPECT_EQ(field.Press(101, 55), Action::Typing);
    EXPECT_FALSE(field.AllSelected());
    EXPECT_EQ(field.Caret(), 0) << "left aligned: the start";
    EXPECT_EQ(field.Press(199, 55), Action::Typing);
    EXPECT_EQ(field.Caret(), 4);
}

TEST(DrawnEntryList, OpensUnderItsTopEdgeAndPicksARow) {
    const IPlugRect allotted{115, 133, 203, 277}; // 36 x 4 high, as the native list
    DrawnEntry list = DrawnEntry::ChoiceList(allotted, {"Triplet", "Dotted", "Normal"}, 2);
    EXPECT_TRUE(list.IsChoiceList());
    EXPECT_EQ(list.Area().top, 133);
    EXPECT_EQ(list.Area().left, 115);
    EXPECT_EQ(list.Area().right, 203);
    EXPECT_EQ(list.Area().H(), DrawnEntry::kHeaderHeight + 3 * DrawnEntry::kRowHeight);
    EXPECT_EQ(list.Text(), "Normal");
    EXPECT_EQ(list.Press(150, 140), Action::None) << "the header shows the choice";
    EXPECT_EQ(list.Press(150, 133 + 20 + 18 + 1), Action::Commit);
    EXPECT_EQ(list.Text(), "Dotted");
    EXPECT_EQ(list.Key(XKB_KEY_Up, ""), Action::Commit);
    EXPECT_EQ(list.Text(), "Triplet");
    EXPECT_EQ(list.Key(XKB_KEY_Up, ""), Action::Typing) << "already at the top";
    EXPECT_EQ(list.Key(XKB_KEY_a, "a"), Action::Typing);
    EXPECT_EQ(list.Key(XKB_KEY_Return, "\r"), Action::Commit);
}

TEST(DrawnEntryList, NoMatchingChoiceMeansNoSelection) {
    DrawnEntry list = DrawnEntry::ChoiceList({0, 0, 50, 100}, {"a", "b"}, -1);
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(list.Key(XKB_KEY_Down, ""), Action::Commit);
    EXPECT_EQ(list.Text(), "a");
    // A list taller than its allotted space is cut to it.
    DrawnEntry cut = DrawnEntry::ChoiceList({0, 0, 50, 30}, {"a", "b"}, 5);
    EXPECT_EQ(cut.Area().H(), 30);
    EXPECT_EQ(cut.Selected(), -1);
}

} // namespace
