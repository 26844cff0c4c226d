// The Linux editor at twice the panel's pixels, in a real X server with real input (XTest):
// sized by a host's content scale, by a host that changes it while the editor is open, and
// by the X server's Xft.dpi resource as desktops set it.
#include "x11/choice_list_view.h"
#include "x11/need_display.h"
#include "x11/private_server.h"
#include "x11/x11_test_host.h"

#include "editor/drawn_entry.h"
#include "plugin/layout/panel_layout.h"
#include "vst/vendor_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kWidth = 1060, kHeight = 420;
constexpr std::uint32_t kEnd = 0xFF57, kReturn = 0xFF0D;
enum Param { kDelayRate = 0, kHostSync = 2, kPingPong = 3, kPanWidth = 4, kFeedback = 5 };

// A panel point at twice the pixels: the middle of its device pixels.
int D(int panel) {
    return 2 * panel;
}

VstIntPtr ContentScale(AEffect* fx, float factor) {
    return X11TestHost::Dispatch(fx, effVendorSpecific, kVendorPreSonus, kVendorContentScale,
                                 nullptr, factor);
}

std::pair<int, int> Geometry(xcb_connection_t* c, xcb_window_t window) {
    auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!g) return {0, 0};
    const std::pair<int, int> size{g->width, g->height};
    std::free(g);
    return size;
}

class X11ScaledEditor : public ::testing::Test {
protected:
    void SetUp() override {
        NeedDisplay();
        if (IsSkipped() || HasFatalFailure()) return;
        host = std::make_unique<X11TestHost>();
        fx = host->Open();
        ASSERT_EQ(ContentScale(fx, 2.0f), 1);
        ERect* rect = nullptr;
        ASSERT_EQ(X11TestHost::Dispatch(fx, effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(rect->right, kWidth);
        ASSERT_EQ(rect->bottom, kHeight);
        parent = host->MakeParent(0, 0, 1200, 500);
        ASSERT_TRUE(host->OpenEditor(fx, parent));
        editor = host->EditorOf(parent);
        ASSERT_NE(editor, 0u);
        ASSERT_TRUE(Settled());
        host->ClearRequests();
    }

    bool Settled(int width = kWidth, int height = kHeight) {
        return host->IdleUntilShown(fx, editor, width, height);
    }

    float Value(int index) { return fx->getParameter(fx, index); }

    std::unique_ptr<X11TestHost> host;
    AEffect* fx = nullptr;
    xcb_window_t parent = 0, editor = 0;
};

TEST_F(X11ScaledEditor, OpensAtTheScaledSizeShowingItsPicture) {
    EXPECT_EQ(Geometry(host->Connection(), editor), std::make_pair(kWidth, kHeight));
    const auto shown = host->Pixels(editor, kWidth, kHeight);
    EXPECT_EQ(shown, X11TestHost::Picture(fx, 2.0f));
    EXPECT_NE(shown, X11TestHost::Picture(fx, 1.0f)) << "not the 1x picture";
}

// Each control takes the wheel just inside every corner of its device pixels; a control
// lying on top of another (the Wet fader's left edge on the Dry fader) keeps its place.
TEST_F(X11ScaledEditor, EveryControlTakesTheWheelOverItsDevicePixels) {
    using namespace panel;
    const auto knob = [](const Knob& k, Size image) {
        const IPlugRect text = Readout(k, image);
        return IPlugRect{text.left, k.centre.y - HalfAway(image.height * 0.5), text.right,
                         text.bottom};
    };
    const auto buttons = [](Point at, int n) {
        return IPlugRect{at.x, at.y, at.x + kButtonImage.width, at.y + n * kButtonImage.height};
    };
    IPlugRect dry = kFaders[0];
    dry.right = kFaders[1].left; // the Wet fader lies over the rest
    const struct {
        int param;
        IPlugRect panel;
    } controls[] = {{kDelayRate, knob(kDelayKnob, kDelayKnobImage)},
                    {kHostSync, buttons(kSyncButton, 1)},
                    {kPingPong, buttons(kModeButtons, kModeCount)},
                    {kPanWidth, knob(kSmallKnobs[0], kSmallKnobImage)},
                    {kFeedback, knob(kSmallKnobs[1], kSmallKnobImage)},
                    {6, knob(kSmallKnobs[2], kSmallKnobImage)},
                    {7, dry},
                    {8, kFaders[1]}};
    for (const auto& c : controls) {
        const IPlugRect r = c.panel;
        for (const auto& [x, y] :
             {std::pair{D(r.left), D(r.top)}, std::pair{D(r.right) - 1, D(r.top)},
              std::pair{D(r.left), D(r.bottom) - 1}, std::pair{D(r.right) - 1, D(r.bottom) - 1}}) {
            SCOPED_TRACE(testing::Message() << "parameter " << c.param << " at " << x << "," << y);
            const int before = host->Count(audioMasterBeginEdit, c.param);
            host->MoveTo(editor, x, y);
            host->Press(4);
            host->Release(4);
            ASSERT_TRUE(host->IdleUntil(
                fx, [&] { return host->Count(audioMasterBeginEdit, c.param) > before; }));
            X11TestHost::Dispatch(fx, effEditClose); // ends the wheel's gesture at once
            ASSERT_TRUE(host->OpenEditor(fx, parent));
            editor = host->EditorOf(parent);
        }
    }
    EXPECT_EQ(host->Count(audioMasterBeginEdit), host->Count(audioMasterEndEdit));
}

TEST_F(X11ScaledEditor, ClicksHitTheButtonsAtTheirDevicePixels) {
    ASSERT_EQ(Value(kHostSync), 1.0f);
    host->Click(editor, D(158), D(93));
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kHostSync); }));
    EXPECT_EQ(Value(kHostSync), 0.0f);
    host->Click(editor, D(158), D(113)); // Triplet
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kPingPong); }));
    EXPECT_EQ(Value(kPingPong), 0.0f);
    EXPECT_TRUE(Settled()) << "the millisecond knob and the lit button show";
}

