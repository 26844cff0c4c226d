// The editor window's own operations that no host request reaches (folders, links, dialogs,
// prompts, the message table, resizing), on the effect linked into this program.
#include "controls/control.h"
#include "controls/text_control.h"
#include "editor/win32/editor_window.h"
#include "plugin/velmorande.h"
#include "support/in_process_plug.h"
#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

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

// Runs a modal call while another thread answers the dialog it shows.
template <typename Answer, typename Call> void WithDialog(Answer answer, Call call) {
    std::thread helper([&] {
        if (HWND dialog = WaitForDialog()) answer(dialog);
    });
    call();
    helper.join();
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

// The effect made directly, its editor's window not yet open.
class EditorOperations : public ::testing::Test {
protected:
    void SetUp() override {
        plug = std::make_unique<InProcessPlug<VSTCLASS>>();
        editor = dynamic_cast<IEditorWindow*>(plug->GetEditor());
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        if (editor) editor->CloseEditorWindow();
        plug.reset();
        if (frame) DestroyWindow(frame);
        Pump(50);
    }
    void OpenWindow() {
        frame = MakeFrame("Velmorande operations", 40, 300);
        window = static_cast<HWND>(editor->OpenEditorWindow(frame));
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(editor->HasWindow());
        EXPECT_EQ(editor->Window(), window);
        Pump(150);
    }

    std::unique_ptr<InProcessPlug<VSTCLASS>> plug;
    IEditorWindow* editor = nullptr;
    HWND frame = nullptr;
    HWND window = nullptr;
};

} // namespace

TEST_F(EditorOperations, FoldersAreThoseOfThisProgram) {
    EXPECT_TRUE(editor->CanOpenWindow());
    EXPECT_FALSE(editor->HasWindow());
    EXPECT_EQ(editor->Module(), GetModuleHandleA(nullptr));
    // This program is both the host and the module here.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string expected = self;
    expected.erase(expected.find_last_of('\\') + 1);
    std::string folder = "junk";
    EXPECT_TRUE(editor->HostFolder(folder));
    EXPECT_EQ(folder, expected);
    folder = "junk";
    EXPECT_TRUE(editor->PluginFolder(folder));
    EXPECT_EQ(folder, expected);
}

TEST_F(EditorOperations, WithoutAWindowDialogsAnswerAtOnce) {
    IPlugColor colour{77, 1, 2, 3};
    EXPECT_FALSE(editor->AskForColour(colour, "Colour"));
    std::string path = "C:\\x.png";
    EXPECT_FALSE(editor->AskForFile(path, false, nullptr, "png"));
    EXPECT_TRUE(path.empty());
}

TEST_F(EditorOperations, LinksOpenOnlyWebAddressesAndAskFirst) {
    OpenWindow();
    EXPECT_FALSE(editor->OpenLink("C:\\windows\\notepad.exe", "Link", nullptr, nullptr));
    EXPECT_FALSE(editor->OpenLink("file:///etc/passwd", "Link", nullptr, nullptr));
    // A declined confirmation opens nothing.
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
    EXPECT_FALSE(opened);
    EXPECT_EQ(boxCaption, "Visit");
}

TEST_F(EditorOperations, TheColourDialogChangesColourNotAlpha) {
    OpenWindow();
    // Its caption is the title; accepted, R, G and B change, A stays.
    std::string dialogCaption;
    bool chosen = false;
    IPlugColor colour{77, 10, 20, 30};
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
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialogCaption, "Panel colour");
    EXPECT_EQ(colour.A, 77);
    EXPECT_EQ(colour.R, 200);
    EXPECT_EQ(colour.G, 100);
    EXPECT_EQ(colour.B, 50);
    colour = IPlugColor{77, 10, 20, 30};
    WithDialog([&](HWND dialog) { Click(dialog, IDCANCEL); },
               [&] { chosen = editor->AskForColour(colour, nullptr); });
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(colour.A == 77 && colour.R == 10 && colour.G == 20 && colour.B == 30);
}

TEST_F(EditorOperations, FileDialogs) {
    OpenWindow();
    // Cancelled, the path is emptied; saved, the default extension is added.
    std::string path = "picture.png";
    bool picked = true;
    WithDialog([&](HWND dialog) { Click(dialog, IDCANCEL); },
               [&] { picked = editor->AskForFile(path, false, "C:\\", "png jpg"); });
    EXPECT_FALSE(picked);
    EXPECT_TRUE(path.empty());
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path = "velmorande-save-test";
    WithDialog(
        [&](HWND dialog) {
            Sleep(100);
            Click(dialog, IDOK);
        },
        [&] { picked = editor->AskForFile(path, true, temp, "png"); });
    EXPECT_TRUE(picked);
    ASSERT_GT(path.size(), 24u) << path;
    EXPECT_EQ(path.substr(path.size() - 24), "velmorande-save-test.png");
    EXPECT_EQ(path.rfind(temp, 0), 0u);
}

