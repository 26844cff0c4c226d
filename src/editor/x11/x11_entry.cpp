// In-place entry on X11: the boxes are drawn by us (DrawnTextField, DrawnChoiceList) and
// applied or discarded by the redraw tick through the editor's EntrySession. The text field
// lies over the editor's picture inside its window; the focus is taken for the box's keys
// and given back when it goes.
#include "bitmap/blit.h"
#include "editor/entry_plan.h"
#include "editor/x11/x11_editor_window.h"
#include "editor/x11/x11_entry_box.h"

#include <xcb/xcb.h>

#include <cstdlib>

std::unique_ptr<EntryBox> X11EditorWindow::OpenEntryBox(const EntryPlan& plan) {
    if (!Live()) return nullptr;
    if (plan.kind == EntryPlan::Kind::ChoiceList)
        return X11ChoicePopup::Create(*this, plan, Scale());
    return std::make_unique<X11TextFieldBox>(*this, plan, Scale());
}

X11EntryBox* X11EditorWindow::OpenBox() const {
    return dynamic_cast<X11EntryBox*>(Entry().Box());
}

void X11EditorWindow::TakeFocus() {
    if (!Live()) return;
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    focusBefore_ = focus ? focus->focus : 0;
    std::free(focus);
    if (focusBefore_ == window_) focusBefore_ = 0;
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void X11EditorWindow::GiveBackFocus() {
    if (!Live() || xcb_connection_has_error(connection_)) return;
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    const bool ours = focus && focus->focus == window_;
    std::free(focus);
    // Only a focus we still hold, to the window that had it (a real window, not None or
    // PointerRoot); if that one is gone the error is dropped and the server reverts.
    if (ours && focusBefore_ > 1)
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, focusBefore_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
    focusBefore_ = 0;
}

X11TextFieldBox::X11TextFieldBox(X11EditorWindow& window, const EntryPlan& plan, DisplayScale scale)
    : window_(window),
      field_(plan.PixelArea(scale), plan.text, plan.align, plan.font, plan.readOnly, scale) {}

X11TextFieldBox::~X11TextFieldBox() {
    window_.pressInEntry_ = false;
    window_.GiveBackFocus();
    // What lay under the box comes back, as when a child window goes.
    if (window_.Live()) window_.Repaint(field_.Area());
}

void X11TextFieldBox::Start() {
    window_.TakeFocus();
    Show();
}

EntryAction X11TextFieldBox::Key(EntryKey key, const char* typed, std::uint32_t) {
    const EntryAction action = field_.Key(key, typed);
    Show();
    return action;
}

EntryAction X11TextFieldBox::Press(int x, int y) {
    const EntryAction action = field_.Press(x, y);
    Show();
    return action;
}

void X11TextFieldBox::Overlay(PixelBitmap& picture, const IPlugRect& rect) const {
    const IPlugRect& area = field_.Area();
    const IPlugRect part = rect.Intersect(area);
    if (part.Empty()) return;
    BlitBitmapArea(&picture, &field_.Face(), part.left, part.top, part.left - area.left,
                   part.top - area.top, part.W(), part.H(), 1.0f, BLEND_COPY);
}

void X11TextFieldBox::Show() {
    X11Surface* surface = window_.surface_.get();
    if (!surface || !window_.Live()) return;
    const IPlugRect part =
        field_.Area().Intersect({0, 0, surface->Pixels().Width(), surface->Pixels().Height()});
    if (part.Empty()) return;
    Overlay(surface->Pixels(), part);
    surface->Upload(window_.window_, window_.gc_, part);
}
