// The Windows suite: a small VST 2.x host that loads Velmorande.dll with LoadLibrary and
// checks it through the binary interface and through real window messages, plus checks of
// the Windows-only drawing code linked in directly. Run under Wine by scripts/windows.sh.
//
// Usage: velmorande-wine-tests DLL REFERENCE SCREENSHOT
//   DLL         the plug-in library
//   REFERENCE   the Linux library's output for the audio scenario
//   SCREENSHOT  where to write the picture of the editor as the screen shows it
#include "audio_scenario.h"
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "bitmap/text/font_cache.h"
#include "bitmap/text/gdi/gdi_rasteriser.h"
#include "bitmap/text/glyph_font.h"
#include "bitmap/text/plug_text.h"
#include "bitmap/text/text_flags.h"
#include "bitmap/win32/dib_bitmap.h"
#include "bitmap/win32/png_resource.h"
#include "controls/control.h"
#include "controls/text_control.h"
#include "base/win32/win32_api.h"
#include "editor/win32/editor_window.h"
#include "plugin/velmorande.h"
#include "vst/aeffect.h"
#include "vst/editor_picture.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---- checks ----------------------------------------------------------------------------

int passed = 0, failed = 0;

void Check(bool ok, const char* what, int line, const char* format = nullptr, ...) {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAILED line %d: %s", line, what);
    if (format) {
        std::printf(" (");
        va_list args;
        va_start(args, format);
        std::vprintf(format, args);
        va_end(args);
        std::printf(")");
    }
    std::printf("\n");
    std::fflush(stdout);
}

#define CHECK(cond) Check((cond), #cond, __LINE__)
#define CHECK_MSG(cond, ...) Check((cond), #cond, __LINE__, __VA_ARGS__)

void Section(const char* name) {
    std::printf("== %s\n", name);
    std::fflush(stdout);
}

// ---- the host --------------------------------------------------------------------------

struct Request {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

// Records what the plug-in asks and reports; gives a playing transport at 120 bpm.
struct Host {
    std::vector<Request> requests;
    VstTimeInfo time{};

    Host() {
        time.sampleRate = 44100.0;
        time.tempo = 120.0;
        time.timeSigNumerator = 4;
        time.timeSigDenominator = 4;
        time.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
    }

    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr, void* ptr, float opt) {
        if (opcode == audioMasterVersion) return 2400;
        Host* host = effect ? static_cast<Host*>(effect->user) : nullptr;
        if (!host) return 0;
        host->requests.push_back({opcode, index, opt});
        switch (opcode) {
        case audioMasterGetTime:
            return reinterpret_cast<VstIntPtr>(&host->time);
        case audioMasterGetProductString:
            std::strcpy(static_cast<char*>(ptr), "velmorande wine suite");
            return 1;
        case audioMasterGetVendorVersion:
            return 1000;
        default:
            return 0;
        }
    }

    int Count(VstInt32 opcode, VstInt32 index) const {
        return static_cast<int>(
            std::count_if(requests.begin(), requests.end(), [&](const Request& r) {
                return r.opcode == opcode && r.index == index;
            }));
    }
    int First(VstInt32 opcode, VstInt32 index) const {
        for (std::size_t i = 0; i < requests.size(); ++i)
            if (requests[i].opcode == opcode && requests[i].index == index)
                return static_cast<int>(i);
        return -1;
    }
    int Last(VstInt32 opcode, VstInt32 index) const {
        for (std::size_t i = requests.size(); i-- > 0;)
            if (requests[i].opcode == opcode && requests[i].index == index)
                return static_cast<int>(i);
        return -1;
    }
    // The last host edit of the parameter: a begin, then an automation, then an end.
    bool SawEditEnd(VstInt32 index) const {
        const int begin = Last(audioMasterBeginEdit, index);
        const int end = Last(audioMasterEndEdit, index);
        if (begin < 0 || end < begin) return false;
        for (int i = begin + 1; i < end; ++i)
            if (requests[i].opcode == audioMasterAutomate && requests[i].index == index)
                return true;
        return false;
    }
    // Exactly one host edit of the parameter, with its automation inside.
    bool SawEdit(VstInt32 index) const {
        return Count(audioMasterBeginEdit, index) == 1 && Count(audioMasterEndEdit, index) == 1 &&
               SawEditEnd(index);
    }
};

VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index = 0) {
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    Dispatch(e, opcode, index, 0, buffer);
    buffer[255] = '\0';
    return buffer;
}

AEffect* OpenEffect(VstPluginEntryProc entry, Host& host) {
    AEffect* e = entry(&Host::Callback);
    if (!e) return nullptr;
    e->user = &host;
    Dispatch(e, effOpen);
    Dispatch(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(e, effSetBlockSize, 0, 512);
    Dispatch(e, effMainsChanged, 0, 1);
    return e;
}

// Parameters of the effect, by index.
enum { kDelayRate, kDelayTime, kHostSync, kPingPong, kPanWidth, kFeedback, kFreq, kDry, kWet };

// ---- message pumping and pixels ---------------------------------------------------------

// Redraw ticks of editor windows dispatched by Pump.
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

// Runs the thread's message loop for a while, so that timers fire and posted input arrives.
void Pump(int milliseconds) {
    const DWORD start = GetTickCount();
    do {
        PumpOnce();
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

// Runs the message loop until the editor's timer has ticked n more times (at most 10 s,
// so a slow machine only makes this slower).
bool WaitTicks(int n) {
    const int target = ticksSeen + n;
    const DWORD start = GetTickCount();
    while (ticksSeen < target && GetTickCount() - start < 10000) {
        PumpOnce();
        Sleep(2);
    }
    return ticksSeen >= target;
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

using Pixels = std::unique_ptr<HeapBitmap>;

// Pixels of a device context's area, opaque 0xFFRRGGBB words (GDI leaves alpha 0).
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

// Pixels whose colour (not alpha) differs between a capture and the editor's own bitmap.
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

// Distinct colours in a capture: a painted panel has many, an unpainted window one.
int DistinctColours(const PixelBitmap& bitmap) {
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < bitmap.Height(); y += 3)
        for (int x = 0; x < bitmap.Width(); x += 3)
            colours.push_back(bitmap.Bits()[y * bitmap.RowSpan() + x] & 0xFFFFFF);
    std::sort(colours.begin(), colours.end());
    return static_cast<int>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

bool ClassRegistered(HMODULE dll) {
    WNDCLASSA wc{};
    return GetClassInfoA(dll, "IPlugWndClass", &wc) != 0;
}

// ---- the sections ---------------------------------------------------------------------

void TestExports(HMODULE dll, VstPluginEntryProc& entry, VstPluginEntryProc& mainEntry) {
    Section("exports");
    // Through void*: FARPROC and the entry point's type are unrelated function types.
    entry = reinterpret_cast<VstPluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(dll, "VSTPluginMain")));
    mainEntry =
        reinterpret_cast<VstPluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(dll, "main")));
    CHECK(entry != nullptr);
    CHECK(mainEntry != nullptr);
    CHECK(GetProcAddress(dll, "DllMain") == nullptr);
}

