// The editor's input dispatch and redraw cycle, with plain test controls on a test plug-in.
#include "controls/control.h"
#include "core/plug_base.h"
#include "editor/offscreen_editor.h"
#include "support/in_process_plug.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
class TestPlug : public IPlugVST {
public:
    explicit TestPlug(audioMasterCallback host)
        : IPlugVST(host, 3, "2-2", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, 0, false, false) {
        for (int i = 0; i < 3; ++i)
            GetParam(i)->DefineInteger("P", 50, 0, 100, "%");
    }
};
using Plug = InProcessPlug<TestPlug>;

// Records what reaches it and draws nothing.
class Probe : public IControl {
public:
    Probe(IPlugBase* plug, const IPlugRect& rect, int param) : IControl(plug, rect, param) {}
    bool Draw(IPlugEditor&) override {
        ++draws;
        return true;
    }
    void MouseDown(int x, int y, const MouseKeys& mod) override {
        log.push_back('d');
        IControl::MouseDown(x, y, mod);
    }
    void MouseUp(int, int, const MouseKeys&) override { log.push_back('u'); }
    void MouseDrag(int, int, int dX, int dY, const MouseKeys&) override {
        log.push_back('g');
        drags.push_back({dX, dY});
    }
    std::string log;
    std::vector<std::pair<int, int>> drags;
    int draws = 0;
};

struct Dispatch : ::testing::Test {
    Plug plug;
    OffscreenEditor* editor = new OffscreenEditor(&plug, 200, 100, 0);
    Probe* below = new Probe(&plug, {0, 0, 100, 100}, 0);
    Probe* above = new Probe(&plug, {50, 0, 150, 100}, 1);
    Probe* unbound = new Probe(&plug, {150, 0, 200, 100}, -1);
    void SetUp() override {
        editor->AddControl(below);
        editor->AddControl(above);
        editor->AddControl(unbound);
        plug.AttachEditor(editor);
        plug.host.ClearRequests();
    }
};
} // namespace

TEST_F(Dispatch, CapturedControlGetsDragsAndReleaseAndTheGestureEnds) {
    editor->MouseDown(20, 20, {});
    editor->MouseDrag(20, 20, {}); // same place: no drag
    editor->MouseDrag(120, 30, {});
    editor->MouseDrag(190, 90, {});
    editor->MouseUp(190, 90, {});
    EXPECT_EQ(below->log, "dggu");
    ASSERT_EQ(below->drags.size(), 2u);
    EXPECT_EQ(below->drags[0], std::make_pair(100, 10)) << "measured from the press";
    EXPECT_EQ(below->drags[1], std::make_pair(70, 60));
    EXPECT_EQ(unbound->log, "");
    ASSERT_EQ(plug.host.EditEvents().size(), 2u);
    EXPECT_EQ(plug.host.EditEvents()[0], (EditEvent{EditEvent::Begin, 0, 0.0}));
    EXPECT_EQ(plug.host.EditEvents()[1], (EditEvent{EditEvent::End, 0, 0.0}));
}

TEST_F(Dispatch, UnboundControlsHaveNoGesture) {
    editor->MouseDown(170, 20, {});
    editor->MouseUp(170, 20, {});
    editor->MouseWheel(170, 20, {}, 2);
    EXPECT_TRUE(plug.host.EditEvents().empty());
}

TEST_F(Dispatch, WheelGestureEndsTwelveTicksAfterTheLastNotch) {
    for (int i = 0; i < 3; ++i) {
        if (i > 0) editor->Tick();
        editor->MouseWheel(20, 20, {}, 1);
    }
    EXPECT_EQ(plug.host.EditCount(EditEvent::Begin), 1);
    EXPECT_EQ(plug.host.EditCount(EditEvent::Automate), 3);
    for (int tick = 1; tick < 12; ++tick)
        editor->Tick();
    EXPECT_EQ(plug.host.EditCount(EditEvent::End), 0);
    editor->Tick();
    EXPECT_EQ(plug.host.EditCount(EditEvent::End, 0), 1);
    EXPECT_FLOAT_EQ(plug.host.EditEvents()[3].value, 0.53f);
}

