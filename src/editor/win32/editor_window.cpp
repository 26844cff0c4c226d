#include "editor/win32/editor_window.h"

#include "bitmap/heap_bitmap.h"
#include "bitmap/win32/dib_bitmap.h"
#include "bitmap/win32/png_resource.h"
#include "controls/control.h"
#include "core/plug_base.h"
#include "editor/win32/window_dpi.h"

#include <commctrl.h>

#include <cstdio>

namespace {

// Touched only from user-interface threads; hosts make editor windows on one thread.
int openWindows = 0;

} // namespace

int IEditorWindow::OpenWindowCount() {
    return openWindows;
}

IEditorWindow::IEditorWindow(IPlugBase* plug, int width, int height, int framesPerSecond)
    : IPlugEditor(plug, width, height, framesPerSecond) {}

IEditorWindow::~IEditorWindow() {
    CloseEditorWindow();
    customColours_.reset();
}

std::unique_ptr<PixelBitmap> IEditorWindow::CreateBitmap(int width, int height) {
    auto dib = std::make_unique<DibBitmap>(width, height);
    if (dib->Dc()) return dib;
    // No memory device context to be had: plain memory, copied with SetDIBitsToDevice.
    return std::make_unique<HeapBitmap>(width, height, 4);
}

std::unique_ptr<PixelBitmap> IEditorWindow::LoadImageResource(int id, const char*,
                                                              DisplayScale scale) {
    // The art of each scale is a resource type of its own: "PNG", "PNG150", "PNG200".
    char type[16] = "PNG";
    if (!scale.IsOne()) std::snprintf(type, sizeof type, "PNG%d", scale.Percent());
    return LoadPngResource(module_, id, type);
}

DisplayScale IEditorWindow::DetectScale() {
    return DisplayScale::ForDpi(window_ ? WindowDpi(window_) : SystemDpi());
}

void IEditorWindow::ScaleChanged() {
    if (!window_) return;
    SetWindowPos(window_, nullptr, 0, 0, WindowWidth(), WindowHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, FALSE);
}

void* IEditorWindow::OpenEditorWindow(void* parentHandle) {
    HWND parent = static_cast<HWND>(parentHandle);
    bool reopened = false;
    int x = 0, y = 0, w = 0, h = 0;
    if (window_) {
        // Re-opened while open: the same size, and the same place within the parent's
        // client area (measured in the current parent, so that a new parent elsewhere on
        // the screen, or one with a frame, does not move the editor).
        RECT mine{};
        GetWindowRect(window_, &mine);
        MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&mine), 2);
        x = mine.left;
        y = mine.top;
        w = mine.right - mine.left;
        h = mine.bottom - mine.top;
        reopened = true;
        CloseEditorWindow();
    }
    if (!reopened) {
        // Drawn for the density of the host's window, unless the host gave a scale.
        if (!HasHostScale()) SetScale(DisplayScale::ForDpi(WindowDpi(parent)));
        w = WindowWidth();
        h = WindowHeight();
    }

    if (openWindows == 0) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &IEditorWindow::WindowProc;
        wc.hInstance = module_;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
    }
    ++openWindows;

    timerFramesPerSecond_ = FramesPerSecond();
    HWND created = CreateWindowExA(0, kClassName, "IPlug", WS_CHILD | WS_VISIBLE, x, y, w, h,
                                   parent, nullptr, module_, this);
    if (!created) {
        if (--openWindows == 0) UnregisterClassA(kClassName, module_);
        return nullptr;
    }
    window_ = created;
    MarkAllDirty();

    if (TooltipsOn() && !tooltipsFailed_) CreateTooltips();
    return window_;
}

void IEditorWindow::CloseEditorWindow() {
    if (!window_) return;
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    tooltipShown_ = false;
    tooltipIndex_ = -1;
    EndCountdownNow();

    // The entry box goes with its parent, unapplied.
    Entry().Forget();
    HWND window = window_;
    window_ = nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);

    if (--openWindows <= 0) {
        openWindows = 0;
        UnregisterClassA(kClassName, module_);
    }
}

bool IEditorWindow::CopyToScreen(const IPlugRect& rect) {
    if (!window_) return true;
    PixelBitmap* bitmap = DrawBitmap();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    if (dc && bitmap) {
        const int w = rect.W(), h = rect.H();
        if (HDC source = static_cast<HDC>(bitmap->DeviceContext())) {
            BitBlt(dc, rect.left, rect.top, w, h, source, rect.left, rect.top, SRCCOPY);
        } else if (bitmap->Bits()) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = bitmap->RowSpan();
            info.bmiHeader.biHeight = -bitmap->Height();
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            SetDIBitsToDevice(dc, rect.left, rect.top, w, h, rect.left, rect.top, 0,
                              bitmap->Height(), bitmap->Bits(), &info, DIB_RGB_COLORS);
        }
    }
    EndPaint(window_, &ps);
    return true;
}

void IEditorWindow::Resize(int width, int height) {
    const int oldWidth = WindowWidth(), oldHeight = WindowHeight();
    IPlugEditor::Resize(width, height);
    ResizeBitmap(WindowWidth(), WindowHeight());
    if (!window_) return;

    const int dw = WindowWidth() - oldWidth, dh = WindowHeight() - oldHeight;
    auto isPlainChild = [](HWND hwnd) {
        return (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) &&
               !(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD);
    };
    auto grow = [dw, dh](HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                     SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    };
    RECT old{};
    GetWindowRect(window_, &old);
    HWND windows[3] = {window_, nullptr, nullptr};
    if (isPlainChild(window_)) {
        windows[1] = GetParent(window_);
        if (windows[1] && isPlainChild(windows[1])) windows[2] = GetParent(windows[1]);
    }
    for (HWND hwnd : windows)
        if (hwnd) grow(hwnd);
    RECT area{0, 0, old.right - old.left, old.bottom - old.top};
    InvalidateRect(window_, &area, FALSE);
}

int IEditorWindow::HostWheel(float notches) {
    if (!window_) return 0;
    POINT p{};
    GetCursorPos(&p);
    if (WindowFromPoint(p) != window_) return 0;
    RECT r{};
    GetWindowRect(window_, &r);
    MouseKeys mod;
    mod.shift = GetKeyState(VK_SHIFT) < 0;
    mod.control = GetKeyState(VK_CONTROL) < 0;
    mod.alt = GetKeyState(VK_MENU) < 0;
    MouseWheel(p.x - r.left, p.y - r.top, mod, static_cast<int>(notches));
    return 1;
}

void IEditorWindow::CreateTooltips() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES};
    bool ok = InitCommonControlsEx(&init);
    if (ok) {
        tooltip_ = CreateWindowExA(
            0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, module_, nullptr);
        ok = tooltip_ != nullptr;
    }
    if (ok) {
        SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(window_);
        tool.hinst = module_;
        ok = SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    if (!ok) {
        if (tooltip_) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        tooltipsFailed_ = true;
    }
}

void IEditorWindow::TakeDownTooltip() {
    if (!tooltipShown_ || !tooltip_) return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(window_);
    tool.hinst = module_;
    tool.lpszText = nullptr;
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    tooltipShown_ = false;
}

void IEditorWindow::ApplyTooltipSwitch() {
    if (!TooltipsOn() || tooltipsFailed_) TakeDownTooltip();
}
