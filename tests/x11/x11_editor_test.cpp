// The Linux editor in a real X server (Xvfb in the test command), driven through the
// plug-in's binary interface and real input (XTest), as a Linux host would.
#include "x11/choice_list_view.h"
#include "x11/need_display.h"
#include "x11/private_server.h"
#include "x11/x11_test_host.h"

#include "vst/vendor_codes.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>

extern char** environ;

namespace {

constexpr int kWidth = 530, kHeight = 210;
constexpr std::uint32_t kEnd = 0xFF57, kReturn = 0xFF0D, kEscape = 0xFF1B;
enum Param { kDelayRate = 0, kHostSync = 2, kPingPong = 3, kPanWidth = 4, kFeedback = 5 };

class X11Editor : public ::testing::Test {
protected:
    void SetUp() override {
        NeedDisplay();
        if (IsSkipped() || HasFatalFailure()) return;
        host = std::make_unique<X11TestHost>();
        fx = host->Open();
        parent = host->MakeParent();
        ASSERT_TRUE(host->OpenEditor(fx, parent));
        editor = host->EditorOf(parent);
        ASSERT_NE(editor, 0u);
        ASSERT_TRUE(Settled(fx, editor));
        host->ClearRequests();
    }

    // Idles until the window shows what the editor draws.
    bool Settled(AEffect* e, xcb_window_t window) {
        return host->IdleUntilShown(e, window, kWidth, kHeight);
    }

    float Value(int index) { return fx->getParameter(fx, index); }

    // The delay rate's and the modes' choice list, in its popup.
    ChoiceListView List() { return ChoiceListView(*host, fx); }
    xcb_window_t OpenList(int x, int y) { return List().Open(editor, x, y); }
    std::vector<int> LitRows(xcb_window_t popup) { return List().LitRows(popup); }
    bool ListGone() { return List().Gone(); }

    // The requests for one parameter, in order, as opcodes.
    std::vector<VstInt32> Gesture(int index) {
        std::vector<VstInt32> out;
        for (const HostRequest& r : host->Requests())
            if ((r.opcode == audioMasterBeginEdit || r.opcode == audioMasterEndEdit ||
                 r.opcode == audioMasterAutomate) &&
                r.index == index && (out.empty() || out.back() != r.opcode))
                out.push_back(r.opcode);
        return out;
    }

    std::unique_ptr<X11TestHost> host;
    AEffect* fx = nullptr;
    xcb_window_t parent = 0, editor = 0;
};

TEST_F(X11Editor, OpensAsAFixedSizeXEmbedChildShowingTheEditorsPicture) {
    xcb_connection_t* c = host->Connection();
    auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, editor), nullptr);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->width, kWidth);
    EXPECT_EQ(g->height, kHeight);
    EXPECT_EQ(g->x, 0);
    EXPECT_EQ(g->y, 0);
    std::free(g);
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, 12, "_XEMBED_INFO"), nullptr);
    ASSERT_NE(atom, nullptr);
    auto* info = xcb_get_property_reply(
        c, xcb_get_property(c, 0, editor, atom->atom, XCB_ATOM_ANY, 0, 2), nullptr);
    std::free(atom);
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(xcb_get_property_value_length(info), 8);
    const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(info));
    EXPECT_EQ(words[1] & 1u, 1u) << "asks to be mapped";
    std::free(info);
    auto* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, editor), nullptr);
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->map_state, XCB_MAP_STATE_VIEWABLE);
    std::free(attributes);
    // Pixel for pixel what the plug-in's own off-screen picture holds.
    EXPECT_EQ(host->Pixels(editor, kWidth, kHeight), X11TestHost::Picture(fx));
}