void TestDescriptor(VstPluginEntryProc entry, VstPluginEntryProc mainEntry) {
    Section("descriptor");
    for (VstPluginEntryProc proc : {entry, mainEntry}) {
        Host host;
        AEffect* e = proc(&Host::Callback);
        CHECK(e != nullptr);
        if (!e) continue;
        CHECK(host.requests.empty());
        CHECK_MSG(e->magic == kEffectMagic, "0x%X", e->magic);
        CHECK(e->numPrograms == 25);
        CHECK(e->numParams == 9);
        CHECK(e->numInputs == 2);
        CHECK(e->numOutputs == 2);
        CHECK_MSG(e->flags == 0x1019, "0x%X", e->flags);
        CHECK(e->uniqueID == 0x717A766E);
        CHECK(e->version == 10100);
        CHECK(e->initialDelay == 0);
        CHECK(e->ioRatio == 1.0f);
        CHECK(e->process && e->processReplacing && e->processDoubleReplacing);
        CHECK(e->setParameter && e->getParameter && e->dispatcher);
        CHECK(e->object != nullptr);
        Dispatch(e, effClose);
    }
    // Two instances one after the other are independent.
    Host host;
    AEffect* a = entry(&Host::Callback);
    AEffect* b = entry(&Host::Callback);
    CHECK(a && b && a != b && a->object != b->object);
    if (a && b) {
        a->setParameter(a, kFeedback, 0.25f);
        CHECK(b->getParameter(b, kFeedback) != a->getParameter(a, kFeedback));
    }
    if (a) Dispatch(a, effClose);
    if (b) Dispatch(b, effClose);
}

