#include "editor/x11/x11_keys.h"

#include "editor/key_codes.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstdlib>

int VirtualKeyOf(std::uint32_t sym) {
    using namespace virtual_key;
    if (sym == XKB_KEY_space) return kSpace;
    if (sym == XKB_KEY_Left || sym == XKB_KEY_KP_Left) return kLeft;
    if (sym == XKB_KEY_Up || sym == XKB_KEY_KP_Up) return kUp;
    if (sym == XKB_KEY_Right || sym == XKB_KEY_KP_Right) return kRight;
    if (sym == XKB_KEY_Down || sym == XKB_KEY_KP_Down) return kDown;
    if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9) return kDigit0 + static_cast<int>(sym - XKB_KEY_0);
    // Letter keys are one virtual key whatever the shift state.
    if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return kLetterA + static_cast<int>(sym - XKB_KEY_A);
    if (sym >= XKB_KEY_a && sym <= XKB_KEY_z) return kLetterA + static_cast<int>(sym - XKB_KEY_a);
    // The keypad and function keys whose virtual keys fall inside the table's ranges.
    if (sym >= XKB_KEY_KP_0 && sym <= XKB_KEY_KP_9)
        return kNumpad0 + static_cast<int>(sym - XKB_KEY_KP_0);
    if (sym >= XKB_KEY_KP_Multiply && sym <= XKB_KEY_KP_Divide)
        return kMultiply + static_cast<int>(sym - XKB_KEY_KP_Multiply);
    if (sym >= XKB_KEY_F1 && sym <= XKB_KEY_F11) return kF1 + static_cast<int>(sym - XKB_KEY_F1);
    return 0;
}

EntryKey EntryKeyOf(std::uint32_t sym) {
    switch (sym) {
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
        return EntryKey::Enter;
    case XKB_KEY_Escape:
        return EntryKey::Escape;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return EntryKey::Up;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return EntryKey::Down;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        return EntryKey::Left;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        return EntryKey::Right;
    case XKB_KEY_Page_Up:
    case XKB_KEY_KP_Page_Up:
        return EntryKey::PageUp;
    case XKB_KEY_Page_Down:
    case XKB_KEY_KP_Page_Down:
        return EntryKey::PageDown;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
        return EntryKey::Home;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
        return EntryKey::End;
    case XKB_KEY_BackSpace:
        return EntryKey::Backspace;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        return EntryKey::Delete;
    default:
        return EntryKey::Other;
    }
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