TEST_F(X11Editor, DraggingTheDelayRateKnobIsOneHostEditGesture) {
    const float before = Value(kDelayRate);
    host->MoveTo(editor, 74, 124);
    host->Press(1);
    for (int y = 120; y >= 60; y -= 10)
        host->MoveTo(editor, 74, y);
    host->Release(1);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kDelayRate); }));
    EXPECT_GT(Value(kDelayRate), before) << "dragging up turns the knob up";
    EXPECT_EQ(Gesture(kDelayRate), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                          audioMasterEndEdit}));
    EXPECT_TRUE(Settled(fx, editor)) << "the knob is redrawn";
}

TEST_F(X11Editor, WheelOnASmallKnobEndsItsGestureByItself) {
    const float before = Value(kPanWidth);
    host->MoveTo(editor, 239, 122);
    for (int i = 0; i < 3; ++i) {
        host->Press(5); // down
        host->Release(5);
    }
    host->Press(6); // sideways: not ours
    host->Release(6);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kPanWidth); }));
    EXPECT_LT(Value(kPanWidth), before);
    EXPECT_EQ(host->Count(audioMasterBeginEdit, kPanWidth), 1);
    EXPECT_EQ(Gesture(kPanWidth), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                         audioMasterEndEdit}));
}

TEST_F(X11Editor, AWheelTheHostForwardsGoesToTheControlUnderThePointer) {
    const auto forward = [&](float notches) {
        return X11TestHost::Dispatch(fx, effVendorSpecific, 0x73744341, 0x57686565, nullptr,
                                     notches);
    };
    host->MoveTo(editor, 560, 250); // over the host's window, outside the editor
    EXPECT_EQ(forward(1.0f), 0);
    const float before = Value(kPanWidth);
    host->MoveTo(editor, 239, 122);
    EXPECT_EQ(forward(-2.0f), 1);
    EXPECT_LT(Value(kPanWidth), before);
    EXPECT_EQ(host->Count(audioMasterBeginEdit, kPanWidth), 1);
    // Closing within the gesture's countdown ends it at once.
    X11TestHost::Dispatch(fx, effEditClose);
    EXPECT_EQ(host->Count(audioMasterEndEdit, kPanWidth), 1);
}

TEST_F(X11Editor, ClickingSyncTogglesHostSync) {
    ASSERT_EQ(Value(kHostSync), 1.0f);
    host->Click(editor, 158, 93);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kHostSync); }));
    EXPECT_EQ(Value(kHostSync), 0.0f);
    EXPECT_TRUE(Settled(fx, editor)) << "the millisecond knob shows";
}

TEST_F(X11Editor, TypingIntoTheFeedbackEntryAppliesOnEnter) {
    host->Click(editor, 310, 122, 3);
    host->Idle(fx, 5);
    // A white field 32 pixels wide and 16 high, centred on the knob, over the picture.
    const auto shown = host->Pixels(editor, kWidth, kHeight);
    const auto picture = X11TestHost::Picture(fx);
    EXPECT_EQ(shown[136 * kWidth + 296], 0xFFFFFFu);
    for (auto [x, y] : {std::pair{293, 136}, {326, 136}, {310, 127}, {310, 144}})
        EXPECT_EQ(shown[y * kWidth + x], picture[y * kWidth + x]) << x << "," << y;
    host->ClearRequests(); // the right-click's own press and release
    host->Type("75");
    host->Idle(fx, 5);
    EXPECT_EQ(host->Count(audioMasterAutomate, kFeedback), 0) << "nothing before Enter";
    host->Key(0xFF0D); // Return
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kFeedback); }));
    EXPECT_EQ(X11TestHost::Display(fx, kFeedback), "75");
    // Then the closing box pushes the value once more, as the Win32 layer's does.
    EXPECT_EQ(Gesture(kFeedback), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                         audioMasterEndEdit, audioMasterAutomate}));
    EXPECT_TRUE(Settled(fx, editor)) << "the box is gone";
}

