// The editor on a screen of the density the system reports: scripts/windows.sh runs these
// once at 96 dpi with the whole suite, and again in a prefix whose LogPixels is 192. The
// suite is aware of densities, as hosts that scale their own windows are; one test plays a
// host that is not.
#include "bitmap/win32/png_resource.h"
#include "editor_fixture.h"

#include "vst/vendor_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

// The system's density as the suite's threads see it.
UINT SystemDensity() {
    using DpiForSystem = UINT(WINAPI*)();
    FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForSystem");
    const auto forSystem = reinterpret_cast<DpiForSystem>(reinterpret_cast<void*>(proc));
    if (forSystem) return forSystem();
    HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The editor's scale for the density: 1, 1.5 or 2, the largest not above dpi / 96.
int ScalePercent(UINT dpi) {
    return dpi >= 192 ? 200 : dpi >= 144 ? 150 : 100;
}

int Scaled(int panel, int percent) {
    return (2 * panel * percent + 100) / 200;
}

class HiDpi : public EditorTest {
protected:
    void SetUp() override {
        dpi = SystemDensity();
        percent = ScalePercent(dpi);
        std::printf("   %u dpi: the editor at %d%%\n", dpi, percent);
        EditorTest::SetUp();
    }
    // A panel point at the editor's scale: the middle of its device pixels.
    int D(int panel) const { return Scaled(panel, percent) + (percent > 100 ? 1 : 0); }

    UINT dpi = 96;
    int percent = 100;
};

TEST_F(HiDpi, TheEditorIsSizedAndDrawnForTheSystemsDensity) {
    EXPECT_EQ(width, Scaled(530, percent));
    EXPECT_EQ(height, Scaled(210, percent));
    CheckShownPixels("opened");
    // Drawn from the art of the scale: the background's top left corner is the resource's.
    std::unique_ptr<PixelBitmap> art = LoadPngResource(
        Suite().Module(), 100, percent == 100 ? "PNG" : (percent == 150 ? "PNG150" : "PNG200"));
    ASSERT_NE(art, nullptr);
    EXPECT_EQ(art->Width(), width);
    EditorPicture picture;
    ASSERT_TRUE(Picture(fx, picture));
    EXPECT_EQ(picture.pixels[2 * picture.rowSpan + 3] & 0xFFFFFF,
              art->Bits()[2 * art->RowSpan() + 3] & 0xFFFFFF);
}

TEST_F(HiDpi, ClicksDragsAndTheWheelHitTheirControls) {
    fx.host.ClearRequests();
    Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, D(158), D(93));
    EXPECT_EQ(fx.Get(kHostSync), 0.0f) << "Sync";
    Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, D(158), D(113));
    EXPECT_EQ(fx.Get(kPingPong), 0.0f) << "Triplet";

    const float feedback = fx.Get(kFeedback);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, Point(D(310), D(150)));
    Pump(40);
    PostMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, Point(D(310), D(150) - Scaled(79, percent)));
    Pump(40);
    PostMessageA(editor, WM_LBUTTONUP, 0, Point(D(310), D(150) - Scaled(79, percent)));
    Pump(100);
    EXPECT_NEAR(fx.Get(kFeedback), feedback + 0.25f, 0.01f) << "a drag of the knob's height";
    EXPECT_TRUE(fx.host.SawEdit(kFeedback));

    const float pan = fx.Get(kPanWidth);
    POINT p{D(239), D(122)};
    ClientToScreen(editor, &p);
    PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Point(p.x, p.y));
    Pump(100);
    EXPECT_GT(fx.Get(kPanWidth), pan) << "the wheel over Pan Width";
    CheckShownPixels("after the changes");
}

