// The editor window's messages: creation, painting, the redraw timer, mouse and keys.
#include "controls/control.h"
#include "core/host_ids.h"
#include "core/plug_base.h"
#include "editor/key_codes.h"
#include "editor/win32/editor_window.h"
#include "editor/win32/window_dpi.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

// The density of a window changed: a top-level window hears WM_DPICHANGED, a child of a
// host aware of each monitor's density WM_DPICHANGED_AFTERPARENT (Windows 10 1703 and
// later).
constexpr UINT kDpiChanged = 0x02E0;
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// Acoustica gives its plug-in windows no focus.
constexpr int kHostNeedingFocus = kHostAcoustica;

} // namespace

IEditorWindow* IEditorWindow::FromWindow(HWND hwnd) {
    auto* editor = reinterpret_cast<IEditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return editor && editor->window_ == hwnd ? editor : nullptr;
}

LRESULT CALLBACK IEditorWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* editor = static_cast<IEditorWindow*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(editor));
        SetTimer(hwnd, kTimerId, static_cast<UINT>(1000.0 / timerFramesPerSecond_), nullptr);
        if (editor->Plug() && editor->Plug()->HostId() == kHostNeedingFocus) SetFocus(hwnd);
        return 0;
    }
    IEditorWindow* editor = FromWindow(hwnd);
    if (!editor) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return editor->HandleMessage(hwnd, msg, wParam, lParam);
}

void IEditorWindow::FillMouseKeys(WPARAM keyState, MouseKeys& mod) const {
    mod.left = (keyState & MK_LBUTTON) != 0;
    mod.right = (keyState & MK_RBUTTON) != 0;
    mod.shift = (keyState & MK_SHIFT) != 0;
    mod.control = (keyState & MK_CONTROL) != 0;
    mod.alt = GetKeyState(VK_MENU) < 0;
}

LRESULT IEditorWindow::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A right press ends an open entry without applying it, and goes no further.
    if (msg == WM_RBUTTONDOWN && !Entry().PressInEditor(true)) return 0;

    MouseKeys mod;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: {
        RECT r{};
        if (GetUpdateRect(hwnd, &r, FALSE) && r.right > r.left && r.bottom > r.top)
            DrawArea(IPlugRect{r.left, r.top, r.right, r.bottom});
        // Nothing to draw (no controls) must still end the paint request, or the system
        // would ask again for ever.
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    case WM_CLOSE:
        CloseEditorWindow();
        return 0;
    case WM_MOUSEACTIVATE:
        if (Plug() && Plug()->HostId() == kHostNeedingFocus) SetFocus(hwnd);
        return MA_ACTIVATE;
    case WM_KEYDOWN: {
        const int code = EditorKeyCode(static_cast<int>(wParam));
        if (code < 0) return 0;
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        KeyDown(p.x, p.y, code);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kTimerId) {
            Tick();
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        FillMouseKeys(wParam, mod);
        if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
            if (GetCapture() == hwnd) MouseDrag(x, y, mod);
        } else if (MouseOver(x, y, mod)) {
            TrackMouse(hwnd);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        TakeDownTooltip();
        Entry().PressInEditor(false);
        FillMouseKeys(wParam, mod);
        SetCapture(hwnd);
        MouseDown(x, y, mod);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        FillMouseKeys(wParam, mod);
        MouseUp(x, y, mod);
        return 0;
    case WM_LBUTTONDBLCLK:
        FillMouseKeys(wParam, mod);
        if (MouseDoubleClick(x, y, mod)) SetCapture(hwnd);
        return 0;
    case WM_MOUSEWHEEL: {
        FillMouseKeys(GET_KEYSTATE_WPARAM(wParam), mod);
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        RECT r{};
        GetWindowRect(hwnd, &r);
        MouseWheel(x - r.left, y - r.top, mod, notches);
        return 0;
    }
    case WM_MOUSEHOVER:
        if (TooltipsOn() && tooltip_) {
            tooltipIndex_ = MouseOverIndex();
            IControl* control = tooltipIndex_ >= 0 ? GetControl(tooltipIndex_) : nullptr;
            if (control && control->Tooltip()) {
                TOOLINFOA tool{};
                tool.cbSize = sizeof tool;
                tool.hwnd = hwnd;
                tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
                tool.hinst = module_;
                tool.lpszText = const_cast<char*>(control->Tooltip());
                SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
                tooltipShown_ = true;
            }
        }
        return 0;
    case WM_MOUSELEAVE:
        TakeDownTooltip();
        MouseOut();
        return 0;
    case kDpiChanged:
    case kDpiChangedAfterParent:
        // Moved to a screen of another density: drawn for it, and the host told the size.
        if (!HasHostScale()) SetScale(DisplayScale::ForDpi(WindowDpi(hwnd)));
        return 0;
    case WM_COMMAND:
        // The choice list tells its parent about a pick; the box's own procedure may not
        // hear of it.
        if (EntryWindow() && reinterpret_cast<HWND>(lParam) == EntryWindow() &&
            HIWORD(wParam) == CBN_SELCHANGE) {
            Entry().Commit();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void IEditorWindow::TrackMouse(HWND hwnd) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd;
    track.dwHoverTime = HOVER_DEFAULT;
    if (TooltipsOn() && tooltip_ && MouseOverIndex() != tooltipIndex_) {
        TakeDownTooltip();
        tooltipIndex_ = MouseOverIndex();
        if (tooltipIndex_ >= 0) track.dwFlags |= TME_HOVER;
    }
    TrackMouseEvent(&track);
}

void IEditorWindow::RedrawDirty(const IPlugRect& dirty) {
    if (!window_) return;
    RECT r{dirty.left, dirty.top, dirty.right, dirty.bottom};
    InvalidateRect(window_, &r, FALSE);
    if (HWND entry = EntryWindow()) {
        // Keep the open entry box out of the repaint.
        RECT box{};
        GetClientRect(entry, &box);
        MapWindowPoints(entry, window_, reinterpret_cast<POINT*>(&box), 2);
        ValidateRect(window_, &box);
    }
    UpdateWindow(window_);
}