TEST_F(EditorOperations, ATextControlsFieldIsReadOnly) {
    OpenWindow();
    ITextControl* version = nullptr;
    for (int i = 0; i < editor->NControls() && !version; ++i)
        version = dynamic_cast<ITextControl*>(editor->GetControl(i));
    ASSERT_NE(version, nullptr);
    // A read-only field covering the control exactly, holding its text.
    editor->PromptText(version);
    HWND box = editor->EntryWindow();
    ASSERT_NE(box, nullptr);
    const RECT r = ChildRect(box, window);
    const IPlugRect& want = version->DrawRect();
    EXPECT_TRUE(r.left == want.left && r.top == want.top && r.right == want.right &&
                r.bottom == want.bottom);
    EXPECT_NE(GetWindowLongA(box, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(Caption(box), version->Text());
    SetWindowTextA(box, "v9.99");
    // A second prompt while one is open does nothing.
    editor->PromptText(version);
    EXPECT_EQ(editor->EntryWindow(), box);
    PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitTicks(2));
    EXPECT_EQ(editor->EntryWindow(), nullptr);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_STREQ(version->Text(), "v1.01") << "not editable: the text stays";
}

TEST_F(EditorOperations, WhatEachMessageHandsTheControl) {
    OpenWindow();
    std::vector<RecordingControl::Event> events;
    editor->AddControl(new RecordingControl(plug.get(), events));
    POINT inside{200, 50};
    ClientToScreen(window, &inside);
    SetCursorPos(inside.x, inside.y);
    Pump(50);
    const WPARAM keys[] = {VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT,  '0',       '9',
                           'A',      'Z',   0x61,    0x7A,    VK_ESCAPE, VK_RETURN, VK_F1};
    for (WPARAM key : keys)
        EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, key, 0), 0);
    std::vector<int> codes;
    for (const auto& event : events)
        if (event.kind == 'k') codes.push_back(event.a);
    // Virtual keys 97-122 count as letters too (F1 is 112); Escape and Enter are swallowed.
    const std::vector<int> expectedCodes{0, 1, 2, 3, 4, 5, 14, 15, 40, 15, 40, 30};
    EXPECT_EQ(codes, expectedCodes);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].x, 200);
    EXPECT_EQ(events[0].y, 50);

    events.clear();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Point(100, 60));
    EXPECT_EQ(GetCapture(), window);
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, Point(104, 57));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, Point(104, 57)); // no move
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(110, 50));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(110, 50));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(120, 50)); // no button: no drag
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(30, 40));
    POINT wheelAt{300, 100};
    ClientToScreen(window, &wheelAt);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-2 * WHEEL_DELTA)),
                 Point(wheelAt.x, wheelAt.y));
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, 119), Point(wheelAt.x, wheelAt.y));
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, Point(7, 8));
    SendMessageA(window, WM_RBUTTONUP, 0, Point(7, 8));
    std::string kinds;
    for (const auto& event : events)
        kinds += event.kind;
    ASSERT_EQ(kinds, "dmmucwwdu");
    EXPECT_TRUE(events[0].x == 100 && events[0].y == 60 && events[0].mod.left &&
                events[0].mod.shift && !events[0].mod.control && !events[0].mod.right);
    EXPECT_TRUE(events[1].a == 4 && events[1].b == -3 && events[1].mod.control);
    EXPECT_TRUE(events[2].a == 6 && events[2].b == -7 && !events[2].mod.control);
    EXPECT_TRUE(events[3].x == 110 && events[3].y == 50);
    EXPECT_TRUE(events[4].x == 30 && events[4].y == 40);
    EXPECT_TRUE(events[5].x == 300 && events[5].y == 100 && events[5].a == -2 &&
                events[5].mod.control);
    EXPECT_EQ(events[6].a, 0);
    EXPECT_TRUE(events[7].x == 7 && events[7].y == 8 && events[7].mod.right && !events[7].mod.left);
}

TEST_F(EditorOperations, ResizingGrowsWindowAndParentAlike) {
    OpenWindow();
    // The resized editor has no controls left, and painting it must still come to rest.
    RECT frameBefore{};
    GetWindowRect(frame, &frameBefore);
    editor->Resize(600, 250);
    RECT client{}, frameAfter{};
    GetClientRect(window, &client);
    GetWindowRect(frame, &frameAfter);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 250);
    EXPECT_EQ(frameAfter.right - frameAfter.left, frameBefore.right - frameBefore.left + 70);
    EXPECT_EQ(frameAfter.bottom - frameAfter.top, frameBefore.bottom - frameBefore.top + 40);
    EXPECT_EQ(editor->NControls(), 0);
    EXPECT_EQ(editor->DrawBitmap()->Width(), 600);
    ERect* rect = nullptr;
    plug->Dispatch(effEditGetRect, 0, 0, &rect, 0.0f);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 600);
    EXPECT_EQ(rect->bottom, 250);
    InvalidateRect(window, nullptr, FALSE);
    Pump(150);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    editor->CloseEditorWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(editor->HasWindow());
}