void TestDispatcher(VstPluginEntryProc entry) {
    Section("dispatcher");
    Host host;
    AEffect* e = OpenEffect(entry, host);
    CHECK(e != nullptr);
    if (!e) return;
    CHECK(host.Count(audioMasterGetProductString, 0) >= 1);
    CHECK(Text(e, effGetEffectName) == "Velmorande");
    CHECK(Text(e, effGetVendorString) == "Talvo");
    CHECK(Dispatch(e, effGetVendorVersion) == 10100);
    CHECK(Dispatch(e, effGetPlugCategory) == 1);
    CHECK(Dispatch(e, effGetVstVersion) == 2400);
    const char* names[] = {"Delay Rate", "Delay Time", "Host Sync", "Ping Pong", "Pan Width",
                           "Feedback",   "Freq",       "Dry Mix",   "Wet Mix"};
    for (int i = 0; i < 9; ++i)
        CHECK_MSG(Text(e, effGetParamName, i) == names[i], "%d: %s", i,
                  Text(e, effGetParamName, i).c_str());
    CHECK(Text(e, effGetParamLabel, kFeedback) == "%");
    CHECK(Text(e, effGetParamDisplay, kFeedback) == "60");
    CHECK(Text(e, effGetParamDisplay, kPingPong) == "Normal");
    CHECK(Dispatch(e, effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")) == 1);

    ERect* rect = nullptr;
    CHECK(Dispatch(e, effEditGetRect, 0, 0, &rect) != 0);
    CHECK(rect && rect->top == 0 && rect->left == 0 && rect->bottom == 210 && rect->right == 530);

    CHECK(Dispatch(e, effGetProgram) == 0);
    Dispatch(e, effSetProgram, 0, 3);
    CHECK(Dispatch(e, effGetProgram) == 3);
    char name[64] = {};
    CHECK(Dispatch(e, effGetProgramNameIndexed, 0, 0, name) == 1 && std::strlen(name) > 0);

    // A program chunk taken and given back restores the values.
    const float feedback = e->getParameter(e, kFeedback);
    void* chunk = nullptr;
    const VstIntPtr size = Dispatch(e, effGetChunk, 1, 0, &chunk);
    CHECK(size > 0 && chunk != nullptr);
    std::vector<char> saved(static_cast<const char*>(chunk),
                            static_cast<const char*>(chunk) + std::max<VstIntPtr>(size, 0));
    e->setParameter(e, kFeedback, 0.0f);
    CHECK(e->getParameter(e, kFeedback) == 0.0f);
    CHECK(Dispatch(e, effSetChunk, 1, size, saved.data()) == 1);
    CHECK(e->getParameter(e, kFeedback) == feedback);

    // Parameters from text, as hosts do for typed automation values.
    CHECK(Dispatch(e, effString2Parameter, kFeedback, 0, const_cast<char*>("75")) != 0);
    CHECK(Text(e, effGetParamDisplay, kFeedback) == "75");
    Dispatch(e, effClose);
}

void TestAudio(VstPluginEntryProc entry, VstPluginEntryProc mainEntry, const char* reference) {
    Section("audio against the Linux library");
    std::vector<AudioStream> expected;
    CHECK_MSG(ReadStreams(reference, expected), "%s", reference);
    CHECK(expected.size() == 6);
    for (VstPluginEntryProc proc : {entry, mainEntry}) {
        const std::vector<AudioStream> got = RenderAudioScenario(proc);
        CHECK(got.size() == expected.size());
        double worst = 0.0;
        long long exact = 0, total = 0;
        bool finite = true, audible = false;
        for (std::size_t s = 0; s < std::min(got.size(), expected.size()); ++s) {
            CHECK(got[s].name == expected[s].name);
            CHECK(got[s].samples.size() == expected[s].samples.size());
            const std::size_t n = std::min(got[s].samples.size(), expected[s].samples.size());
            for (std::size_t i = 0; i < n; ++i) {
                const double a = got[s].samples[i], b = expected[s].samples[i];
                finite = finite && std::isfinite(a);
                audible = audible || std::fabs(a) > 0.1;
                const double d = std::fabs(a - b);
                worst = std::max(worst, std::isnan(d) ? 1.0 : d);
                exact += a == b;
                ++total;
            }
        }
        std::printf("   %lld of %lld samples bit for bit, largest difference %.3g\n", exact, total,
                    worst);
        CHECK(finite);
        CHECK(audible);
        CHECK_MSG(worst <= 1e-9, "%.3g", worst);
    }
}

void TestResources(HMODULE dll) {
    Section("PNG resources and DibBitmap");
    const int sizes[6][2] = {{530, 210}, {81, 81}, {50, 50}, {14, 31}, {86, 60}, {86, 20}};
    for (int id = 100; id <= 105; ++id) {
        std::unique_ptr<PixelBitmap> image = LoadPngResource(dll, id);
        CHECK_MSG(image && image->Width() == sizes[id - 100][0] &&
                      image->Height() == sizes[id - 100][1],
                  "id %d", id);
    }
    CHECK(LoadPngResource(dll, 106) == nullptr);
    CHECK(LoadPngResource(GetModuleHandleA("kernel32.dll"), 100) == nullptr);
    HeapBitmap into(10, 10, 4);
    CHECK(LoadPngResource(dll, 105, into) && into.Width() == 86 && into.Height() == 20);
    // The background is opaque everywhere.
    std::unique_ptr<PixelBitmap> bg = LoadPngResource(dll, 100);
    if (bg) CHECK((bg->Bits()[bg->RowSpan() * 100 + 200] >> 24) == 255);

    DibBitmap dib(200, 100);
    CHECK(dib.Dc() != nullptr && dib.Bits() != nullptr);
    CHECK(dib.Width() == 200 && dib.Height() == 100 && dib.RowSpan() == 200);
    CHECK(!dib.IsFlipped());
    std::uint32_t* bits = dib.Bits();
    CHECK(dib.Resize(150, 80));
    CHECK(dib.Bits() == bits && dib.RowSpan() == 200 && dib.Width() == 150);
    CHECK(!dib.Resize(150, 80));
    CHECK(dib.Resize(301, 20));
    CHECK(dib.RowSpan() == 304 && dib.Width() == 301 && dib.Bits() != nullptr);
    CHECK(!dib.Resize(0, 0) && dib.Bits() == nullptr && dib.Width() == 0);
    // Rows are top-down in memory: a GDI fill of the top row lands in the first stored row.
    dib.Resize(8, 8);
    FillRectangle(&dib, 0, 0, 8, 8, 0xFF000000, 1.0f, BLEND_COPY);
    RECT top{0, 0, 8, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dib.Dc(), &top, red);
    DeleteObject(red);
    GdiFlush();
    CHECK((dib.Bits()[3] & 0xFFFFFF) == 0xFF0000);
    CHECK((dib.Bits()[dib.RowSpan() * 7 + 3] & 0xFFFFFF) == 0);
}

void TestText() {
    Section("GDI glyphs and text");
    CHECK(RunningUnderCompatibilityLayer());

    FontRequest request;
    request.face = "Arial";
    request.height = 16;
    std::unique_ptr<GdiRasteriser> raster = GdiRasteriser::Create(request);
    CHECK(raster != nullptr);
    if (!raster) return;
    CHECK_MSG(raster->LineHeight() >= 14 && raster->LineHeight() <= 20, "%d", raster->LineHeight());
    CHECK(!raster->DrawsStrings()); // under the compatibility layer glyphs are drawn
    std::unique_ptr<PixelBitmap> surface = raster->NewSurface();
    CHECK(surface && surface->Resize(64, 64) && surface->DeviceContext());
    const CharExtent w = raster->MeasureChar(*surface, u'W');
    const CharExtent i = raster->MeasureChar(*surface, u'i');
    CHECK_MSG(w.advance > i.advance && i.advance > 0, "%d %d", w.advance, i.advance);
    CHECK(w.height == raster->LineHeight());
    FillRectangle(surface.get(), 0, 0, 64, 64, 0xFF000000, 1.0f, BLEND_COPY);
    CHECK(raster->DrawChar(*surface, u'W', 2, 0));
    int inked = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint32_t p = surface->Bits()[y * surface->RowSpan() + x];
            // White on black: the channels agree.
            inked += ((p >> 16) & 0xFF) > 128;
            if (((p >> 16) & 0xFF) != (p & 0xFF)) inked = -1000;
        }
    CHECK_MSG(inked > 20, "%d", inked);

    // A whole string through GDI into a device context, measured and drawn.
    PlatformText text;
    text.bytes = "Velmorande";
    text.byteCount = 10;
    text.format = TEXT_CALCRECT | TEXT_SINGLELINE;
    text.colour = 0xFFFF0000;
    IPlugRect box{};
    const int height = raster->DrawWholeString(*surface, text, box);
    CHECK(height == raster->LineHeight() && box.W() > 40);
    surface->Resize(200, 40);
    FillRectangle(surface.get(), 0, 0, 200, 40, 0xFF000000, 1.0f, BLEND_COPY);
    text.format = TEXT_NOCLIP;
    IPlugRect at{0, 0, 200, 40};
    raster->DrawWholeString(*surface, text, at);
    int redPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            redPixels += (surface->Bits()[y * surface->RowSpan() + x] & 0xFFFFFF) > 0x7F0000;
    CHECK_MSG(redPixels > 30, "%d", redPixels);

    // The font cache makes GDI fonts; drawing goes glyph by glyph under Wine.
    IPlugText style;
    style.SetFace("Arial");
    style.size = 16;
    GlyphFont* font = GetFont(style);
    CHECK(font != nullptr && style.cachedFont == font);
    CHECK(GetFont(style) == font);
    if (!font) return;
    CHECK(dynamic_cast<GdiRasteriser*>(font->GetFontHandle()) != nullptr);
    HeapBitmap target(120, 30, 4);
    FillRectangle(&target, 0, 0, 120, 30, 0xFF000000, 1.0f, BLEND_COPY);
    font->SetForeground(0xFFFFFFFF);
    IPlugRect line{0, 0, 120, 30};
    CHECK(font->DrawString(&target, "75 %", -1, line, TEXT_NOCLIP) > 0);
    const GlyphRecord* seven = font->FindGlyph('7');
    CHECK(seven && seven->position > 0 && seven->advance > 0);
    IPlugRect measured{0, 0, 0, 0};
    font->DrawString(nullptr, "77", -1, measured, TEXT_CALCRECT);
    if (seven) CHECK_MSG(measured.W() == 2 * seven->advance, "%d", measured.W());
}

// ---- the editor ------------------------------------------------------------------------

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A top-level window of the host whose client area fits the editor.
HWND MakeFrame(const char* title, int x, int y) {
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
    RECT r{0, 0, 530, 210};
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

bool Picture(AEffect* e, EditorPicture& picture) {
    picture = EditorPicture{};
    return Dispatch(e, effVendorSpecific, kEditorPictureRequest, 0, &picture) == 1 &&
           picture.pixels != nullptr;
}

// The window's pixels and the screen's both match the editor's off-screen bitmap.
void CheckShownPixels(AEffect* e, HWND editor, const char* when) {
    // A change is drawn on the next two ticks.
    CHECK(WaitTicks(3));
    const Pixels shown = CaptureWindow(editor);
    RECT screen{};
    GetWindowRect(editor, &screen);
    const Pixels onScreen = CaptureScreen(screen);
    EditorPicture picture;
    CHECK(Picture(e, picture) && picture.width == 530 && picture.height == 210);
    const int windowDiff = ColourDifferences(*shown, picture);
    const int screenDiff = ColourDifferences(*onScreen, picture);
    std::printf("   %s: %d window pixels and %d screen pixels differ from the bitmap\n", when,
                windowDiff, screenDiff);
    CHECK_MSG(windowDiff == 0, "%s: %d", when, windowDiff);
    CHECK_MSG(screenDiff == 0, "%s: %d", when, screenDiff);
    CHECK_MSG(DistinctColours(*shown) > 50, "%s: %d colours", when, DistinctColours(*shown));
}

void Press(HWND hwnd, UINT down, UINT up, WPARAM keys, int x, int y) {
    PostMessageA(hwnd, down, keys, Point(x, y));
    Pump(60);
    PostMessageA(hwnd, up, 0, Point(x, y));
    Pump(60);
}

HWND EntryBox(HWND editor, const char* className) {
    return FindWindowExA(editor, nullptr, className, nullptr);
}

// A rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Key presses as the keyboard sends them: the message loop's TranslateMessage makes the
// characters.
void TypeInto(HWND box, const char* text) {
    for (const char* c = text; *c; ++c) {
        PostMessageA(box, WM_KEYDOWN, static_cast<WPARAM>(*c), 1);
        PostMessageA(box, WM_KEYUP, static_cast<WPARAM>(*c), 0xC0000001);
    }
    Pump(30);
}

void TestEditor(HMODULE dll, VstPluginEntryProc entry, const char* screenshot) {
    Section("editor window");
    Host host;
    AEffect* e = OpenEffect(entry, host);
    CHECK(e != nullptr);
    if (!e) return;
    HWND frame = MakeFrame("Velmorande", 40, 40);
    CHECK(frame != nullptr);
    CHECK(!ClassRegistered(dll));

    CHECK(Dispatch(e, effEditOpen, 0, 0, frame) != 0);
    HWND editor = EditorIn(frame);
    CHECK(editor != nullptr);
    if (!editor) {
        Dispatch(e, effClose);
        DestroyWindow(frame);
        return;
    }
    CHECK(ClassRegistered(dll));
    char title[32] = {};
    GetWindowTextA(editor, title, sizeof title);
    CHECK(std::strcmp(title, "IPlug") == 0);
    RECT client{};
    GetClientRect(editor, &client);
    CHECK(client.right == 530 && client.bottom == 210);
    CHECK((GetWindowLongA(editor, GWL_STYLE) & WS_CHILD) != 0);
    CHECK(GetParent(editor) == frame);

    // The timer draws the panel and the window shows exactly the off-screen bitmap.
    Pump(400);
    CheckShownPixels(e, editor, "opened");

    // The picture of the whole host window as the screen shows it.
    RECT whole{};
    GetWindowRect(frame, &whole);
    const Pixels shot = CaptureScreen(whole);
    CHECK_MSG(WritePngFile(*shot, screenshot), "%s", screenshot);
    std::printf("   the host window as the screen shows it: %s\n", screenshot);

    // A host change shows on the next ticks.
    e->setParameter(e, kWet, 0.0f);
    CheckShownPixels(e, editor, "after a host change");

    // Dragging the Feedback knob upward raises it, inside one host edit.
    {
        host.requests.clear();
        const float before = e->getParameter(e, kFeedback);
        PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, Point(310, 122));
        Pump(40);
        CHECK(GetCapture() == editor);
        for (int y = 118; y >= 100; y -= 6)
            PostMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, Point(310, y));
        Pump(40);
        PostMessageA(editor, WM_LBUTTONUP, 0, Point(310, 100));
        Pump(100);
        CHECK(GetCapture() == nullptr);
        const float after = e->getParameter(e, kFeedback);
        CHECK_MSG(after > before, "%g -> %g", before, after);
        CHECK(host.SawEdit(kFeedback));
    }

    // A wheel notch over Pan Width: begin edit at once, end edit half a second later.
    {
        host.requests.clear();
        const float before = e->getParameter(e, kPanWidth);
        POINT p{239, 122};
        ClientToScreen(editor, &p);
        PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Point(p.x, p.y));
        CHECK(WaitTicks(2));
        CHECK(host.Count(audioMasterBeginEdit, kPanWidth) == 1);
        CHECK(host.Count(audioMasterAutomate, kPanWidth) >= 1);
        CHECK(host.Count(audioMasterEndEdit, kPanWidth) == 0);
        const float after = e->getParameter(e, kPanWidth);
        CHECK_MSG(after > before, "%g -> %g", before, after);
        // Twelve ticks at 24 frames per second.
        CHECK(WaitTicks(8));
        CHECK(host.Count(audioMasterEndEdit, kPanWidth) == 0);
        CHECK(WaitTicks(3));
        CHECK(host.SawEdit(kPanWidth));
    }

    // The host's wheel request reaches the control under the cursor, and only there.
    {
        host.requests.clear();
        POINT p{239, 122};
        ClientToScreen(editor, &p);
        SetCursorPos(p.x, p.y);
        Pump(50);
        const float before = e->getParameter(e, kPanWidth);
        CHECK(Dispatch(e, effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f) == 1);
        CHECK(e->getParameter(e, kPanWidth) > before);
        SetCursorPos(5, 5);
        Pump(50);
        CHECK(Dispatch(e, effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f) == 0);
        CHECK(WaitTicks(13));
        CHECK(host.SawEdit(kPanWidth));
    }

    // The Sync button switches host sync off, inside one host edit.
    {
        host.requests.clear();
        const float before = e->getParameter(e, kHostSync);
        Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 150, 92);
        Pump(100);
        const float after = e->getParameter(e, kHostSync);
        CHECK_MSG(before == 1.0f && after == 0.0f, "%g -> %g", before, after);
        CHECK(host.SawEdit(kHostSync));
        CheckShownPixels(e, editor, "after the Sync button");
    }

    // Right-click on Feedback: a text field over the knob holding its value, all selected.
    {
        host.requests.clear();
        const std::string current = Text(e, effGetParamDisplay, kFeedback);
        Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
        HWND box = EntryBox(editor, "EDIT");
        CHECK(box != nullptr);
        if (box) {
            CHECK(GetDlgCtrlID(box) == 99);
            const RECT r = ChildRect(box, editor);
            // The knob and its read-out span 97..176: centre 136. "99" is the widest value:
            // 7 x 2 + 6 is less than 32.
            CHECK_MSG(r.right - r.left == 32 && r.bottom - r.top == 16 && r.left == 310 - 16 &&
                          r.top == 136 - 8,
                      "%ld,%ld %ldx%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
            char text[64] = {};
            GetWindowTextA(box, text, sizeof text);
            CHECK_MSG(current == text, "%s / %s", current.c_str(), text);
            DWORD start = 1, end = 0;
            SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            CHECK(start == 0 && end == std::strlen(text));
            CHECK(GetFocus() == box);
            // Typing 75 and Enter applies the value on the next tick.
            TypeInto(box, "75");
            GetWindowTextA(box, text, sizeof text);
            CHECK_MSG(std::strcmp(text, "75") == 0, "%s", text);
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            CHECK(WaitTicks(2));
            CHECK(!IsWindow(box));
            CHECK(EntryBox(editor, "EDIT") == nullptr);
            CHECK(Text(e, effGetParamDisplay, kFeedback) == "75");
            CHECK(host.Count(audioMasterBeginEdit, kFeedback) == 2); // the press and the entry
            CHECK(host.Count(audioMasterEndEdit, kFeedback) == 2);
            CHECK(host.SawEditEnd(kFeedback));
        }
    }

    // A right-click elsewhere while the field is open discards it.
    {
        Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
        HWND box = EntryBox(editor, "EDIT");
        CHECK(box != nullptr);
        if (box) {
            TypeInto(box, "12");
            host.requests.clear();
            Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 480, 30);
            CHECK(WaitTicks(2));
            CHECK(!IsWindow(box));
            CHECK(Text(e, effGetParamDisplay, kFeedback) == "75");
            CHECK(host.Count(audioMasterBeginEdit, kFeedback) == 0);
        }
    }

    // A left-click elsewhere while the field is open applies it.
    {
        Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
        HWND box = EntryBox(editor, "EDIT");
        CHECK(box != nullptr);
        if (box) {
            TypeInto(box, "40");
            Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 480, 30);
            CHECK(WaitTicks(2));
            CHECK(!IsWindow(box));
            CHECK(Text(e, effGetParamDisplay, kFeedback) == "40");
        }
    }

    // Right-click on the mode buttons: a choice list with the current choice selected;
    // picking another applies it.
    {
        host.requests.clear();
        Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 150, 125);
        HWND list = EntryBox(editor, "COMBOBOX");
        CHECK(list != nullptr);
        if (list) {
            CHECK(SendMessageA(list, CB_GETCOUNT, 0, 0) == 3);
            CHECK(SendMessageA(list, CB_GETCURSEL, 0, 0) == 2);
            RECT dropped{}, closed{};
            SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
            GetWindowRect(list, &closed);
            const RECT r = ChildRect(list, editor);
            // The group's centre is (158, 133); 8 x "Triplet" + 24 = 80 wide; the box and its
            // open list reach 36 x 4 = 144 pixels down. Windows reports the whole of that as
            // the dropped rectangle; Wine leaves out the closed box and its 2-pixel border.
            const long reach = dropped.bottom - closed.top;
            const long wineReach = dropped.bottom - dropped.top + (closed.bottom - closed.top) + 2;
            CHECK_MSG((reach == 144 || wineReach == 144) && r.top == 133 &&
                          r.right - r.left == 80 && r.left == 158 - 40,
                      "%ld,%ld %ldx%ld drop %ld..%ld", r.left, r.top, r.right - r.left,
                      r.bottom - r.top, dropped.top - closed.top, dropped.bottom - closed.top);
            PostMessageA(list, WM_KEYDOWN, VK_UP, 0);
            CHECK(WaitTicks(2));
            CHECK(!IsWindow(list));
            CHECK_MSG(Text(e, effGetParamDisplay, kPingPong) == "Dotted", "%s",
                      Text(e, effGetParamDisplay, kPingPong).c_str());
            CHECK(host.SawEditEnd(kPingPong));
        }
    }

    // The Sync button offers no entry.
    {
        Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 150, 92);
        CHECK(WaitTicks(1));
        CHECK(EntryBox(editor, "EDIT") == nullptr && EntryBox(editor, "COMBOBOX") == nullptr);
    }

    // Keys: letters and arrows go to the control under the cursor (none reacts), others
    // are swallowed; nothing changes.
    {
        host.requests.clear();
        SendMessageA(editor, WM_KEYDOWN, 'A', 0);
        SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
        SendMessageA(editor, WM_KEYDOWN, VK_UP, 0);
        CHECK(host.Count(audioMasterAutomate, kFeedback) == 0);
    }
    CheckShownPixels(e, editor, "after the entries");

    // Closing within half a second of a wheel gesture ends the host's edit at once; a turn
    // of 60 units is no notch but still a gesture.
    {
        host.requests.clear();
        const float before = e->getParameter(e, kFreq);
        POINT p{381, 122};
        ClientToScreen(editor, &p);
        PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), Point(p.x, p.y));
        Pump(60);
        CHECK(host.Count(audioMasterBeginEdit, kFreq) == 1);
        CHECK(host.Count(audioMasterEndEdit, kFreq) == 0);
        CHECK(e->getParameter(e, kFreq) == before);
        Dispatch(e, effEditClose);
        CHECK(host.Count(audioMasterEndEdit, kFreq) == 1);
    }
    CHECK(!IsWindow(editor));
    CHECK(EditorIn(frame) == nullptr);
    CHECK(!ClassRegistered(dll));

    // Re-opened: a new window, drawn again from the start.
    CHECK(Dispatch(e, effEditOpen, 0, 0, frame) != 0);
    editor = EditorIn(frame);
    CHECK(editor != nullptr);
    if (editor) CheckShownPixels(e, editor, "re-opened");

    // Re-opened into another parent while open: same size and relative place.
    HWND frame2 = MakeFrame("Velmorande 2", 620, 40);
    CHECK(Dispatch(e, effEditOpen, 0, 0, frame2) != 0);
    CHECK(EditorIn(frame) == nullptr);
    HWND moved = EditorIn(frame2);
    CHECK(moved != nullptr);
    if (moved) {
        const RECT r = ChildRect(moved, frame2);
        CHECK(r.left == 0 && r.top == 0 && r.right == 530 && r.bottom == 210);
    }

    // A second instance's editor: the class stays registered until the last one closes.
    Host host2;
    AEffect* e2 = OpenEffect(entry, host2);
    CHECK(e2 != nullptr);
    if (e2) {
        CHECK(Dispatch(e2, effEditOpen, 0, 0, frame) != 0);
        Pump(100);
        CHECK(EditorIn(frame) != nullptr);
        Dispatch(e, effEditClose);
        CHECK(ClassRegistered(dll));
        Dispatch(e2, effEditClose);
        CHECK(!ClassRegistered(dll));
        Dispatch(e2, effClose);
    }

    // Closing the effect with its editor open takes the window with it.
    CHECK(Dispatch(e, effEditOpen, 0, 0, frame) != 0);
    Pump(100);
    HWND last = EditorIn(frame);
    CHECK(last != nullptr);
    Dispatch(e, effClose);
    CHECK(!IsWindow(last));
    CHECK(!ClassRegistered(dll));
    DestroyWindow(frame2);
    DestroyWindow(frame);
    Pump(50);
}

