#pragma once

// The entry boxes of the X11 layer, drawn by us: a text field over the editor window's
// picture, at the place and size of the Win32 layer's native field, and a choice list in an
// override-redirect popup window of its own, which the panel does not clip. Both are laid
// out and drawn at the editor's scale, in device pixels as the window's events are.
#include "editor/drawn_choice_list.h"
#include "editor/drawn_text_field.h"
#include "editor/entry_session.h"
#include "editor/x11/x11_surface.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

class X11EditorWindow;
struct EntryPlan;

class X11EntryBox : public EntryBox {
public:
    // A key, typed while the editor window holds the focus for the box.
    virtual EntryAction Key(EntryKey key, const char* typed, std::uint32_t timeMs) = 0;
    // Whether a press at x, y of the editor window is the box's own.
    virtual bool Covers(int /*x*/, int /*y*/) const { return false; }
    // A left press of the box's own, in editor coordinates.
    virtual EntryAction Press(int /*x*/, int /*y*/) { return EntryAction::None; }
    // An event for a window of the box's own: whether it was one; what it asks of the entry.
    virtual bool HandleEvent(const xcb_generic_event_t* /*event*/, EntryAction& /*asks*/) {
        return false;
    }
    // Puts what of the box lies in rect over the editor's picture.
    virtual void Overlay(PixelBitmap& /*picture*/, const IPlugRect& /*rect*/) const {}
};

class X11TextFieldBox final : public X11EntryBox {
public:
    X11TextFieldBox(X11EditorWindow& window, const EntryPlan& plan, DisplayScale scale);
    ~X11TextFieldBox() override;

    void Start() override;
    std::string Text() const override { return field_.Text(); }
    EntryAction Key(EntryKey key, const char* typed, std::uint32_t timeMs) override;
    bool Covers(int x, int y) const override { return field_.Area().Contains(x, y); }
    EntryAction Press(int x, int y) override;
    void Overlay(PixelBitmap& picture, const IPlugRect& rect) const override;

    const DrawnTextField& Field() const { return field_; }

private:
    void Show();

    X11EditorWindow& window_;
    DrawnTextField field_;
};

class X11ChoicePopup final : public X11EntryBox {
public:
    // The popup for a plan, or none when the window cannot have one.
    static std::unique_ptr<X11ChoicePopup> Create(X11EditorWindow& window, const EntryPlan& plan,
                                                  DisplayScale scale);
    ~X11ChoicePopup() override;

    void Start() override;
    std::string Text() const override { return list_.Text(); }
    EntryAction Key(EntryKey key, const char* typed, std::uint32_t timeMs) override;
    bool HandleEvent(const xcb_generic_event_t* event, EntryAction& asks) override;

    std::uint32_t Window() const { return popup_; }
    // Where the popup lies on the screen.
    const IPlugRect& Placed() const { return placed_; }
    const DrawnChoiceList& List() const { return list_; }

private:
    X11ChoicePopup(X11EditorWindow& window, DrawnChoiceList list, const IPlugRect& placed,
                   const IPlugRect& editorOnScreen);
    void Show();
    // An event of the editor's own press that the popup got instead: passed on to it.
    void PassOnToEditor(const xcb_generic_event_t* event);

    X11EditorWindow& window_;
    DrawnChoiceList list_;
    IPlugRect placed_;
    IPlugRect editorOnScreen_;
    std::uint32_t popup_ = 0;
    std::unique_ptr<X11Surface> surface_;
};