TEST_F(X11Editor, EscapeAndARightClickCancelAnEntry) {
    const float before = Value(kFeedback);
    host->Click(editor, 310, 122, 3);
    host->Idle(fx, 5);
    host->Type("12");
    host->Key(0xFF1B); // Escape
    EXPECT_TRUE(Settled(fx, editor)) << "the box is gone";
    host->Click(editor, 310, 122, 3);
    host->Idle(fx, 5);
    host->Type("3");
    host->Click(editor, 20, 20, 3); // elsewhere
    EXPECT_TRUE(Settled(fx, editor));
    EXPECT_EQ(Value(kFeedback), before);
}

TEST_F(X11Editor, PickingFromThePingPongListAppliesTheChoice) {
    ASSERT_EQ(X11TestHost::Display(fx, kPingPong), "Normal");
    host->Click(editor, 158, 133, 3);
    host->Idle(fx, 5);
    host->ClearRequests();
    // The list opens under the group's centre: header, then Triplet, Dotted, Normal.
    host->Click(editor, 158, 133 + 20 + 9);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kPingPong); }));
    EXPECT_EQ(X11TestHost::Display(fx, kPingPong), "Triplet");
    EXPECT_TRUE(Settled(fx, editor));
}

TEST_F(X11Editor, TheDelayRateListShowsEveryValueBeyondThePanelAndTakesKeys) {
    const std::string before = X11TestHost::Display(fx, kDelayRate);
    const xcb_window_t list = OpenList(74, 124);
    ASSERT_NE(list, 0u);
    // Its top-left corner where the Win32 list's is, at the knob's centre (74, 136) less half
    // its width: 8 x "1/32T" + 24; a header and all 25 values, past the panel's edge.
    const X11TestHost::Place at = host->PlaceOf(list), panel = host->PlaceOf(editor);
    EXPECT_EQ(at.x - panel.x, 74 - 32);
    EXPECT_EQ(at.y - panel.y, 136);
    EXPECT_EQ(at.width, 64);
    EXPECT_EQ(at.height, 20 + 25 * 18);
    EXPECT_EQ(LitRows(list).size(), 1u) << "the current value";
    host->ClearRequests();

    host->Key(kEnd);
    EXPECT_TRUE(host->IdleUntil(fx, [&] { return LitRows(list) == std::vector<int>{24}; }));
    EXPECT_EQ(host->Count(audioMasterAutomate, kDelayRate), 0) << "moving picks nothing";
    EXPECT_EQ(X11TestHost::Display(fx, kDelayRate), before);
    host->Key(kReturn);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kDelayRate); }));
    EXPECT_EQ(X11TestHost::Display(fx, kDelayRate), "4/1");
    EXPECT_EQ(Gesture(kDelayRate),
              (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit,
                                     audioMasterAutomate}));
    EXPECT_TRUE(ListGone());
    EXPECT_TRUE(Settled(fx, editor)) << "the panel under the list is drawn again";
}

TEST_F(X11Editor, TypingPicksByFirstLettersAndEscapeOrAPressElsewhereCancels) {
    ASSERT_EQ(X11TestHost::Display(fx, kPingPong), "Normal");
    // Escape, a right press in the panel, a press outside the panel and the list.
    const std::function<void()> cancels[] = {
        [&] { host->Key(kEscape); },
        [&] { host->Click(editor, 20, 20, 3); },
        [&] { host->Click(editor, 560, 250); },
    };
    for (const auto& cancel : cancels) {
        const int i = static_cast<int>(&cancel - cancels);
        SCOPED_TRACE(i);
        // Each right-click elsewhere, or it would be the second of a double-click.
        const xcb_window_t list = OpenList(130 + 10 * i, 133);
        ASSERT_NE(list, 0u);
        host->Type("d");
        EXPECT_TRUE(host->IdleUntil(fx, [&] { return LitRows(list) == std::vector<int>{1}; }));
        cancel();
        EXPECT_TRUE(ListGone());
        host->Idle(fx, 5);
        EXPECT_EQ(X11TestHost::Display(fx, kPingPong), "Normal");
    }
    ASSERT_NE(OpenList(180, 133), 0u);
    host->Type("t");
    host->Key(kReturn);
    ASSERT_TRUE(
        host->IdleUntil(fx, [&] { return X11TestHost::Display(fx, kPingPong) == "Triplet"; }));
    EXPECT_TRUE(ListGone());
    EXPECT_TRUE(Settled(fx, editor));
}