// ---- the editor window's own operations, on the effect linked into this program --------

// A standard dialog or message box of this process, once one is shown.
HWND WaitForDialog() {
    for (int i = 0; i < 250; ++i) {
        HWND found = nullptr;
        EnumWindows(
            [](HWND hwnd, LPARAM out) -> BOOL {
                char name[16] = {};
                GetClassNameA(hwnd, name, sizeof name);
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd) &&
                    process == GetCurrentProcessId()) {
                    *reinterpret_cast<HWND*>(out) = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        Sleep(20);
    }
    return nullptr;
}

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A control over the whole panel that records what the editor hands it.
class RecordingControl : public IControl {
public:
    struct Event {
        char kind; // d down, u up, m drag, c double-click, w wheel, k key
        int x, y, a, b;
        MouseKeys mod;
    };

    RecordingControl(IPlugBase* plug, std::vector<Event>& events)
        : IControl(plug, IPlugRect{0, 0, 530, 210}, -1), events_(events) {}
    bool Draw(IPlugEditor&) override { return true; }
    void MouseDown(int x, int y, const MouseKeys& mod) override {
        events_.push_back({'d', x, y, 0, 0, mod});
    }
    void MouseUp(int x, int y, const MouseKeys& mod) override {
        events_.push_back({'u', x, y, 0, 0, mod});
    }
    void MouseDrag(int x, int y, int dX, int dY, const MouseKeys& mod) override {
        events_.push_back({'m', x, y, dX, dY, mod});
    }
    void MouseDoubleClick(int x, int y, const MouseKeys& mod) override {
        events_.push_back({'c', x, y, 0, 0, mod});
    }
    void MouseWheel(int x, int y, const MouseKeys& mod, int notches) override {
        events_.push_back({'w', x, y, notches, 0, mod});
    }
    void KeyDown(int x, int y, int key) override { events_.push_back({'k', x, y, key, 0, {}}); }

private:
    std::vector<Event>& events_;
};

// Runs a modal call while another thread answers the dialog it shows.
template <typename Answer, typename Call> void WithDialog(Answer answer, Call call) {
    std::thread helper([&] {
        if (HWND dialog = WaitForDialog()) answer(dialog);
    });
    call();
    helper.join();
}

std::string Caption(HWND hwnd) {
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

void TestEditorOperations() {
    Section("editor window operations");
    Host host;
    auto* plug = new VSTCLASS(&Host::Callback);
    plug->Descriptor()->user = &host;
    auto* editor = dynamic_cast<IEditorWindow*>(plug->GetEditor());
    CHECK(editor != nullptr);
    if (!editor) {
        delete plug;
        return;
    }
    CHECK(editor->CanOpenWindow() && !editor->HasWindow());
    CHECK(editor->Module() == GetModuleHandleA(nullptr));

    // Folders: this program is both the host and the module here.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string expected = self;
    expected.erase(expected.find_last_of('\\') + 1);
    std::string folder = "junk";
    CHECK(editor->HostFolder(folder) && folder == expected);
    folder = "junk";
    CHECK(editor->PluginFolder(folder) && folder == expected);

    // Without a window the dialogs answer at once.
    IPlugColor colour{77, 1, 2, 3};
    CHECK(!editor->AskForColour(colour, "Colour"));
    std::string path = "C:\\x.png";
    CHECK(!editor->AskForFile(path, false, nullptr, "png") && path.empty());

    HWND frame = MakeFrame("Velmorande operations", 40, 300);
    HWND window = static_cast<HWND>(editor->OpenEditorWindow(frame));
    CHECK(window != nullptr && editor->HasWindow() && editor->Window() == window);
    Pump(150);

    // Links: only web addresses; a declined confirmation opens nothing.
    CHECK(!editor->OpenLink("C:\\windows\\notepad.exe", "Link", nullptr, nullptr));
    CHECK(!editor->OpenLink("file:///etc/passwd", "Link", nullptr, nullptr));
    std::string boxCaption;
    bool opened = true;
    WithDialog(
        [&](HWND box) {
            boxCaption = Caption(box);
            Click(box, IDNO);
        },
        [&] {
            opened =
                editor->OpenLink("https://example.invalid/", "Visit", "Open the page?", nullptr);
        });
    CHECK(!opened);
    CHECK(boxCaption == "Visit");

    // The colour dialog: its caption is the title; accepted, R, G and B change, A stays.
    std::string dialogCaption;
    bool chosen = false;
    colour = IPlugColor{77, 10, 20, 30};
    WithDialog(
        [&](HWND dialog) {
            dialogCaption = Caption(dialog);
            Sleep(100);
            SetDlgItemTextA(dialog, 706, "200"); // red
            SetDlgItemTextA(dialog, 707, "100"); // green
            SetDlgItemTextA(dialog, 708, "50");  // blue
            Sleep(100);
            Click(dialog, IDOK);
        },
        [&] { chosen = editor->AskForColour(colour, "Panel colour"); });
    CHECK(chosen);
    CHECK(dialogCaption == "Panel colour");
    CHECK_MSG(colour.A == 77 && colour.R == 200 && colour.G == 100 && colour.B == 50, "%d %d %d %d",
              colour.A, colour.R, colour.G, colour.B);
    colour = IPlugColor{77, 10, 20, 30};
    WithDialog([&](HWND dialog) { Click(dialog, IDCANCEL); },
               [&] { chosen = editor->AskForColour(colour, nullptr); });
    CHECK(!chosen && colour.A == 77 && colour.R == 10 && colour.G == 20 && colour.B == 30);

    // File dialogs: cancelled, the path is emptied; saved, the default extension is added.
    path = "picture.png";
    bool picked = true;
    WithDialog([&](HWND dialog) { Click(dialog, IDCANCEL); },
               [&] { picked = editor->AskForFile(path, false, "C:\\", "png jpg"); });
    CHECK(!picked && path.empty());
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path = "velmorande-save-test";
    WithDialog(
        [&](HWND dialog) {
            Sleep(100);
            Click(dialog, IDOK);
        },
        [&] { picked = editor->AskForFile(path, true, temp, "png"); });
    CHECK_MSG(picked && path.size() > 4 &&
                  path.substr(path.size() - 24) == "velmorande-save-test.png",
              "%s", path.c_str());
    CHECK(path.rfind(temp, 0) == 0);

    // A text control's entry: a read-only field covering it exactly, holding its text.
    ITextControl* version = nullptr;
    for (int i = 0; i < editor->NControls() && !version; ++i)
        version = dynamic_cast<ITextControl*>(editor->GetControl(i));
    CHECK(version != nullptr);
    if (version) {
        editor->PromptText(version);
        HWND box = editor->EntryBox();
        CHECK(box != nullptr);
        if (box) {
            const RECT r = ChildRect(box, window);
            const IPlugRect& want = version->DrawRect();
            CHECK(r.left == want.left && r.top == want.top && r.right == want.right &&
                  r.bottom == want.bottom);
            CHECK((GetWindowLongA(box, GWL_STYLE) & ES_READONLY) != 0);
            CHECK(Caption(box) == version->Text());
            SetWindowTextA(box, "v9.99");
            // A second prompt while one is open does nothing.
            editor->PromptText(version);
            CHECK(editor->EntryBox() == box);
            PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            CHECK(WaitTicks(2));
            CHECK(editor->EntryBox() == nullptr && !IsWindow(box));
            // Not editable: the text stays.
            CHECK(std::strcmp(version->Text(), "v1.01") == 0);
        }
    }

    // The message table: what each mouse and key message hands the control under it.
    {
        std::vector<RecordingControl::Event> events;
        editor->AddControl(new RecordingControl(plug, events));
        POINT inside{200, 50};
        ClientToScreen(window, &inside);
        SetCursorPos(inside.x, inside.y);
        Pump(50);
        const WPARAM keys[] = {VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT,  '0',       '9',
                               'A',      'Z',   0x61,    0x7A,    VK_ESCAPE, VK_RETURN, VK_F1};
        for (WPARAM key : keys)
            CHECK(SendMessageA(window, WM_KEYDOWN, key, 0) == 0);
        std::vector<int> codes;
        for (const auto& event : events)
            if (event.kind == 'k') codes.push_back(event.a);
        // Virtual keys 97-122 count as letters too (F1 is 112); Escape and Enter are
        // swallowed.
        const std::vector<int> expectedCodes{0, 1, 2, 3, 4, 5, 14, 15, 40, 15, 40, 30};
        CHECK(codes == expectedCodes);
        CHECK(!events.empty() && events[0].x == 200 && events[0].y == 50);

        events.clear();
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Point(100, 60));
        CHECK(GetCapture() == window);
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, Point(104, 57));
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, Point(104, 57)); // no move
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(110, 50));
        SendMessageA(window, WM_LBUTTONUP, 0, Point(110, 50));
        CHECK(GetCapture() == nullptr);
        SendMessageA(window, WM_MOUSEMOVE, 0, Point(120, 50)); // no button: no drag
        SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(30, 40));
        POINT wheelAt{300, 100};
        ClientToScreen(window, &wheelAt);
        SendMessageA(window, WM_MOUSEWHEEL,
                     MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-2 * WHEEL_DELTA)),
                     Point(wheelAt.x, wheelAt.y));
        SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 119), Point(wheelAt.x, wheelAt.y));
        SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(7, 8));
        SendMessageA(window, WM_RBUTTONUP, 0, Point(7, 8));
        std::string kinds;
        for (const auto& event : events)
            kinds += event.kind;
        CHECK_MSG(kinds == "dmmucwwdu", "%s", kinds.c_str());
        if (kinds == "dmmucwwdu") {
            CHECK(events[0].x == 100 && events[0].y == 60 && events[0].mod.left &&
                  events[0].mod.shift && !events[0].mod.control && !events[0].mod.right);
            CHECK(events[1].a == 4 && events[1].b == -3 && events[1].mod.control);
            CHECK(events[2].a == 6 && events[2].b == -7 && !events[2].mod.control);
            CHECK(events[3].x == 110 && events[3].y == 50);
            CHECK(events[4].x == 30 && events[4].y == 40);
            CHECK(events[5].x == 300 && events[5].y == 100 && events[5].a == -2 &&
                  events[5].mod.control);
            CHECK(events[6].a == 0);
            CHECK(events[7].x == 7 && events[7].y == 8 && events[7].mod.right &&
                  !events[7].mod.left);
        }
    }

    // Resizing grows the window and its parent by the same amount; the resized editor has
    // no controls left, and painting it must still come to rest.
    RECT frameBefore{};
    GetWindowRect(frame, &frameBefore);
    editor->Resize(600, 250);
    RECT client{}, frameAfter{};
    GetClientRect(window, &client);
    GetWindowRect(frame, &frameAfter);
    CHECK(client.right == 600 && client.bottom == 250);
    CHECK(frameAfter.right - frameAfter.left == frameBefore.right - frameBefore.left + 70);
    CHECK(frameAfter.bottom - frameAfter.top == frameBefore.bottom - frameBefore.top + 40);
    CHECK(editor->NControls() == 0 && editor->DrawBitmap()->Width() == 600);
    ERect* rect = nullptr;
    plug->Dispatch(effEditGetRect, 0, 0, &rect, 0.0f);
    CHECK(rect && rect->right == 600 && rect->bottom == 250);
    InvalidateRect(window, nullptr, FALSE);
    Pump(150);
    CHECK(!GetUpdateRect(window, nullptr, FALSE));

    editor->CloseEditorWindow();
    CHECK(!IsWindow(window) && !editor->HasWindow());
    delete plug;
    DestroyWindow(frame);
    Pump(50);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: %s DLL REFERENCE SCREENSHOT\n", argv[0]);
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    Section("loading");
    HMODULE dll = LoadLibraryA(argv[1]);
    CHECK_MSG(dll != nullptr, "%s", argv[1]);
    if (dll) {
        VstPluginEntryProc entry = nullptr, mainEntry = nullptr;
        TestExports(dll, entry, mainEntry);
        if (entry && mainEntry) {
            TestDescriptor(entry, mainEntry);
            TestDispatcher(entry);
            TestAudio(entry, mainEntry, argv[2]);
            TestResources(dll);
            TestText();
            TestEditor(dll, entry, argv[3]);
            TestEditorOperations();
        }
        CHECK(FreeLibrary(dll));
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
