// The editor window's X events: exposure, buttons, motion, wheel, keys and focus, turned
// into the editor's dispatch as the Win32 layer turns its window messages.
#include "controls/control.h"
#include "editor/key_codes.h"
#include "editor/x11/x11_editor_window.h"
#include "editor/x11/x11_entry_box.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace {

constexpr int kLeft = 1, kMiddle = 2, kRight = 3, kWheelUp = 4, kWheelDown = 5;

// Modifier and button state as the Win32 layer reads its key-state word: X reports the
// state before the event, so a press adds its button and a release takes it away.
MouseKeys Keys(std::uint16_t state, int pressed, int released) {
    MouseKeys mod;
    mod.left = ((state & XCB_BUTTON_MASK_1) != 0 || pressed == kLeft) && released != kLeft;
    mod.right = ((state & XCB_BUTTON_MASK_3) != 0 || pressed == kRight) && released != kRight;
    mod.shift = (state & XCB_MOD_MASK_SHIFT) != 0;
    mod.control = (state & XCB_MOD_MASK_CONTROL) != 0;
    mod.alt = (state & XCB_MOD_MASK_1) != 0;
    return mod;
}

} // namespace

bool X11EditorWindow::HandleEntryEvent(const xcb_generic_event_t* event) {
    X11EntryBox* box = OpenBox();
    EntryAction asks = EntryAction::None;
    if (!box || !box->HandleEvent(event, asks)) return false;
    Entry().Take(asks);
    return true;
}

void X11EditorWindow::HandleEvent(const xcb_generic_event_t* event) {
    // The open box's own windows first.
    if (HandleEntryEvent(event)) return;
    switch (event->response_type & 0x7F) {
    case 0:
        // An error of ours, e.g. drawing into a window whose parent is gone: dropped.
        return;
    case XCB_EXPOSE: {
        const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
        if (e->window != window_) return;
        // Repainted at once, as the Win32 layer paints on the system's request.
        Repaint({e->x, e->y, e->x + e->width, e->y + e->height});
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (e->window == window_) windowGone_ = true;
        return;
    }
    case XCB_BUTTON_PRESS: {
        const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
        const int button = e->detail;
        const int x = e->event_x, y = e->event_y;
        if (button == kWheelUp || button == kWheelDown) {
            // One notch per press; sideways wheels (6, 7) and the middle button are not ours.
            MouseWheel(x, y, Keys(e->state, 0, 0), button == kWheelUp ? 1 : -1);
            return;
        }
        if (button != kLeft && button != kRight) return;
        const bool doubleClick = clicks_.Press(button, e->time, x, y);
        X11EntryBox* box = OpenBox();
        if (box && box->Covers(x, y)) {
            // The box's own press: it goes no further, as it would in a child window.
            pressInEntry_ = true;
            if (button == kLeft) Entry().Take(box->Press(x, y));
            return;
        }
        pressInEntry_ = false;
        if (button == kRight && !Entry().PressInEditor(true)) return;
        const MouseKeys mod = Keys(e->state, button, 0);
        if (doubleClick) {
            // A right double-click is not handled on Win32 either: the second press is lost.
            if (button == kLeft && MouseDoubleClick(x, y, mod)) captured_ = true;
            return;
        }
        Entry().PressInEditor(false);
        captured_ = true;
        MouseDown(x, y, mod);
        return;
    }
    case XCB_BUTTON_RELEASE: {
        const auto* e = reinterpret_cast<const xcb_button_release_event_t*>(event);
        const int button = e->detail;
        if (button != kLeft && button != kRight) return;
        if (pressInEntry_) {
            pressInEntry_ = false;
            return;
        }
        captured_ = false;
        MouseUp(e->event_x, e->event_y, Keys(e->state, 0, button));
        return;
    }
    case XCB_MOTION_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
        const MouseKeys mod = Keys(e->state, 0, 0);
        if (mod.left || mod.right) {
            if (captured_) MouseDrag(e->event_x, e->event_y, mod);
        } else if (MouseOver(e->event_x, e->event_y, mod)) {
            tracking_ = true;
        }
        return;
    }
    case XCB_LEAVE_NOTIFY:
        if (tracking_) {
            tracking_ = false;
            MouseOut();
        }
        return;
    case XCB_KEY_PRESS: {
        const auto* e = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (!keyState_) return;
        // The event's own modifier state and group, so no keyboard events of XKB's are needed.
        xkb_state_update_mask(keyState_, e->state & 0xFF, 0, 0, 0, 0, (e->state >> 13) & 3);
        const xkb_keysym_t sym = xkb_state_key_get_one_sym(keyState_, e->detail);
        if (X11EntryBox* box = OpenBox()) {
            char typed[16] = {};
            xkb_state_key_get_utf8(keyState_, e->detail, typed, sizeof typed);
            Entry().Take(box->Key(EntryKeyOf(sym), typed, e->time));
            return;
        }
        const int code = EditorKeyCode(VirtualKeyOf(sym));
        if (code >= 0) KeyDown(e->event_x, e->event_y, code);
        return;
    }
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: {
        const auto* e = reinterpret_cast<const xcb_focus_in_event_t*>(event);
        if (!Entry().IsOpen() || e->mode == XCB_NOTIFY_MODE_GRAB ||
            e->mode == XCB_NOTIFY_MODE_UNGRAB || e->detail == XCB_NOTIFY_DETAIL_POINTER)
            return;
        // Gaining the focus is typing; losing it neither applies nor discards the entry.
        if ((event->response_type & 0x7F) == XCB_FOCUS_IN)
            Entry().Typing();
        else
            Entry().Idle();
        return;
    }
    default:
        return;
    }
}

int X11EditorWindow::HostWheel(float notches) {
    // Busy only while a dialog is up: the wheel is not delivered then.
    std::unique_lock lock(editorMutex_, std::try_to_lock);
    if (!lock || !window_ || windowGone_ || !connection_) return 0;
    xcb_query_pointer_reply_t* p =
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, window_), nullptr);
    if (!p) return 0;
    const bool inside = p->same_screen && p->win_x >= 0 && p->win_y >= 0 &&
                        p->win_x < WindowWidth() && p->win_y < WindowHeight();
    const int x = p->win_x, y = p->win_y;
    const std::uint16_t state = p->mask;
    std::free(p);
    if (!inside) return 0;
    MouseKeys mod = Keys(state, 0, 0);
    mod.left = mod.right = false;
    MouseWheel(x, y, mod, static_cast<int>(notches));
    return 1;
}