// Dragging up by the knob's height in device pixels turns it a quarter of its range, as
// dragging by its panel height does at 1x: hands move as far on both.
TEST_F(X11ScaledEditor, DraggingAKnobByItsHeightTurnsItAQuarter) {
    const float before = Value(kFeedback);
    host->MoveTo(editor, D(310), D(150));
    host->Press(1);
    for (int dy = 0; dy <= D(79); dy += 6)
        host->MoveTo(editor, D(310), D(150) - dy);
    host->MoveTo(editor, D(310), D(150) - D(79));
    host->Release(1);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kFeedback); }));
    EXPECT_NEAR(Value(kFeedback), before + 0.25f, 0.01f);
    EXPECT_TRUE(Settled()) << "the knob is redrawn";
}

TEST_F(X11ScaledEditor, WheelOnASmallKnobEndsItsGestureByItself) {
    const float before = Value(kPanWidth);
    host->MoveTo(editor, D(239), D(122));
    for (int i = 0; i < 3; ++i) {
        host->Press(5);
        host->Release(5);
    }
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kPanWidth); }));
    EXPECT_LT(Value(kPanWidth), before);
    EXPECT_EQ(host->Count(audioMasterBeginEdit, kPanWidth), 1);
    // And a wheel the host forwards goes where the pointer is, in device pixels too.
    host->MoveTo(editor, D(381), D(122));
    EXPECT_EQ(X11TestHost::Dispatch(fx, effVendorSpecific, kVendorHostWheel, kVendorHostWheelValue,
                                    nullptr, 1.0f),
              1);
    EXPECT_EQ(host->Count(audioMasterBeginEdit, 6), 1);
}

