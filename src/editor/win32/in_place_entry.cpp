// Typed values and choice lists in a small native box over a control. Keys typed into the
// box are watched by a replacement window procedure; the redraw tick applies or discards
// the entry (the editor's EntrySession).
#include "editor/entry_plan.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/native_entry_box.h"

#include <string>

namespace {

constexpr DWORD kChoiceListStyle = WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST; // 0x50000003

// A parameter's field is centred and editable: 0x50000005.
DWORD FieldStyle(const EntryPlan& plan) {
    DWORD styles = WS_CHILD | WS_VISIBLE;
    styles |= plan.align == 0 ? ES_LEFT : plan.align == 2 ? ES_RIGHT : ES_CENTER;
    if (plan.readOnly) styles |= ES_READONLY;
    // No text control here hides its text, so the field is always multi-line.
    return styles | ES_MULTILINE;
}

} // namespace

std::unique_ptr<NativeEntryBox> NativeEntryBox::Create(HWND parent, HINSTANCE module,
                                                       const EntryPlan& plan, DisplayScale scale,
                                                       WNDPROC entryProc) {
    const IPlugRect r = plan.PixelArea(scale);
    const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryId));
    HWND box = nullptr;
    if (plan.kind == EntryPlan::Kind::ChoiceList) {
        box = CreateWindowExA(0, "COMBOBOX", "", kChoiceListStyle, r.left, r.top, r.W(), r.H(),
                              parent, id, module, nullptr);
        if (!box) return nullptr;
        for (const std::string& text : plan.choices)
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(plan.selected), 0);
    } else {
        box = CreateWindowExA(0, "EDIT", plan.text.c_str(), FieldStyle(plan), r.left, r.top, r.W(),
                              r.H(), parent, id, module, nullptr);
        if (!box) return nullptr;
        SendMessageA(box, EM_SETSEL, 0, -1);
    }
    const EntryFont type = plan.font.Scaled(scale);
    HFONT font = CreateFontA(type.size, 0, 0, 0, type.bold ? FW_BOLD : 0, type.italic, 0, 0, 0, 0,
                             0, 0, 0, type.face.c_str());
    return std::unique_ptr<NativeEntryBox>(new NativeEntryBox(box, font, entryProc));
}

NativeEntryBox::~NativeEntryBox() {
    // Its own procedure back first, so the box cleans up after itself.
    if (previous_) SetWindowLongPtrA(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    DestroyWindow(box_);
    if (font_) DeleteObject(font_);
}

void NativeEntryBox::Start() {
    SetFocus(box_);
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entryProc_)));
    if (font_) SendMessageA(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
}

std::string NativeEntryBox::Text() const {
    char text[EntrySession::kMaxText + 1] = {};
    GetWindowTextA(box_, text, sizeof text);
    return text;
}

std::unique_ptr<EntryBox> IEditorWindow::OpenEntryBox(const EntryPlan& plan) {
    if (!window_) return nullptr;
    return NativeEntryBox::Create(window_, module_, plan, Scale(), &EntryProc);
}

HWND IEditorWindow::EntryWindow() const {
    const auto* box = dynamic_cast<const NativeEntryBox*>(Entry().Box());
    return box ? box->Window() : nullptr;
}

LRESULT CALLBACK IEditorWindow::EntryProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    IEditorWindow* editor = FromWindow(GetParent(box));
    const auto* entry =
        editor ? dynamic_cast<const NativeEntryBox*>(editor->Entry().Box()) : nullptr;
    if (!entry || entry->Window() != box || !entry->PreviousProc())
        return DefWindowProcA(box, msg, wParam, lParam);
    return editor->HandleEntryMessage(box, entry->PreviousProc(), msg, wParam, lParam);
}

LRESULT IEditorWindow::HandleEntryMessage(HWND box, WNDPROC previous, UINT msg, WPARAM wParam,
                                          LPARAM lParam) {
    TakeDownTooltip();
    EntrySession& entry = Entry();
    switch (msg) {
    case WM_SETFOCUS:
        entry.Typing();
        break;
    case WM_KILLFOCUS:
        entry.Idle();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            char className[16] = {};
            GetClassNameA(box, className, sizeof className);
            if (lstrcmpiA(className, "EDIT") == 0) {
                const LRESULT end = CallWindowProcA(previous, box, WM_GETTEXTLENGTH, 0, 0);
                CallWindowProcA(previous, box, EM_SETSEL, static_cast<WPARAM>(end), end);
            }
            entry.Commit();
            return 0;
        }
        entry.Typing();
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            entry.Commit();
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        if (!entry.Param()) {
            LRESULT code = CallWindowProcA(previous, box, msg, wParam, lParam);
            const auto* query = reinterpret_cast<const MSG*>(lParam);
            if (query && query->message == WM_KEYDOWN && query->wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, box, msg, wParam, lParam);
}
