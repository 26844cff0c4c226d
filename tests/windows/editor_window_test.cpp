// The editor window in a host window of its own: what it shows, and what mouse, wheel and
// key messages do to the parameters and the host's edit gestures.
#include "bitmap/png_writer.h"
#include "editor_fixture.h"
#include "vst/vendor_codes.h"

#include <cstring>

class EditorWindow : public EditorTest {};

TEST_F(EditorWindow, OpensAsAChildShowingItsBitmap) {
    EXPECT_TRUE(ClassRegistered(Suite().Module()));
    EXPECT_EQ(Caption(editor), "IPlug");
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, 530);
    EXPECT_EQ(client.bottom, 210);
    EXPECT_NE(GetWindowLongA(editor, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetParent(editor), frame);
    // The timer draws the panel and the window shows exactly the off-screen bitmap.
    CheckShownPixels("opened");

    // The picture of the whole host window as the screen shows it.
    RECT whole{};
    GetWindowRect(frame, &whole);
    const Pixels shot = CaptureScreen(whole);
    EXPECT_TRUE(WritePngFile(*shot, Suite().screenshotPath.c_str())) << Suite().screenshotPath;
    std::printf("   the host window as the screen shows it: %s\n", Suite().screenshotPath.c_str());

    // A host change shows on the next ticks.
    fx.Set(kWetMix, 0.0f);
    CheckShownPixels("after a host change");
}

TEST_F(EditorWindow, DraggingAKnobUpwardRaisesItInOneEdit) {
    fx.host.ClearRequests();
    const float before = fx.Get(kFeedback);
    PostMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, Point(310, 122));
    Pump(40);
    EXPECT_EQ(GetCapture(), editor);
    for (int y = 118; y >= 100; y -= 6)
        PostMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, Point(310, y));
    Pump(40);
    PostMessageA(editor, WM_LBUTTONUP, 0, Point(310, 100));
    Pump(100);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_GT(fx.Get(kFeedback), before);
    EXPECT_TRUE(fx.host.SawEdit(kFeedback));
}

TEST_F(EditorWindow, AWheelNotchEndsItsEditHalfASecondLater) {
    fx.host.ClearRequests();
    const float before = fx.Get(kPanWidth);
    POINT p{239, 122};
    ClientToScreen(editor, &p);
    PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), Point(p.x, p.y));
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_EQ(fx.host.Count(audioMasterBeginEdit, kPanWidth), 1u);
    EXPECT_GE(fx.host.Count(audioMasterAutomate, kPanWidth), 1u);
    EXPECT_EQ(fx.host.Count(audioMasterEndEdit, kPanWidth), 0u);
    EXPECT_GT(fx.Get(kPanWidth), before);
    // Twelve ticks at 24 frames per second.
    EXPECT_TRUE(WaitTicks(8));
    EXPECT_EQ(fx.host.Count(audioMasterEndEdit, kPanWidth), 0u);
    EXPECT_TRUE(WaitTicks(3));
    EXPECT_TRUE(fx.host.SawEdit(kPanWidth));
}

TEST_F(EditorWindow, TheHostsWheelReachesOnlyTheControlUnderTheCursor) {
    fx.host.ClearRequests();
    POINT p{239, 122};
    ClientToScreen(editor, &p);
    SetCursorPos(p.x, p.y);
    Pump(50);
    const float before = fx.Get(kPanWidth);
    EXPECT_EQ(
        fx.Dispatch(effVendorSpecific, kVendorHostWheel, kVendorHostWheelValue, nullptr, 1.0f), 1);
    EXPECT_GT(fx.Get(kPanWidth), before);
    SetCursorPos(5, 5);
    Pump(50);
    EXPECT_EQ(
        fx.Dispatch(effVendorSpecific, kVendorHostWheel, kVendorHostWheelValue, nullptr, 1.0f), 0);
    EXPECT_TRUE(WaitTicks(13));
    EXPECT_TRUE(fx.host.SawEdit(kPanWidth));
}

TEST_F(EditorWindow, TheSyncButtonSwitchesSyncOffInOneEdit) {
    fx.host.ClearRequests();
    EXPECT_EQ(fx.Get(kHostSync), 1.0f);
    Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 150, 92);
    Pump(100);
    EXPECT_EQ(fx.Get(kHostSync), 0.0f);
    EXPECT_TRUE(fx.host.SawEdit(kHostSync));
    CheckShownPixels("after the Sync button");
}

TEST_F(EditorWindow, KeysChangeNothing) {
    // Letters and arrows go to the control under the cursor (none reacts), others are
    // swallowed.
    fx.host.ClearRequests();
    SendMessageA(editor, WM_KEYDOWN, 'A', 0);
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(editor, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(fx.host.Count(audioMasterAutomate, kFeedback), 0u);
    CheckShownPixels("after keys");
}

TEST_F(EditorWindow, ClosingDuringAWheelGestureEndsTheEditAtOnce) {
    // A turn of 60 units is no notch but still a gesture.
    fx.host.ClearRequests();
    const float before = fx.Get(kFreq);
    POINT p{381, 122};
    ClientToScreen(editor, &p);
    PostMessageA(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), Point(p.x, p.y));
    Pump(60);
    EXPECT_EQ(fx.host.Count(audioMasterBeginEdit, kFreq), 1u);
    EXPECT_EQ(fx.host.Count(audioMasterEndEdit, kFreq), 0u);
    EXPECT_EQ(fx.Get(kFreq), before);
    fx.Dispatch(effEditClose);
    EXPECT_EQ(fx.host.Count(audioMasterEndEdit, kFreq), 1u);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(EditorIn(frame), nullptr);
    EXPECT_FALSE(ClassRegistered(Suite().Module()));
}
