// Typed values and choice lists in a small native box over a control. Keys typed into the
// box are watched by a replacement window procedure; the redraw timer applies or discards
// the entry on its next tick.
#include "bitmap/text/plug_text.h"
#include "controls/control.h"
#include "controls/text_control.h"
#include "core/plug_param.h"
#include "editor/win32/editor_window.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kChoiceListStyle = WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST;        // 0x50000003
constexpr DWORD kTextFieldStyle = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_MULTILINE; // 0x50000005
constexpr int kMaxEntryText = 1000; // 999 characters and the terminator

} // namespace

void IEditorWindow::PromptParameter(IControl* control, IPlugParam* param) {
    if (!control || !param || entryBox_ || !window_) return;
    const IPlugRect& r = control->DrawRect();
    const int cx = static_cast<int>((r.left + r.right) * 0.5f);
    const int cy = static_cast<int>((r.top + r.bottom) * 0.5f);
    const std::string current = param->FormatValue(param->Value(), false);
    const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryId));

    HWND box = nullptr;
    const int n = param->ValueTextCount();
    if (n > 0 && (param->Type() == ParamChoice || param->Type() == ParamIntegerReserved)) {
        const int first = static_cast<int>(param->Min());
        std::size_t longest = 0;
        for (int i = 0; i < n; ++i)
            longest = std::max(longest, std::strlen(param->ValueText(first + i)));
        const int width = std::max(24, 8 * static_cast<int>(longest) + 24);
        const int height = 36 * (n + 1);
        box = CreateWindowExA(0, "COMBOBOX", "", kChoiceListStyle, cx - width / 2, cy, width,
                              height, window_, id, module_, nullptr);
        if (!box) return;
        int selected = -1;
        for (int i = 0; i < n; ++i) {
            const char* text = param->ValueText(first + i);
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            if (current == text) selected = i;
        }
        SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    } else {
        const std::string maximum = param->FormatValue(1.0, true);
        const int width = std::max(32, 7 * static_cast<int>(maximum.size()) + 6);
        box = CreateWindowExA(0, "EDIT", current.c_str(), kTextFieldStyle, cx - width / 2, cy - 8,
                              width, 16, window_, id, module_, nullptr);
        if (!box) return;
        SendMessageA(box, EM_SETSEL, 0, -1);
    }
    HFONT font = CreateFontA(14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    InstallEntryBox(box, font, control, param);
}

void IEditorWindow::PromptText(ITextControl* control) {
    if (!control || entryBox_ || !window_) return;
    const IPlugText& style = control->Style();
    DWORD styles = WS_CHILD | WS_VISIBLE;
    styles |= style.align == TEXT_ALIGN_LEFT    ? ES_LEFT
              : style.align == TEXT_ALIGN_RIGHT ? ES_RIGHT
                                                : ES_CENTER;
    if (!control->IsEditable()) styles |= ES_READONLY;
    // No text control here hides its text, so the field is always multi-line.
    styles |= ES_MULTILINE;
    const IPlugRect& r = control->DrawRect();
    const char* text = control->Text() ? control->Text() : "";
    HWND box =
        CreateWindowExA(0, "EDIT", text, styles, r.left, r.top, r.W(), r.H(), window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryId)), module_, nullptr);
    if (!box) return;
    SendMessageA(box, EM_SETSEL, 0, -1);
    HFONT font = CreateFontA(style.size, 0, 0, 0, style.style == TEXT_STYLE_BOLD ? FW_BOLD : 0,
                             style.style == TEXT_STYLE_ITALIC, 0, 0, 0, 0, 0, 0, 0, style.face);
    InstallEntryBox(box, font, control, nullptr);
}

void IEditorWindow::InstallEntryBox(HWND box, HFONT font, IControl* control, IPlugParam* param) {
    SetFocus(box);
    entryBox_ = box;
    entryPreviousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EntryProc)));
    entryFont_ = font;
    if (font) SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    entryControl_ = control;
    entryParam_ = param;
}

LRESULT CALLBACK IEditorWindow::EntryProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    IEditorWindow* editor = FromWindow(GetParent(box));
    if (!editor || editor->entryBox_ != box || !editor->entryPreviousProc_)
        return DefWindowProcA(box, msg, wParam, lParam);
    return editor->HandleEntryMessage(box, msg, wParam, lParam);
}

LRESULT IEditorWindow::HandleEntryMessage(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = entryPreviousProc_;
    TakeDownTooltip();
    switch (msg) {
    case WM_SETFOCUS:
        entryState_ = kEntryTyping;
        break;
    case WM_KILLFOCUS:
        entryState_ = kEntryIdle;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            char className[16] = {};
            GetClassNameA(box, className, sizeof className);
            if (lstrcmpiA(className, "EDIT") == 0) {
                const LRESULT end = CallWindowProcA(previous, box, WM_GETTEXTLENGTH, 0, 0);
                CallWindowProcA(previous, box, EM_SETSEL, static_cast<WPARAM>(end), end);
            }
            entryState_ = kEntryCommit;
            return 0;
        }
        entryState_ = kEntryTyping;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            entryState_ = kEntryCommit;
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        if (!entryParam_) {
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

void IEditorWindow::AdvanceEntry() {
    switch (entryState_) {
    case kEntryTyping:
        entryState_ = kEntryIdle;
        break;
    case kEntryCancel:
        CloseEntry();
        break;
    case kEntryCommit: {
        char text[kMaxEntryText] = {};
        GetWindowTextA(entryBox_, text, kMaxEntryText);
        ApplyTypedText(entryControl_, entryParam_, text);
        CloseEntry();
        break;
    }
    default:
        break;
    }
}

void IEditorWindow::CloseEntry() {
    if (!entryBox_) return;
    if (entryControl_) entryControl_->EndTextEntry();
    HWND box = entryBox_;
    if (entryPreviousProc_)
        SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entryPreviousProc_));
    // Forgotten before the box goes, so nothing it says while going reaches the editor.
    entryBox_ = nullptr;
    DestroyWindow(box);
    ForgetEntry();
}

void IEditorWindow::ForgetEntry() {
    entryBox_ = nullptr;
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    entryPreviousProc_ = nullptr;
    entryState_ = kEntryIdle;
    if (entryFont_) DeleteObject(entryFont_);
    entryFont_ = nullptr;
}
