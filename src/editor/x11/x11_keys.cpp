#include "editor/x11/x11_keys.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstdlib>

namespace {

// The Win32 virtual-key value of a keysym, or 0 when it has none that the table uses.
int VirtualKey(std::uint32_t sym) {
    if (sym == XKB_KEY_space) return 32;
    if (sym == XKB_KEY_Left || sym == XKB_KEY_KP_Left) return 37;
    if (sym == XKB_KEY_Up || sym == XKB_KEY_KP_Up) return 38;
    if (sym == XKB_KEY_Right || sym == XKB_KEY_KP_Right) return 39;
    if (sym == XKB_KEY_Down || sym == XKB_KEY_KP_Down) return 40;
    if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9) return static_cast<int>(sym);
    // Letter keys are one virtual key whatever the shift state.
    if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return static_cast<int>(sym);
    if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) return static_cast<int>(sym - XKB_KEY_a + 'A');
    // The keypad and function keys whose virtual keys fall inside the table's ranges.
    if (sym >= XKB_KEY_KP_0 && sym <= XKB_KEY_KP_9)
        return 96 + static_cast<int>(sym - XKB_KEY_KP_0);
    if (sym >= XKB_KEY_KP_Multiply && sym <= XKB_KEY_KP_Divide)
        return 106 + static_cast<int>(sym - XKB_KEY_KP_Multiply);
    if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F11) return 112 + static_cast<int>(sym - XKB_KEY_F1);
    return 0;
}

} // namespace

int EditorKeyCode(std::uint32_t keysym) {
    const int key = VirtualKey(keysym);
    if (key == 32) return 0;
    if (key == 38) return 1;
    if (key == 40) return 2;
    if (key == 37) return 3;
    if (key == 39) return 4;
    if (key >= 48 && key <= 57) return key - 43;
    if (key >= 65 && key <= 90) return key - 50;
    if (key >= 97 && key <= 122) return key - 82;
    return -1;
}

bool ClickCounter::Press(int button, std::uint32_t timeMs, int x, int y) {
    const bool isDouble = armed_ && button == button_ && timeMs - time_ <= kTimeMs &&
                          std::abs(x - x_) <= kDistance && std::abs(y - y_) <= kDistance;
    armed_ = !isDouble;
    button_ = button;
    time_ = timeMs;
    x_ = x;
    y_ = y;
    return isDouble;
}