TEST_F(X11Editor, ClosingTheEditorTakesAnOpenListAwayUnappliedAndFreesThePointer) {
    xcb_connection_t* c = host->Connection();
    const auto pointerFree = [&] {
        auto* grab = xcb_grab_pointer_reply(c,
                                            xcb_grab_pointer(c, 0, parent, 0, XCB_GRAB_MODE_ASYNC,
                                                             XCB_GRAB_MODE_ASYNC, XCB_NONE,
                                                             XCB_NONE, XCB_CURRENT_TIME),
                                            nullptr);
        const bool free = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(grab);
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        host->Sync();
        return free;
    };
    const std::string before = X11TestHost::Display(fx, kDelayRate);
    ASSERT_NE(OpenList(74, 124), 0u);
    EXPECT_FALSE(pointerFree()) << "held while the list is open";
    host->Key(kEnd);
    EXPECT_EQ(X11TestHost::Dispatch(fx, effEditClose), 1);
    host->Sync();
    EXPECT_EQ(host->Popup(), 0u);
    EXPECT_TRUE(pointerFree());
    EXPECT_EQ(X11TestHost::Display(fx, kDelayRate), before);
}

// Uncovered parts are drawn again from their corners, away from the window's origin too:
// the panel's own part and the list's.
TEST_F(X11Editor, UncoveringPartOfThePanelOrTheListDrawsItAgain) {
    const xcb_window_t cover = host->MakeParent(300, 100, 120, 60);
    host->Idle(fx, 3);
    ASSERT_NE(host->Pixels(editor, kWidth, kHeight), X11TestHost::Picture(fx)) << "covered";
    host->DestroyWindow(cover);
    EXPECT_TRUE(Settled(fx, editor)) << "the uncovered part is drawn again";

    const xcb_window_t list = OpenList(74, 124);
    ASSERT_NE(list, 0u);
    const X11TestHost::Place at = host->PlaceOf(list);
    const auto shown = host->Pixels(list, at.width, at.height);
    const xcb_window_t over = host->MakeParent(at.x + 30, at.y + 200, 100, 80);
    host->Idle(fx, 3);
    ASSERT_NE(host->Pixels(list, at.width, at.height), shown) << "covered";
    host->DestroyWindow(over);
    EXPECT_TRUE(
        host->IdleUntil(fx, [&] { return host->Pixels(list, at.width, at.height) == shown; }));
    host->Key(kEscape);
    EXPECT_TRUE(ListGone());
}

TEST_F(X11Editor, AHostParameterChangeRedrawsTheBoundControl) {
    const auto before = host->Pixels(editor, kWidth, kHeight);
    fx->setParameter(fx, kFeedback, 0.0f);
    ASSERT_TRUE(Settled(fx, editor));
    EXPECT_NE(host->Pixels(editor, kWidth, kHeight), before);
}

TEST_F(X11Editor, AHostThatNeverIdlesStillSeesRedraws) {
    const auto before = host->Pixels(editor, kWidth, kHeight);
    fx->setParameter(fx, kFeedback, 0.0f);
    // No idle: the editor's own thread ticks.
    bool changed = false;
    for (int i = 0; i < 300 && !changed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        changed = host->Pixels(editor, kWidth, kHeight) != before;
    }
    ASSERT_TRUE(changed);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(host->Pixels(editor, kWidth, kHeight), X11TestHost::Picture(fx));
}