TEST_F(Dispatch, ClosingDuringAWheelCountdownEndsTheGesture) {
    editor->MouseWheel(20, 20, {}, -1);
    editor->CloseEditorWindow();
    EXPECT_EQ(plug.host.EditCount(EditEvent::End, 0), 1);
    EXPECT_EQ(editor->EndEditCountdown(), 0);
}

TEST_F(Dispatch, RedrawCycleDrawsDirtyControlsOnlyWhereTheyMeetTheArea) {
    // Everything starts dirty, and the values given on attaching draw twice.
    editor->Tick();
    EXPECT_EQ(below->draws, 1);
    EXPECT_EQ(editor->LastCopied(), (IPlugRect{0, 0, 200, 100}));
    editor->Tick();
    EXPECT_EQ(below->draws, 2);
    editor->Tick();
    EXPECT_EQ(editor->ScreenCopies(), 2) << "nothing dirty, nothing drawn";

    // A change from the host redraws on the next two ticks, without echo to the host.
    plug.SetParameterFromHost(2, 0.5f); // no control bound to 2
    plug.SetParameterFromHost(1, 0.9f);
    editor->Tick();
    EXPECT_EQ(editor->LastCopied(), above->DrawRect());
    EXPECT_EQ(below->draws, 3) << "overlaps the dirty area";
    EXPECT_EQ(unbound->draws, 1) << "outside every dirty area since the first pass";
    editor->Tick();
    EXPECT_EQ(editor->ScreenCopies(), 4);
    editor->Tick();
    EXPECT_EQ(editor->ScreenCopies(), 4);
    EXPECT_TRUE(plug.host.EditEvents().empty());
}

TEST_F(Dispatch, BackgroundGoesToIndexZero) {
    editor->SetBackgroundImage(12345, "missing.png"); // no such image: empty, draws nothing
    EXPECT_NE(editor->GetControl(0), below);
    EXPECT_EQ(editor->GetControl(1), below);
    EXPECT_EQ(editor->GetControl(0)->ParamIndex(), -1);
    editor->DrawAll();
}

TEST_F(Dispatch, PressAndReleaseGoToTheTopmostVisibleControl) {
    enum Cover { Shown, Hidden, Grayed };
    const struct {
        int x, y;
        Cover above;
        char receiver; // 'b'elow, 'a'bove, 'u'nbound or '-' for none
    } table[] = {
        {0, 0, Shown, 'b'},     {49, 99, Shown, 'b'},  {50, 0, Shown, 'a'},   {99, 50, Shown, 'a'},
        {149, 99, Shown, 'a'},  {150, 0, Shown, 'u'},  {199, 99, Shown, 'u'}, {200, 50, Shown, '-'},
        {-1, 50, Shown, '-'},   {75, 100, Shown, '-'}, {75, -1, Shown, '-'},  {75, 50, Hidden, 'b'},
        {120, 50, Hidden, '-'}, {99, 0, Grayed, 'b'},  {100, 0, Grayed, '-'},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.x << "," << row.y << " cover " << row.above);
        above->Hide(row.above == Hidden);
        above->SetGrayed(row.above == Grayed);
        EXPECT_EQ(above->Blend().weight, row.above == Grayed ? 0.25f : 1.0f);
        for (Probe* p : {below, above, unbound})
            p->log.clear();
        plug.host.ClearRequests();

        editor->MouseDown(row.x, row.y, {});
        editor->MouseUp(row.x, row.y, {});
        EXPECT_EQ(below->log, row.receiver == 'b' ? "du" : "");
        EXPECT_EQ(above->log, row.receiver == 'a' ? "du" : "");
        EXPECT_EQ(unbound->log, row.receiver == 'u' ? "du" : "");
        EXPECT_EQ(editor->CaptureIndex(), -1) << "released";
        const int param = row.receiver == 'b' ? 0 : row.receiver == 'a' ? 1 : -1;
        if (param < 0) {
            EXPECT_TRUE(plug.host.EditEvents().empty());
        } else {
            EXPECT_EQ(plug.host.EditEvents(),
                      (std::vector<EditEvent>{{EditEvent::Begin, param, 0.0},
                                              {EditEvent::End, param, 0.0}}));
        }
    }
}

