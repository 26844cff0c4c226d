#include "editor/win32/window_dpi.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForSystem = UINT(WINAPI*)();

// A function of user32 that older systems lack, or null.
template <typename Function> Function User32(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

} // namespace

UINT WindowDpi(HWND window) {
    static const DpiForWindow forWindow = User32<DpiForWindow>("GetDpiForWindow");
    const UINT dpi = window && forWindow ? forWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

UINT SystemDpi() {
    static const DpiForSystem forSystem = User32<DpiForSystem>("GetDpiForSystem");
    if (UINT dpi = forSystem ? forSystem() : 0) return dpi;
    // Before Windows 10: the screen's logical density, which the system also gives threads
    // that are not aware of densities as 96.
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
