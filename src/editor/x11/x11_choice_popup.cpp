// The X11 choice list: an override-redirect window of its own below the control, kept on
// the screen, holding the pointer while it is open as menus do. Presses in the editor
// follow the entry's rules; a press anywhere else closes the list unapplied.
#include "editor/entry_plan.h"
#include "editor/x11/x11_editor_window.h"
#include "editor/x11/x11_entry_box.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kLeft = 1, kWheelUp = 4, kWheelDown = 5;
constexpr std::uint32_t kPopupEvents = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                       XCB_EVENT_MASK_BUTTON_RELEASE |
                                       XCB_EVENT_MASK_POINTER_MOTION;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

} // namespace

std::unique_ptr<X11ChoicePopup> X11ChoicePopup::Create(X11EditorWindow& window,
                                                       const EntryPlan& plan, DisplayScale scale) {
    xcb_connection_t* c = window.connection_;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window.window_, window.root_, 0, 0), nullptr);
    xcb_get_geometry_reply_t* root =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window.root_), nullptr);
    if (!at || !root) {
        std::free(at);
        std::free(root);
        return nullptr;
    }
    const IPlugRect editor{at->dst_x, at->dst_y, at->dst_x + window.WindowWidth(),
                           at->dst_y + window.WindowHeight()};
    const IPlugRect screen{0, 0, root->width, root->height};
    std::free(at);
    std::free(root);

    // Every value that the screen has room for, in the width and at the top-left corner the
    // plan gives; the rest scroll.
    const IPlugRect area = plan.PixelArea(scale);
    DrawnChoiceList list(plan.choices, plan.selected, area.W(), std::min(area.H(), screen.H()),
                         scale, plan.font);
    const int left = editor.left + area.left, top = editor.top + area.top;
    const IPlugRect placed =
        KeepInside({left, top, left + list.Width(), top + list.Height()}, screen);

    std::unique_ptr<X11ChoicePopup> popup(
        new X11ChoicePopup(window, std::move(list), placed, editor));
    const xcb_window_t id = xcb_generate_id(c);
    // Our visual and colormap, as the editor's window has; no background, it is all drawn.
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, 1, kPopupEvents, window.colormap_};
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_create_window_checked(
               c, window.depth_, id, window.root_, static_cast<std::int16_t>(placed.left),
               static_cast<std::int16_t>(placed.top), static_cast<std::uint16_t>(placed.W()),
               static_cast<std::uint16_t>(placed.H()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
               window.visual_,
               XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                   XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
               values));
    if (error) {
        std::free(error);
        return nullptr;
    }
    popup->popup_ = id;
    // Compositors draw it as the drop-down menu it is.
    const xcb_atom_t type = Atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dropDown = Atom(c, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");
    if (type && dropDown)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32, 1, &dropDown);
    popup->surface_ = X11Surface::Create(c, placed.W(), placed.H(), window.depth_,
                                         window.swapBytes_, window.allowShared_);
    if (!popup->surface_) return nullptr;
    return popup;
}

X11ChoicePopup::X11ChoicePopup(X11EditorWindow& window, DrawnChoiceList list,
                               const IPlugRect& placed, const IPlugRect& editorOnScreen)
    : window_(window), list_(std::move(list)), placed_(placed), editorOnScreen_(editorOnScreen) {}

X11ChoicePopup::~X11ChoicePopup() {
    xcb_connection_t* c = window_.connection_;
    surface_.reset();
    if (popup_ && c && !xcb_connection_has_error(c)) {
        // The grab goes with the window; what lay under it is exposed and repainted.
        xcb_destroy_window(c, popup_);
        xcb_flush(c);
    }
    window_.GiveBackFocus();
}

void X11ChoicePopup::Start() {
    xcb_connection_t* c = window_.connection_;
    // The keys first, so they are ours by the time the list shows.
    window_.TakeFocus();
    xcb_map_window(c, popup_);
    // The pointer, so that a press anywhere else closes the list; our own windows still get
    // their events. Under another program's grab the list stays open without.
    std::free(xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 1, popup_, kPopupEvents & ~XCB_EVENT_MASK_EXPOSURE, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr));
}

void X11ChoicePopup::Show() {
    const IPlugRect all{0, 0, list_.Width(), list_.Height()};
    surface_->CopyFrom(list_.Face(), all);
    surface_->Upload(popup_, window_.gc_, all);
}

EntryAction X11ChoicePopup::Key(EntryKey key, const char* typed, std::uint32_t timeMs) {
    const EntryAction action = list_.Key(key, typed, timeMs);
    Show();
    return action;
}

bool X11ChoicePopup::HandleEvent(const xcb_generic_event_t* event, EntryAction& asks) {
    switch (event->response_type & 0x7F) {
    case XCB_EXPOSE: {
        const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
        if (e->window != popup_) return false;
        surface_->CopyFrom(list_.Face(), {0, 0, list_.Width(), list_.Height()});
        surface_->Upload(popup_, window_.gc_, {e->x, e->y, e->x + e->width, e->y + e->height});
        return true;
    }
    case XCB_BUTTON_PRESS: {
        const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
        if (e->event != popup_) return false;
        const int x = e->event_x, y = e->event_y;
        const bool inside = x >= 0 && y >= 0 && x < list_.Width() && y < list_.Height();
        if (!inside) {
            // Reported to us by the grab: a press somewhere else on the screen.
            asks = EntryAction::Cancel;
        } else if (e->detail == kWheelUp || e->detail == kWheelDown) {
            list_.Wheel(e->detail == kWheelUp ? 1 : -1);
            list_.Hover(x, y);
            Show();
        } else if (e->detail == kLeft) {
            asks = list_.Press(x, y);
            Show();
        }
        return true;
    }
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
        if (e->event != popup_) return false;
        if (window_.captured_) {
            // The press that opened the list still holds its button down over the list.
            PassOnToEditor(event);
        } else if ((event->response_type & 0x7F) == XCB_MOTION_NOTIFY &&
                   list_.Hover(e->event_x, e->event_y)) {
            Show();
        }
        return true;
    }
    default:
        return false;
    }
}

void X11ChoicePopup::PassOnToEditor(const xcb_generic_event_t* event) {
    // Motion and release events lay out these fields alike.
    xcb_motion_notify_event_t moved;
    std::memcpy(&moved, event, sizeof moved);
    moved.event = window_.window_;
    moved.event_x = static_cast<std::int16_t>(moved.root_x - editorOnScreen_.left);
    moved.event_y = static_cast<std::int16_t>(moved.root_y - editorOnScreen_.top);
    window_.HandleEvent(reinterpret_cast<const xcb_generic_event_t*>(&moved));
}