TEST_F(Dispatch, WheelStepsWithModifiers) {
    MouseKeys shift, control, alt, both;
    shift.shift = true;
    control.control = true;
    alt.alt = true;
    both.shift = both.control = true;
    const struct {
        const char* name;
        MouseKeys mod;
        int notches;
        double step;
    } table[] = {{"plain", {}, 1, 0.01},     {"plain", {}, -2, -0.02},
                 {"shift", shift, 1, 0.001}, {"control", control, 3, 0.003},
                 {"alt", alt, 1, 0.01},      {"shift+control", both, -1, -0.001},
                 {"plain", {}, 0, 0.0}};
    int begins = 0;
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.name << " " << row.notches);
        below->SetValue(0.5);
        plug.host.ClearRequests();
        editor->MouseWheel(20, 20, row.mod, row.notches);
        EXPECT_NEAR(below->Value(), 0.5 + row.step, 1e-12);
        ASSERT_FALSE(plug.host.EditEvents().empty());
        EXPECT_EQ(plug.host.EditEvents().back().kind, EditEvent::Automate);
        EXPECT_EQ(plug.host.EditEvents().back().index, 0);
        EXPECT_FLOAT_EQ(plug.host.EditEvents().back().value, static_cast<float>(0.5 + row.step));
        EXPECT_EQ(above->Value(), 0.5) << "only the control under the pointer";
        EXPECT_EQ(plug.host.EditCount(EditEvent::End), 0);
        begins += plug.host.EditCount(EditEvent::Begin);
    }
    EXPECT_EQ(begins, 1) << "one gesture for the whole run";
}

TEST_F(Dispatch, DoubleClickRestoresOnlyAnExistingDefault) {
    auto* fresh = new Probe(&plug, {0, 0, 40, 40}, 2); // added after attaching: no default
    editor->AddControl(fresh);
    const struct {
        int x, y;
        IControl* control; // expected receiver, or none
        double before, after;
        int pushes;
    } table[] = {
        {45, 50, below, 0.9, 0.5, 1},    {120, 50, above, 0.1, 0.5, 1},
        {20, 20, fresh, 0.3, 0.3, 0},    {170, 50, unbound, 0.7, 0.7, 0},
        {250, 50, nullptr, 0.0, 0.0, 0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.x << "," << row.y);
        if (row.control) row.control->SetValue(row.before);
        plug.host.ClearRequests();
        EXPECT_FALSE(editor->MouseDoubleClick(row.x, row.y, {})) << "no capture";
        editor->MouseUp(row.x, row.y, {});
        if (row.control) {
            EXPECT_DOUBLE_EQ(row.control->Value(), row.after);
        }
        const int param = row.control ? row.control->ParamIndex() : -1;
        EXPECT_EQ(plug.host.EditCount(EditEvent::Automate), row.pushes);
        EXPECT_EQ(plug.host.EditCount(EditEvent::Begin), param >= 0 ? 1 : 0);
        EXPECT_EQ(plug.host.EditCount(EditEvent::End), param >= 0 ? 1 : 0) << "from the release";
        if (param >= 0) {
            EXPECT_EQ(plug.host.EditEvents().front().index, param);
        }
    }
}