// The entry boxes at the editor's scale: the field and the list where the 1x ones lie, at
// the scale, with type of the scaled size; both apply what they hold. A change of scale
// takes an open box away unapplied.
TEST_F(HiDpi, EntryBoxesLieAtTheScaledPlacesInTypeOfTheScaledSize) {
    const auto typeHeight = [](HWND box) {
        LOGFONTA font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
        return handle && GetObjectA(handle, sizeof font, &font) ? font.lfHeight : 0L;
    };
    const auto S = [&](int panel) { return Scaled(panel, percent); };
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, D(310), D(122));
    HWND box = EntryBox(editor, "EDIT");
    ASSERT_NE(box, nullptr);
    const RECT r = ChildRect(box, editor);
    EXPECT_EQ(r.left, S(294));
    EXPECT_EQ(r.top, S(128));
    EXPECT_EQ(r.right, S(326));
    EXPECT_EQ(r.bottom, S(144));
    EXPECT_EQ(typeHeight(box), S(14));
    TypeInto(box, "75");
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "75");

    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, D(150), D(125));
    HWND list = EntryBox(editor, "COMBOBOX");
    ASSERT_NE(list, nullptr);
    const RECT l = ChildRect(list, editor);
    EXPECT_EQ(l.left, S(158 - 40));
    EXPECT_EQ(l.top, S(133));
    EXPECT_EQ(l.right, S(158 + 40));
    EXPECT_EQ(typeHeight(list), S(14));
    // The box and its open list reach 36 x 4 panel pixels down (Wine leaves the closed box
    // and its border, of two panel pixels at the density, out of the dropped rectangle).
    RECT dropped{}, closed{};
    SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    GetWindowRect(list, &closed);
    const long reach = dropped.bottom - closed.top;
    const long wineReach = dropped.bottom - dropped.top + (closed.bottom - closed.top) + S(2);
    EXPECT_TRUE(reach == S(144) || wineReach == S(144))
        << "drop " << dropped.top - closed.top << ".." << dropped.bottom - closed.top;
    PostMessageA(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kPingPong), "Dotted");

    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, D(310), D(122));
    box = EntryBox(editor, "EDIT");
    ASSERT_NE(box, nullptr);
    TypeInto(box, "12");
    ASSERT_EQ(fx.Dispatch(effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr,
                          percent == 200 ? 1.0f : 2.0f),
              1);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(EntryBox(editor, "EDIT"), nullptr);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "75");
}

// A host's content scale overrides the system's; the window follows it while open, a
// host that resizes its windows is told, and a density message no longer moves it.
TEST_F(HiDpi, AHostsContentScaleOverridesTheSystems) {
    fx.host.SetResizesWindows(true);
    const int other = percent == 150 ? 200 : 150;
    fx.host.ClearRequests();
    ASSERT_EQ(fx.Dispatch(effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr,
                          other / 100.0f),
              1);
    EXPECT_EQ(fx.host.Count(audioMasterSizeWindow), 1u);
    SetWindowPos(frame, nullptr, 0, 0, Scaled(530, other) + 40, Scaled(210, other) + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    CheckShownPixels("at the host's scale", Scaled(530, other), Scaled(210, other));
    SendMessageA(editor, 0x02E3 /* WM_DPICHANGED_AFTERPARENT */, 0, 0);
    CheckShownPixels("after a density message", Scaled(530, other), Scaled(210, other));
}

// A host that is not aware of densities gets the panel at 1x, as a thread of such a host
// sees the screen: the system enlarges its windows itself.
TEST(HiDpiUnawareHost, GetsThePanelAt1x) {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(proc));
    if (!set) GTEST_SKIP() << "no per-thread density awareness on this system";
    // DPI_AWARENESS_CONTEXT_UNAWARE
    const HANDLE before = set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
    ASSERT_NE(before, nullptr);
    HostedPlugin fx{Suite().entry};
    ERect* rect = nullptr;
    ASSERT_EQ(fx.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 530);
    EXPECT_EQ(rect->bottom, 210);
    HWND frame = MakeFrame("Velmorande", 40, 40);
    ASSERT_NE(fx.Dispatch(effEditOpen, 0, 0, frame), 0);
    RECT client{};
    GetClientRect(EditorIn(frame), &client);
    EXPECT_EQ(client.right, 530);
    EXPECT_EQ(client.bottom, 210);
    fx.Dispatch(effEditClose);
    DestroyWindow(frame);
    set(before);
    Pump(50);
}

} // namespace
