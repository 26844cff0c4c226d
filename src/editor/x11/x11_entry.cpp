// In-place entry on X11: the box is drawn by us (see DrawnEntry), at the positions and
// sizes of the Win32 layer's native boxes, and applied or discarded by the redraw tick
// through the same states.
#include "bitmap/blit.h"
#include "bitmap/text/plug_text.h"
#include "controls/control.h"
#include "controls/text_control.h"
#include "core/plug_param.h"
#include "editor/x11/x11_editor_window.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

void X11EditorWindow::PromptParameter(IControl* control, IPlugParam* param) {
    if (!control || !param || entry_ || !window_) return;
    const IPlugRect& r = control->DrawRect();
    const int cx = static_cast<int>((r.left + r.right) * 0.5f);
    const int cy = static_cast<int>((r.top + r.bottom) * 0.5f);
    const std::string current = param->FormatValue(param->Value(), false);

    const int n = param->ValueTextCount();
    if (n > 0 && (param->Type() == ParamChoice || param->Type() == ParamIntegerReserved)) {
        const int first = static_cast<int>(param->Min());
        std::size_t longest = 0;
        std::vector<std::string> choices;
        int selected = -1;
        for (int i = 0; i < n; ++i) {
            const char* text = param->ValueText(first + i);
            choices.emplace_back(text ? text : "");
            longest = std::max(longest, choices.back().size());
            if (current == choices.back()) selected = i;
        }
        const int width = std::max(24, 8 * static_cast<int>(longest) + 24);
        const int height = 36 * (n + 1);
        const int left = cx - width / 2;
        OpenEntry(DrawnEntry::ChoiceList({left, cy, left + width, cy + height}, std::move(choices),
                                         selected),
                  control, param);
    } else {
        const std::string maximum = param->FormatValue(1.0, true);
        const int width = std::max(32, 7 * static_cast<int>(maximum.size()) + 6);
        const int left = cx - width / 2;
        OpenEntry(
            DrawnEntry::TextField({left, cy - 8, left + width, cy + 8}, current, TEXT_ALIGN_CENTER),
            control, param);
    }
}

void X11EditorWindow::PromptText(ITextControl* control) {
    if (!control || entry_ || !window_) return;
    const int align = control->Style().align;
    const char* text = control->Text() ? control->Text() : "";
    OpenEntry(DrawnEntry::TextField(control->DrawRect(), text,
                                    align == TEXT_ALIGN_LEFT || align == TEXT_ALIGN_RIGHT
                                        ? align
                                        : TEXT_ALIGN_CENTER),
              control, nullptr);
}

void X11EditorWindow::OpenEntry(DrawnEntry entry, IControl* control, IPlugParam* param) {
    entry_.emplace(std::move(entry));
    entryControl_ = control;
    entryParam_ = param;
    entryState_ = kEntryIdle;
    TakeFocus();
    ShowEntry();
}

void X11EditorWindow::ShowEntry() {
    if (!entry_ || !surface_ || windowGone_) return;
    const IPlugRect& area = entry_->Area();
    const IPlugRect part = area.Intersect({0, 0, Width(), Height()});
    if (part.Empty()) return;
    BlitBitmapArea(&surface_->Pixels(), &entry_->Face(), part.left, part.top, part.left - area.left,
                   part.top - area.top, part.W(), part.H(), 1.0f, BLEND_COPY);
    surface_->Upload(window_, gc_, part);
}

void X11EditorWindow::AdvanceEntry() {
    switch (entryState_) {
    case kEntryTyping:
        entryState_ = kEntryIdle;
        break;
    case kEntryCancel:
        CloseEntry();
        break;
    case kEntryCommit: {
        const std::string text = entry_->Text().substr(0, DrawnEntry::kMaxText);
        ApplyTypedText(entryControl_, entryParam_, text.c_str());
        CloseEntry();
        break;
    }
    default:
        break;
    }
}

void X11EditorWindow::CloseEntry() {
    if (!entry_) return;
    if (entryControl_) entryControl_->EndTextEntry();
    const IPlugRect area = entry_->Area();
    ForgetEntry();
    // What lay under the box comes back, as when a child window goes.
    if (window_ && !windowGone_) Repaint(area);
}

void X11EditorWindow::ForgetEntry() {
    if (entry_) GiveBackFocus();
    entry_.reset();
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    entryState_ = kEntryIdle;
    pressInEntry_ = false;
}

void X11EditorWindow::TakeFocus() {
    if (!connection_ || !window_ || windowGone_) return;
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    focusBefore_ = focus ? focus->focus : 0;
    std::free(focus);
    if (focusBefore_ == window_) focusBefore_ = 0;
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void X11EditorWindow::GiveBackFocus() {
    if (!connection_ || !window_ || windowGone_ || xcb_connection_has_error(connection_)) return;
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