// The typed-entry field at twice the pixels: centred on the knob at twice its 1x place and
// size, its frame two pixels wide, its value in type of twice the size; the typed value
// applies on Enter.
TEST_F(X11ScaledEditor, TypingIntoAnEntryAtTwiceThePixelsAppliesOnEnter) {
    // The Feedback knob's field at 1x: 294..326 x 128..144.
    const IPlugRect field{D(294), D(128), D(326), D(144)};
    const int middle = (field.top + field.bottom) / 2;
    const std::string value = X11TestHost::Display(fx, kFeedback);
    host->Click(editor, D(310), D(122), 3);
    std::vector<std::uint32_t> shown;
    const auto at = [&](int x, int y) { return shown[y * kWidth + x]; };
    ASSERT_TRUE(host->IdleUntil(fx, [&] {
        shown = host->Pixels(editor, kWidth, kHeight);
        return at(field.left + 2, middle) == 0xFFFFFF;
    })) << "the field shows";
    const auto picture = X11TestHost::Picture(fx);
    for (int x : {field.left, field.left + 1, field.right - 2, field.right - 1})
        EXPECT_EQ(at(x, middle), 0x404040u) << x;
    for (int y : {field.top, field.top + 1, field.bottom - 2, field.bottom - 1})
        EXPECT_EQ(at(field.left + 4, y), 0x404040u) << y;
    for (auto [x, y] : {std::pair{field.left - 1, middle},
                        {field.right, middle},
                        {field.left + 4, field.top - 1},
                        {field.left + 4, field.bottom}})
        EXPECT_EQ(at(x, y), picture[y * kWidth + x]) << x << "," << y;
    // The value, all selected: the lit run is as wide as the value in 28-pixel type.
    int lit = 0;
    for (int x = field.left; x < field.right; ++x)
        lit += at(x, field.top + 2) == 0x3370CC;
    EntryFont type;
    type.size = 28;
    EXPECT_EQ(lit, entry_look::TextWidth(type, value)) << value;

    host->ClearRequests();
    host->Type("75");
    host->Key(kReturn);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kFeedback); }));
    EXPECT_EQ(X11TestHost::Display(fx, kFeedback), "75");
    EXPECT_TRUE(Settled()) << "the field is gone";
}

// The delay rate's list at twice the pixels: its corner at twice its 1x place (kept on the
// screen), twice as wide, rows twice as high; the keys pick the last value.
TEST_F(X11ScaledEditor, TheChoiceListAtTwiceThePixelsPicksTheLastValueWithKeys) {
    ChoiceListView view(*host, fx, DisplayScale::ForFactor(2.0));
    const xcb_window_t list = view.Open(editor, D(74), D(124));
    ASSERT_NE(list, 0u);
    const X11TestHost::Place at = host->PlaceOf(list), panel = host->PlaceOf(editor);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(host->Connection())).data;
    const int height = D(20 + 25 * 18);
    EXPECT_EQ(at.x - panel.x, D(74 - 32));
    EXPECT_EQ(at.y, std::min(panel.y + D(136), screen->height_in_pixels - height));
    EXPECT_EQ(at.width, D(64));
    EXPECT_EQ(at.height, height);
    EXPECT_EQ(view.LitRows(list).size(), 1u) << "the current value";
    host->ClearRequests();
    host->Key(kEnd);
    EXPECT_TRUE(host->IdleUntil(fx, [&] { return view.LitRows(list) == std::vector<int>{24}; }));
    host->Key(kReturn);
    ASSERT_TRUE(host->IdleUntil(fx, [&] { return host->Count(audioMasterEndEdit, kDelayRate); }));
    EXPECT_EQ(X11TestHost::Display(fx, kDelayRate), "4/1");
    EXPECT_TRUE(view.Gone());
    EXPECT_TRUE(Settled()) << "the panel under the list is drawn again";
}

// A host that changes its content scale with the field open: the field goes unapplied with
// the old scale, and opens again at the new one.
TEST_F(X11ScaledEditor, AScaleChangeTakesAnOpenFieldAway) {
    const float before = Value(kFeedback);
    host->Click(editor, D(310), D(122), 3);
    host->Idle(fx, 5);
    host->Type("12");
    ASSERT_EQ(ContentScale(fx, 1.0f), 1);
    EXPECT_TRUE(Settled(530, 210)) << "the panel at 1x without the field";
    host->Key(kReturn);
    host->Idle(fx, 5);
    EXPECT_EQ(Value(kFeedback), before);
    host->Click(editor, 310, 122, 3);
    std::vector<std::uint32_t> shown;
    EXPECT_TRUE(host->IdleUntil(fx, [&] {
        shown = host->Pixels(editor, 530, 210);
        return shown[136 * 530 + 296] == 0xFFFFFF;
    })) << "a field at the 1x place";
}

