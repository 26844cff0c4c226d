#include "wine_support.h"

#include "bitmap/win32/dib_bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Redraw ticks of editor windows dispatched by the message loop.
int ticksSeen = 0;

void PumpOnce() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER && msg.wParam == 2) {
            char name[32] = {};
            GetClassNameA(msg.hwnd, name, sizeof name);
            if (std::strcmp(name, "IPlugWndClass") == 0) ++ticksSeen;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pixels of a device context's area (GDI leaves alpha 0).
Pixels Capture(HDC source, int x, int y, int w, int h) {
    auto out = std::make_unique<HeapBitmap>(w, h, 1);
    DibBitmap dib(w, h);
    if (!dib.Bits() || !source || !out->Bits()) return out;
    BitBlt(dib.Dc(), 0, 0, w, h, source, x, y, SRCCOPY);
    GdiFlush();
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            out->Bits()[row * out->RowSpan() + col] =
                dib.Bits()[row * dib.RowSpan() + col] | 0xFF000000u;
    return out;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

void Pump(int milliseconds) {
    const DWORD start = GetTickCount();
    do {
        PumpOnce();
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool WaitTicks(int n) {
    const int target = ticksSeen + n;
    const DWORD start = GetTickCount();
    while (ticksSeen < target && GetTickCount() - start < 10000) {
        PumpOnce();
        Sleep(2);
    }
    return ticksSeen >= target;
}

void Press(HWND hwnd, UINT down, UINT up, WPARAM keys, int x, int y) {
    PostMessageA(hwnd, down, keys, Point(x, y));
    Pump(60);
    PostMessageA(hwnd, up, 0, Point(x, y));
    Pump(60);
}

void TypeInto(HWND box, const char* text) {
    for (const char* c = text; *c; ++c) {
        PostMessageA(box, WM_KEYDOWN, static_cast<WPARAM>(*c), 1);
        PostMessageA(box, WM_KEYUP, static_cast<WPARAM>(*c), 0xC0000001);
    }
    Pump(30);
}

Pixels CaptureWindow(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    HDC dc = GetDC(hwnd);
    Pixels out = Capture(dc, 0, 0, r.right, r.bottom);
    ReleaseDC(hwnd, dc);
    return out;
}

Pixels CaptureScreen(const RECT& r) {
    HDC dc = GetDC(nullptr);
    Pixels out = Capture(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, dc);
    return out;
}

int ColourDifferences(const PixelBitmap& shown, const EditorPicture& picture) {
    if (shown.Width() != picture.width || shown.Height() != picture.height || !shown.Bits())
        return -1;
    int differences = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t a = shown.Bits()[y * shown.RowSpan() + x] & 0xFFFFFF;
            const std::uint32_t b = picture.pixels[y * picture.rowSpan + x] & 0xFFFFFF;
            if (a != b) ++differences;
        }
    return differences;
}

int DistinctColours(const PixelBitmap& bitmap) {
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < bitmap.Height(); y += 3)
        for (int x = 0; x < bitmap.Width(); x += 3)
            colours.push_back(bitmap.Bits()[y * bitmap.RowSpan() + x] & 0xFFFFFF);
    std::sort(colours.begin(), colours.end());
    return static_cast<int>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

bool Picture(HostedPlugin& effect, EditorPicture& picture) {
    picture = EditorPicture{};
    return effect.Dispatch(effVendorSpecific, kEditorPictureRequest, 0, &picture) == 1 &&
           picture.pixels != nullptr;
}

HWND MakeFrame(const char* title, int x, int y, int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &FrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = "VelmorandeTestFrame";
        registered = RegisterClassA(&wc) != 0;
    }
    RECT r{0, 0, width, height};
    // A caption without buttons: the prefix has no symbol font to draw them with.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;
    AdjustWindowRect(&r, style, FALSE);
    HWND frame = CreateWindowExA(0, "VelmorandeTestFrame", title, style | WS_CLIPCHILDREN, x, y,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    SetForegroundWindow(frame);
    return frame;
}

HWND EditorIn(HWND frame) {
    return FindWindowExA(frame, nullptr, "IPlugWndClass", nullptr);
}

HWND EntryBox(HWND editor, const char* className) {
    return FindWindowExA(editor, nullptr, className, nullptr);
}

RECT ChildRect(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool ClassRegistered(HMODULE dll) {
    WNDCLASSA wc{};
    return GetClassInfoA(dll, "IPlugWndClass", &wc) != 0;
}

std::string Caption(HWND hwnd) {
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}
