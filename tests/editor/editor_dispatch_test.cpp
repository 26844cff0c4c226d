// The editor's input dispatch and redraw cycle, with plain test controls on a test plug-in.
#include "controls/control.h"
#include "core/plug_base.h"
#include "editor/offscreen_editor.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
class TestPlug : public IPlugBase {
public:
    TestPlug() : IPlugBase(3, "2-2", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, 0, false, false) {
        for (int i = 0; i < 3; ++i)
            GetParam(i)->DefineInteger("P", 50, 0, 100, "%");
    }
};
using Plug = RecordingHost<TestPlug>;

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

class PromptingEditor : public OffscreenEditor {
public:
    using OffscreenEditor::OffscreenEditor;
    void PromptParameter(IControl* control, IPlugParam*) override { prompted.push_back(control); }
    std::vector<IControl*> prompted;
};

struct Dispatch : ::testing::Test {
    Plug plug;
    PromptingEditor* editor = new PromptingEditor(&plug, 200, 100, 0);
    Probe* below = new Probe(&plug, {0, 0, 100, 100}, 0);
    Probe* above = new Probe(&plug, {50, 0, 150, 100}, 1);
    Probe* unbound = new Probe(&plug, {150, 0, 200, 100}, -1);
    void SetUp() override {
        editor->AddControl(below);
        editor->AddControl(above);
        editor->AddControl(unbound);
        plug.AttachEditor(editor);
        plug.events.clear();
    }
};
} // namespace

TEST_F(Dispatch, LaterControlsLieOnTop) {
    editor->MouseDown(75, 50, {});
    editor->MouseUp(75, 50, {});
    EXPECT_EQ(above->log, "du");
    EXPECT_EQ(below->log, "");
    above->Hide(true);
    editor->MouseDown(75, 50, {});
    EXPECT_EQ(below->log, "d") << "hidden controls take no mouse";
    editor->MouseUp(75, 50, {});
    above->Hide(false);
    above->SetGrayed(true);
    EXPECT_EQ(above->Blend().weight, 0.25f);
    editor->MouseDown(75, 50, {});
    EXPECT_EQ(below->log, "dud") << "grayed controls take no mouse";
}

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
    ASSERT_EQ(plug.events.size(), 2u);
    EXPECT_EQ(plug.events[0], (HostEvent{HostEvent::Begin, 0, 0.0}));
    EXPECT_EQ(plug.events[1], (HostEvent{HostEvent::End, 0, 0.0}));
}

TEST_F(Dispatch, UnboundControlsHaveNoGesture) {
    editor->MouseDown(170, 20, {});
    editor->MouseUp(170, 20, {});
    editor->MouseWheel(170, 20, {}, 2);
    EXPECT_TRUE(plug.events.empty());
}

TEST_F(Dispatch, RightClickPromptsOnlyBoundControls) {
    MouseKeys right;
    right.right = true;
    editor->MouseDown(20, 20, right);
    editor->MouseUp(20, 20, right);
    editor->MouseDown(170, 20, right);
    editor->MouseUp(170, 20, right);
    ASSERT_EQ(editor->prompted.size(), 1u);
    EXPECT_EQ(editor->prompted[0], below);
    below->SetNoPrompt(true);
    editor->MouseDown(20, 20, right);
    EXPECT_EQ(editor->prompted.size(), 1u);
}

TEST_F(Dispatch, WheelGestureEndsTwelveTicksAfterTheLastNotch) {
    for (int i = 0; i < 3; ++i) {
        if (i > 0) editor->Tick();
        editor->MouseWheel(20, 20, {}, 1);
    }
    EXPECT_EQ(plug.Count(HostEvent::Begin), 1);
    EXPECT_EQ(plug.Count(HostEvent::Automate), 3);
    for (int tick = 1; tick < 12; ++tick)
        editor->Tick();
    EXPECT_EQ(plug.Count(HostEvent::End), 0);
    editor->Tick();
    EXPECT_EQ(plug.Count(HostEvent::End, 0), 1);
    EXPECT_DOUBLE_EQ(plug.events[3].value, 0.53);
}

TEST_F(Dispatch, ClosingDuringAWheelCountdownEndsTheGesture) {
    editor->MouseWheel(20, 20, {}, -1);
    editor->CloseEditorWindow();
    EXPECT_EQ(plug.Count(HostEvent::End, 0), 1);
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
    EXPECT_TRUE(plug.events.empty());
}

TEST_F(Dispatch, DoubleClickRestoresTheFirstPluginValue) {
    EXPECT_DOUBLE_EQ(below->DefaultValue(), 0.5);
    below->SetValue(0.9);
    editor->MouseDoubleClick(20, 20, {});
    EXPECT_DOUBLE_EQ(below->Value(), 0.5);
    EXPECT_EQ(plug.GetParam(0)->Value(), 50.0);
    EXPECT_EQ(plug.Count(HostEvent::Begin, 0), 1);
    EXPECT_EQ(plug.Count(HostEvent::Automate, 0), 1);
}

TEST_F(Dispatch, TypedValuesAreBracketed) {
    editor->ApplyTypedText(above, plug.GetParam(1), "25%");
    EXPECT_EQ(plug.GetParam(1)->Value(), 25.0);
    ASSERT_EQ(plug.events.size(), 3u);
    EXPECT_EQ(plug.events[0].kind, HostEvent::Begin);
    EXPECT_EQ(plug.events[1].kind, HostEvent::Automate);
    EXPECT_EQ(plug.events[2].kind, HostEvent::End);
}

TEST_F(Dispatch, BackgroundGoesToIndexZero) {
    editor->SetBackgroundImage(12345, "missing.png"); // no such image: empty, draws nothing
    EXPECT_NE(editor->GetControl(0), below);
    EXPECT_EQ(editor->GetControl(1), below);
    EXPECT_EQ(editor->GetControl(0)->ParamIndex(), -1);
    editor->DrawAll();
}
