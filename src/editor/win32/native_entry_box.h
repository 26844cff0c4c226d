#pragma once

#include "base/win32/win32_api.h"
#include "editor/display_scale.h"
#include "editor/entry_session.h"

struct EntryPlan;

// The in-place entry on Win32: a native EDIT or COMBOBOX child of the editor window whose
// messages pass through the editor's entry procedure before its own.
class NativeEntryBox final : public EntryBox {
public:
    static constexpr int kEntryId = 99;

    // The box for a plan at the editor's scale, in device pixels with a font of the scaled
    // size, created but not yet shown with the focus; none if it cannot be.
    static std::unique_ptr<NativeEntryBox> Create(HWND parent, HINSTANCE module,
                                                  const EntryPlan& plan, DisplayScale scale,
                                                  WNDPROC entryProc);
    ~NativeEntryBox() override;

    // Gives the box the focus, then puts the entry procedure in front of its own and gives
    // it its font.
    void Start() override;
    std::string Text() const override;

    HWND Window() const { return box_; }
    WNDPROC PreviousProc() const { return previous_; }

private:
    NativeEntryBox(HWND box, HFONT font, WNDPROC entryProc)
        : box_(box), font_(font), entryProc_(entryProc) {}

    HWND box_;
    HFONT font_;
    WNDPROC entryProc_;
    WNDPROC previous_ = nullptr;
};