TEST_F(X11Editor, SurvivesAHundredCloseAndReopenCycles) {
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(X11TestHost::Dispatch(fx, effEditClose), 1);
        ASSERT_EQ(host->EditorOf(parent), 0u) << "cycle " << i;
        ASSERT_TRUE(host->OpenEditor(fx, parent)) << "cycle " << i;
        host->Idle(fx, 1);
    }
    editor = host->EditorOf(parent);
    EXPECT_TRUE(Settled(fx, editor));
}

TEST_F(X11Editor, ReopeningIntoANewParentMovesTheWindowThere) {
    const xcb_window_t second = host->MakeParent(50, 50);
    ASSERT_TRUE(host->OpenEditor(fx, second));
    EXPECT_EQ(host->EditorOf(parent), 0u);
    const xcb_window_t moved = host->EditorOf(second);
    ASSERT_NE(moved, 0u);
    EXPECT_TRUE(Settled(fx, moved));
}

TEST_F(X11Editor, ThirtyTwoBitParentsTakeTheEditorToo) {
    const xcb_window_t deep = host->MakeParent(0, 0, 600, 300, 32);
    ASSERT_TRUE(host->OpenEditor(fx, deep));
    EXPECT_TRUE(Settled(fx, host->EditorOf(deep)));
}

TEST_F(X11Editor, AParentDestroyedFirstLeavesTheHostRunning) {
    host->DestroyWindow(parent);
    fx->setParameter(fx, kFeedback, 0.0f); // something to draw into the dead window
    host->Idle(fx, 10);
    EXPECT_EQ(X11TestHost::Dispatch(fx, effEditClose), 1);
    const xcb_window_t fresh = host->MakeParent();
    ASSERT_TRUE(host->OpenEditor(fx, fresh));
    EXPECT_TRUE(Settled(fx, host->EditorOf(fresh)));
}

TEST_F(X11Editor, ABadParentIsRefused) {
    X11TestHost::Dispatch(fx, effEditClose);
    for (std::uintptr_t bad : {std::uintptr_t{0}, std::uintptr_t{0x1FFFFF}, std::uintptr_t{~0u}})
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditOpen, 0, 0, reinterpret_cast<void*>(bad)), 0)
            << bad;
    host->Idle(fx, 3);
    EXPECT_TRUE(host->OpenEditor(fx, parent));
    EXPECT_TRUE(Settled(fx, host->EditorOf(parent)));
}

TEST_F(X11Editor, TwoEditorsAtOnceKeepToThemselves) {
    AEffect* other = host->Open();
    const xcb_window_t otherParent = host->MakeParent(0, 320);
    ASSERT_TRUE(host->OpenEditor(other, otherParent));
    const xcb_window_t otherEditor = host->EditorOf(otherParent);
    ASSERT_TRUE(Settled(other, otherEditor));
    host->Click(otherEditor, 158, 93);
    ASSERT_TRUE(host->IdleUntil(other, [&] { return host->Count(audioMasterEndEdit, kHostSync); }));
    EXPECT_EQ(other->getParameter(other, kHostSync), 0.0f);
    EXPECT_EQ(Value(kHostSync), 1.0f);
    EXPECT_TRUE(Settled(other, otherEditor));
    EXPECT_TRUE(Settled(fx, editor));
    host->Close(other); // deleted with its editor open
    EXPECT_TRUE(Settled(fx, editor));
}

TEST(X11EditorWithoutDisplay, OpeningAnswersZeroAndTheRestWorks) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    {
        X11TestHost host;
        AEffect* fx = host.Open();
        EXPECT_EQ(fx->flags & effFlagsHasEditor, effFlagsHasEditor);
        ERect* rect = nullptr;
        ASSERT_EQ(X11TestHost::Dispatch(fx, effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right - rect->left, kWidth);
        EXPECT_EQ(rect->bottom - rect->top, kHeight);
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditOpen, 0, 0, reinterpret_cast<void*>(0x400001)),
                  0);
        X11TestHost::Dispatch(fx, effEditIdle);
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditClose), 1);
        fx->setParameter(fx, kFeedback, 1.0f);
        EXPECT_EQ(X11TestHost::Display(fx, kFeedback), "99");
        EXPECT_EQ(X11TestHost::Picture(fx).size(), std::size_t{kWidth * kHeight});
    }
    // A display that is named but cannot be reached.
    setenv("DISPLAY", ":97", 1);
    {
        X11TestHost host;
        AEffect* fx = host.Open();
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditOpen, 0, 0, reinterpret_cast<void*>(0x400001)),
                  0);
    }
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace

