// The X11 layer's pieces that need no server: keysyms named for the editor's key table and
// for the boxes we draw, and double-click detection.
#include "editor/key_codes.h"
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
        EXPECT_EQ(EditorKeyCode(VirtualKeyOf(c.sym)), c.code) << std::hex << c.sym;
}

TEST(X11Keys, NameTheKeysOfTheBoxesWeDraw) {
    const struct {
        std::uint32_t sym;
        EntryKey key;
    } cases[] = {
        {XKB_KEY_Return, EntryKey::Enter},
        {XKB_KEY_KP_Enter, EntryKey::Enter},
        {XKB_KEY_Escape, EntryKey::Escape},
        {XKB_KEY_Up, EntryKey::Up},
        {XKB_KEY_KP_Down, EntryKey::Down},
        {XKB_KEY_Left, EntryKey::Left},
        {XKB_KEY_KP_Right, EntryKey::Right},
        {XKB_KEY_Page_Up, EntryKey::PageUp},
        {XKB_KEY_KP_Page_Down, EntryKey::PageDown},
        {XKB_KEY_KP_Home, EntryKey::Home},
        {XKB_KEY_End, EntryKey::End},
        {XKB_KEY_BackSpace, EntryKey::Backspace},
        {XKB_KEY_KP_Delete, EntryKey::Delete},
        {XKB_KEY_a, EntryKey::Other},
        {XKB_KEY_Tab, EntryKey::Other},
        {0, EntryKey::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntryKeyOf(c.sym), c.key) << std::hex << c.sym;
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

} // namespace