TEST_F(Dispatch, RedrawCopiesTheUnionOfDirtyControls) {
    editor->Tick();
    editor->Tick(); // the values given on attaching are drawn twice
    const IPlugRect all{0, 0, 200, 100};
    const struct {
        const char* name;
        std::vector<Probe*> dirty;
        IPlugRect copied;
        int drawnBelow, drawnAbove, drawnUnbound;
    } table[] = {
        {"below", {below}, {0, 0, 100, 100}, 1, 1, 0},
        {"above", {above}, {50, 0, 150, 100}, 1, 1, 0},
        {"unbound", {unbound}, {150, 0, 200, 100}, 0, 0, 1},
        {"below and unbound", {below, unbound}, all, 1, 1, 1},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        const int copies = editor->ScreenCopies();
        const int b = below->draws, a = above->draws, u = unbound->draws;
        for (Probe* p : row.dirty)
            p->MarkDirty(false);
        editor->Tick();
        EXPECT_EQ(editor->ScreenCopies(), copies + 1);
        EXPECT_EQ(editor->LastCopied(), row.copied);
        EXPECT_EQ(below->draws - b, row.drawnBelow);
        EXPECT_EQ(above->draws - a, row.drawnAbove);
        EXPECT_EQ(unbound->draws - u, row.drawnUnbound);
        editor->Tick();
        EXPECT_EQ(editor->ScreenCopies(), copies + 1) << "marked dirty once, drawn once";
    }

    // Hiding redraws the area twice, without drawing the hidden control.
    const int copies = editor->ScreenCopies();
    const int a = above->draws, b = below->draws;
    above->Hide(true);
    editor->Tick();
    editor->Tick();
    editor->Tick();
    EXPECT_EQ(editor->ScreenCopies(), copies + 2);
    EXPECT_EQ(editor->LastCopied(), above->DrawRect());
    EXPECT_EQ(above->draws, a);
    EXPECT_EQ(below->draws, b + 2);
}

TEST(WheelGesture, EndsAfterHalfASecondOfTicks) {
    // max(1, frames per second / 2) ticks; a rate of 0 means 24 frames per second.
    for (auto [fps, ticks] : {std::pair{24, 12}, {10, 5}, {3, 1}, {2, 1}, {1, 1}, {0, 12}}) {
        SCOPED_TRACE(fps);
        Plug plug;
        auto* editor = new OffscreenEditor(&plug, 100, 100, fps);
        editor->AddControl(new Probe(&plug, {0, 0, 100, 100}, 0));
        plug.AttachEditor(editor);
        editor->MouseWheel(10, 10, {}, 1);
        EXPECT_EQ(editor->EndEditCountdown(), ticks);
        for (int t = 1; t < ticks; ++t)
            editor->Tick();
        EXPECT_EQ(plug.host.EditCount(EditEvent::End), 0);
        editor->Tick();
        EXPECT_EQ(plug.host.EditCount(EditEvent::End, 0), 1);
        editor->Tick();
        EXPECT_EQ(plug.host.EditCount(EditEvent::End), 1);
    }
}

TEST_F(Dispatch, AnotherGestureEndsAPendingWheelGestureFirst) {
    using E = EditEvent;
    const struct {
        const char* name;
        void (*act)(OffscreenEditor&);
        std::vector<EditEvent> events;
    } table[] = {
        {"wheel elsewhere",
         [](OffscreenEditor& e) { e.MouseWheel(120, 20, {}, 1); },
         {{E::Begin, 0, 0.0},
          {E::Automate, 0, 0.51},
          {E::End, 0, 0.0},
          {E::Begin, 1, 0.0},
          {E::Automate, 1, 0.51}}},
        {"wheel on the same control",
         [](OffscreenEditor& e) { e.MouseWheel(20, 20, {}, 1); },
         {{E::Begin, 0, 0.0}, {E::Automate, 0, 0.51}, {E::Automate, 0, 0.52}}},
        {"press on the same control",
         [](OffscreenEditor& e) {
             e.MouseDown(20, 20, {});
             e.MouseUp(20, 20, {});
         },
         {{E::Begin, 0, 0.0},
          {E::Automate, 0, 0.51},
          {E::End, 0, 0.0},
          {E::Begin, 0, 0.0},
          {E::End, 0, 0.0}}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        below->SetValue(0.5);
        above->SetValue(0.5);
        plug.EndPendingEdit();
        plug.host.ClearRequests();
        editor->MouseWheel(20, 20, {}, 1);
        row.act(*editor);
        ASSERT_EQ(plug.host.EditEvents().size(), row.events.size());
        for (std::size_t i = 0; i < row.events.size(); ++i) {
            EXPECT_EQ(plug.host.EditEvents()[i].kind, row.events[i].kind) << i;
            EXPECT_EQ(plug.host.EditEvents()[i].index, row.events[i].index) << i;
            EXPECT_FLOAT_EQ(plug.host.EditEvents()[i].value, row.events[i].value) << i;
        }
    }
}