// A host that changes its content scale while the editor is open: the window takes the new
// size, and a host that resizes its windows is asked to.
TEST(X11EditorScaleChange, TheWindowFollowsAndAResizingHostIsTold) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    X11TestHost host;
    host.SetResizesWindows(true);
    AEffect* fx = host.Open();
    ERect* rect = nullptr;
    ASSERT_EQ(X11TestHost::Dispatch(fx, effEditGetRect, 0, 0, &rect), 1);
    const xcb_window_t parent = host.MakeParent(0, 0, 1200, 500);
    ASSERT_TRUE(host.OpenEditor(fx, parent));
    const xcb_window_t editor = host.EditorOf(parent);
    host.Idle(fx, 5);
    EXPECT_EQ(host.Count(audioMasterSizeWindow), 0) << "the size the host asked for";
    const struct {
        float factor;
        int width, height;
    } steps[] = {{2.0f, 1060, 420}, {1.5f, 795, 315}, {1.0f, 530, 210}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.factor);
        host.ClearRequests();
        ASSERT_EQ(ContentScale(fx, s.factor), 1);
        const auto requests = host.Requests();
        ASSERT_EQ(host.Count(audioMasterSizeWindow), 1);
        for (const HostRequest& r : requests)
            if (r.opcode == audioMasterSizeWindow) {
                EXPECT_EQ(r.index, s.width);
                EXPECT_EQ(r.value, s.height);
            }
        host.Sync();
        EXPECT_EQ(Geometry(host.Connection(), editor), std::make_pair(s.width, s.height));
        EXPECT_TRUE(host.IdleUntil(fx, [&] {
            host.Idle(fx, 5);
            return host.Pixels(editor, s.width, s.height) == X11TestHost::Picture(fx);
        }));
    }
    // The same scale again is no change to tell.
    host.ClearRequests();
    ASSERT_EQ(ContentScale(fx, 1.0f), 1);
    EXPECT_EQ(host.Count(audioMasterSizeWindow), 0);
    X11TestHost::Dispatch(fx, effEditClose);
}

// Runs xrdb on a display, loading a resource database as a desktop's session does.
bool LoadResources(const std::string& display, const char* resources) {
    char path[] = "/tmp/velmorande-xrdb-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    const bool written = write(fd, resources, std::strlen(resources)) ==
                         static_cast<ssize_t>(std::strlen(resources));
    close(fd);
    std::vector<std::string> args{"xrdb", "-nocpp", "-display", display, "-merge", path};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    const bool ran = written &&
                     posix_spawnp(&pid, "xrdb", nullptr, nullptr, argv.data(), environ) == 0 &&
                     waitpid(pid, &status, 0) == pid;
    unlink(path);
    return ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A desktop at 192 dpi: a host asks for the size, gets the panel at twice its pixels, and
// the editor opens at that size showing the art of the scale.
TEST(X11EditorXftDpi, AServerAt192DpiOpensTheEditorAtTwiceThePixels) {
    NeedDisplay();
    if (IsSkipped() || HasFatalFailure()) return;
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb of our own";
    const std::string saved = std::getenv("DISPLAY");
    PrivateServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    ASSERT_TRUE(LoadResources(server.Display(), "Xft.antialias: 1\nXft.dpi: 192\n"))
        << "xrdb (x11-xserver-utils) could not load the database";
    setenv("DISPLAY", server.Display().c_str(), 1);
    {
        X11TestHost host;
        AEffect* fx = host.Open();
        ERect* rect = nullptr;
        ASSERT_EQ(X11TestHost::Dispatch(fx, effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right - rect->left, kWidth);
        EXPECT_EQ(rect->bottom - rect->top, kHeight);
        const xcb_window_t parent = host.MakeParent(0, 0, rect->right, rect->bottom);
        ASSERT_TRUE(host.OpenEditor(fx, parent));
        const xcb_window_t editor = host.EditorOf(parent);
        EXPECT_EQ(Geometry(host.Connection(), editor), std::make_pair(kWidth, kHeight));
        EXPECT_TRUE(host.IdleUntil(fx, [&] {
            host.Idle(fx, 5);
            return host.Pixels(editor, kWidth, kHeight) == X11TestHost::Picture(fx, 2.0f);
        }));
        X11TestHost::Dispatch(fx, effEditClose);
    }
    setenv("DISPLAY", saved.c_str(), 1);
}

} // namespace
