// Typed entry and choice lists over the editor's controls, opened by a right-click.
#include "editor_fixture.h"

#include <cstring>
#include <string>

class InPlaceEntry : public EditorTest {};

TEST_F(InPlaceEntry, RightClickOpensAFieldWhoseEnterApplies) {
    // A text field over the knob holding its value, all selected.
    fx.host.ClearRequests();
    const std::string current = fx.Text(effGetParamDisplay, kFeedback);
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
    HWND box = EntryBox(editor, "EDIT");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetDlgCtrlID(box), 99);
    const RECT r = ChildRect(box, editor);
    // The knob and its read-out span 97..176: centre 136. "99" is the widest value:
    // 7 x 2 + 6 is less than 32.
    EXPECT_EQ(r.right - r.left, 32);
    EXPECT_EQ(r.bottom - r.top, 16);
    EXPECT_EQ(r.left, 310 - 16);
    EXPECT_EQ(r.top, 136 - 8);
    char text[64] = {};
    GetWindowTextA(box, text, sizeof text);
    EXPECT_EQ(current, text);
    DWORD start = 1, end = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, std::strlen(text));
    EXPECT_EQ(GetFocus(), box);
    // Typing 75 and Enter applies the value on the next tick.
    TypeInto(box, "75");
    GetWindowTextA(box, text, sizeof text);
    EXPECT_STREQ(text, "75");
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(EntryBox(editor, "EDIT"), nullptr);
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "75");
    EXPECT_EQ(fx.host.Count(audioMasterBeginEdit, kFeedback), 2u) << "the press and the entry";
    EXPECT_EQ(fx.host.Count(audioMasterEndEdit, kFeedback), 2u);
    EXPECT_TRUE(fx.host.SawEditEnd(kFeedback));
}

TEST_F(InPlaceEntry, ARightClickElsewhereDiscardsTheField) {
    const std::string before = fx.Text(effGetParamDisplay, kFeedback);
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
    HWND box = EntryBox(editor, "EDIT");
    ASSERT_NE(box, nullptr);
    TypeInto(box, "12");
    fx.host.ClearRequests();
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 480, 30);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), before);
    EXPECT_EQ(fx.host.Count(audioMasterBeginEdit, kFeedback), 0u);
}

TEST_F(InPlaceEntry, ALeftClickElsewhereAppliesTheField) {
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 310, 122);
    HWND box = EntryBox(editor, "EDIT");
    ASSERT_NE(box, nullptr);
    TypeInto(box, "40");
    Press(editor, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 480, 30);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kFeedback), "40");
    CheckShownPixels("after an entry");
}

TEST_F(InPlaceEntry, AChoiceListPicksAnotherMode) {
    // The current choice is selected; picking another applies it.
    fx.host.ClearRequests();
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 150, 125);
    HWND list = EntryBox(editor, "COMBOBOX");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 2);
    RECT dropped{}, closed{};
    SendMessageA(list, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    GetWindowRect(list, &closed);
    const RECT r = ChildRect(list, editor);
    // The group's centre is (158, 133); 8 x "Triplet" + 24 = 80 wide; the box and its open
    // list reach 36 x 4 = 144 pixels down. Windows reports the whole of that as the dropped
    // rectangle; Wine leaves out the closed box and its 2-pixel border.
    const long reach = dropped.bottom - closed.top;
    const long wineReach = dropped.bottom - dropped.top + (closed.bottom - closed.top) + 2;
    EXPECT_TRUE(reach == 144 || wineReach == 144)
        << "drop " << dropped.top - closed.top << ".." << dropped.bottom - closed.top;
    EXPECT_EQ(r.top, 133);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.left, 158 - 40);
    PostMessageA(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(fx.Text(effGetParamDisplay, kPingPong), "Dotted");
    EXPECT_TRUE(fx.host.SawEditEnd(kPingPong));
}

TEST_F(InPlaceEntry, TheSyncButtonOffersNoEntry) {
    Press(editor, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 150, 92);
    EXPECT_TRUE(WaitTicks(1));
    EXPECT_EQ(EntryBox(editor, "EDIT"), nullptr);
    EXPECT_EQ(EntryBox(editor, "COMBOBOX"), nullptr);
}