namespace {

std::vector<char> ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int RunHost(std::vector<std::string> args, pid_t* started = nullptr) {
    args.insert(args.begin(), VELMORANDE_HOST_PATH);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    if (started) {
        *started = pid;
        return 0;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The host's top-level window with that title, or 0.
xcb_window_t FindTopLevel(xcb_connection_t* c, const std::string& title) {
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return 0;
    xcb_window_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        auto* name = xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 64),
            nullptr);
        if (name && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                xcb_get_property_value_length(name)) == title)
            found = children[i];
        std::free(name);
    }
    std::free(tree);
    return found;
}

// The host's window once the editor is in it (5 s at most), or 0.
xcb_window_t HostWindowWithEditor(X11TestHost& host) {
    for (int i = 0; i < 500; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const xcb_window_t top = FindTopLevel(host.Connection(), "velmorande-host: Velmorande");
        if (top && host.EditorOf(top)) return top;
    }
    return 0;
}

// --editor --scale 2: the host gives the plug-in the scale as a content scale and sizes its
// window to the editor at twice the pixels.
TEST(HostEditorWindow, OpensTheEditorAtTheScaleGiven) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    X11TestHost host; // for its connection
    pid_t pid = 0;
    ASSERT_EQ(RunHost({"--editor", VELMORANDE_PLUGIN_PATH, "-q", "--scale", "2"}, &pid), 0);
    xcb_connection_t* c = host.Connection();
    const xcb_window_t top = HostWindowWithEditor(host);
    EXPECT_NE(top, 0u);
    for (const xcb_window_t w : {top, top ? host.EditorOf(top) : 0}) {
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->width, 2 * kWidth);
        EXPECT_EQ(g->height, 2 * kHeight);
        std::free(g);
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
}

TEST(HostEditorWindow, ASoundSetByHandIsSavedWhenTheWindowCloses) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    const std::string dir = ::testing::TempDir();
    const std::string untouched = dir + "/x11-untouched.fxp", edited = dir + "/x11-edited.fxp";
    ASSERT_EQ(RunHost({VELMORANDE_PLUGIN_PATH, "-q", "--save", untouched}), 0);

    X11TestHost host; // for its connection and XTest
    pid_t pid = 0;
    ASSERT_EQ(RunHost({"--editor", VELMORANDE_PLUGIN_PATH, "-q", "--save", edited}, &pid), 0);
    xcb_connection_t* c = host.Connection();
    const xcb_window_t top = HostWindowWithEditor(host);
    ASSERT_NE(top, 0u);
    const xcb_window_t editorWindow = host.EditorOf(top);
    std::vector<std::uint32_t> before;
    for (int i = 0; i < 500 && (before.empty() || before[93 * kWidth + 158] == 0); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        before = host.Pixels(editorWindow, kWidth, kHeight); // drawn by the host's idling
    }
    host.Click(editorWindow, 158, 93); // Sync off
    bool redrawn = false;
    for (int i = 0; i < 500 && !redrawn; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        redrawn = host.Pixels(editorWindow, kWidth, kHeight) != before;
    }
    ASSERT_TRUE(redrawn) << "the host idles the editor";

    // The window manager's close button.
    auto atom = [c](const char* name) {
        auto* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = top;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(c, 0, top, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    host.Sync();
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto saved = ReadFile(edited);
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(saved, ReadFile(untouched)) << "the click in the editor is in the saved state";
}

} // namespace

namespace {

// The plug-in loaded by a test host on an X server of the test's own, with its editor open
// in a window there (at the content scale given, if any); DISPLAY names that server
// meanwhile.
struct PrivateEditor {
    PrivateServer& server;
    X11TestHost& host;
    AEffect* fx;
    xcb_window_t parent;
};

void OnPrivateServer(const std::string& screen, const std::function<void(PrivateEditor&)>& body,
                     float contentScale = 0.0f) {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb of our own";
    PrivateServer server(screen);
    ASSERT_TRUE(server.Running()) << server.Error();
    struct Display {
        const std::string saved = std::getenv("DISPLAY");
        ~Display() { setenv("DISPLAY", saved.c_str(), 1); }
    } display;
    setenv("DISPLAY", server.Display().c_str(), 1);
    X11TestHost host;
    PrivateEditor editor{server, host, host.Open(), host.MakeParent()};
    if (contentScale > 0.0f) {
        ASSERT_EQ(X11TestHost::Dispatch(editor.fx, effVendorSpecific, kVendorPreSonus,
                                        kVendorContentScale, nullptr, contentScale),
                  1);
    }
    ASSERT_TRUE(host.OpenEditor(editor.fx, editor.parent));
    host.Idle(editor.fx, 5);
    body(editor);
}

TEST(X11EditorServerGone, TheHostLivesOnAndClosesTheEditor) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    OnPrivateServer("800x600x24", [](PrivateEditor& e) {
        AEffect* fx = e.fx;
        e.server.Kill();
        fx->setParameter(fx, kFeedback, 0.0f); // something to draw for a server that is gone
        e.host.Idle(fx, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the thread's turn too
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditClose), 1);
        // The plug-in goes on without it, and a new open fails cleanly.
        EXPECT_EQ(X11TestHost::Dispatch(fx, effEditOpen, 0, 0,
                                        reinterpret_cast<void*>(std::uintptr_t{e.parent})),
                  0);
        EXPECT_EQ(X11TestHost::Display(fx, kFeedback), "0");
    });
}

} // namespace

namespace {

// A screen too short for the 25 delay rates, at 1x and at 2x: 15 rows fit below the header.
TEST(X11EditorShortScreen, TheListScrollsWithTheWheelToTheLastValue) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    const struct {
        float scale;
        const char* screen;
        int height;
    } cases[] = {{1.0f, "800x300x24", 300}, {2.0f, "800x600x24", 600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        const DisplayScale scale = DisplayScale::ForFactor(c.scale);
        OnPrivateServer(
            c.screen,
            [&](PrivateEditor& e) {
                X11TestHost& host = e.host;
                ChoiceListView view(host, e.fx, scale);
                host.Click(host.EditorOf(e.parent), scale.ToDevice(74), scale.ToDevice(124), 3);
                xcb_window_t list = 0;
                ASSERT_TRUE(host.IdleUntil(e.fx, [&] { return (list = host.Popup()) != 0; }));
                const X11TestHost::Place at = host.PlaceOf(list);
                EXPECT_EQ(at.height, view.HeaderHeight() + 15 * view.RowHeight());
                EXPECT_EQ(at.y + at.height, c.height) << "kept on the screen";
                host.MoveTo(list, scale.ToDevice(30), at.height / 2);
                for (int notch = 0; notch < 5; ++notch) { // three rows a notch, ten to go
                    host.Press(5);
                    host.Release(5);
                }
                host.ClearRequests();
                host.Click(list, scale.ToDevice(30),
                           at.height - view.RowHeight() / 2); // the last row
                ASSERT_TRUE(host.IdleUntil(
                    e.fx, [&] { return host.Count(audioMasterEndEdit, kDelayRate); }));
                EXPECT_EQ(X11TestHost::Display(e.fx, kDelayRate), "4/1");
                EXPECT_TRUE(view.Gone());
            },
            c.scale);
    }
}

} // namespace
