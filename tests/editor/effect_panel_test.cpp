// The effect's own panel, driven through the editor's entry points.
#include "controls/control.h"
#include "controls/slider.h"
#include "editor/plug_editor.h"
#include "plugin/layout/panel_layout.h"
#include "support/effect_fixture.h"

#include <gtest/gtest.h>

namespace {
struct Panel : ::testing::Test {
    InProcessEffect fx;
    IPlugEditor* editor = nullptr;
    void SetUp() override {
        editor = EditorOf(&fx);
        ASSERT_NE(editor, nullptr);
        OpenEffect(fx, 44100.0);
        StereoBlock(64).Process(fx);
        editor->DrawAll();
        editor->Tick(); // the second pass of the values given on attaching
        fx.host.ClearRequests();
    }
    IControl* Control(int index) { return editor->GetControl(index); }
    void Click(int x, int y, const MouseKeys& mod = {}) {
        editor->MouseDown(x, y, mod);
        editor->MouseUp(x, y, mod);
    }
};
} // namespace

TEST_F(Panel, ControlsAtTheirPlaces) {
    ASSERT_EQ(editor->NControls(), 12);
    const IPlugRect expected[] = {{0, 0, 530, 210},     {45, 12, 95, 30},    {175, 6, 367, 53},
                                  {33, 83, 115, 189},   {33, 83, 115, 189},  {115, 83, 201, 103},
                                  {115, 103, 201, 163}, {214, 97, 264, 176}, {285, 97, 335, 176},
                                  {351, 97, 411, 176},  {424, 79, 464, 191}, {461, 79, 501, 191}};
    const int params[] = {-1, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Control(i)->DrawRect(), expected[i]) << i;
        EXPECT_EQ(Control(i)->ParamIndex(), params[i]) << i;
    }
    EXPECT_EQ(editor->Width(), 530);
    EXPECT_EQ(editor->Height(), 210);
    EXPECT_EQ(editor->FramesPerSecond(), 24);
}

// The artwork is drawn to the layout table's derived places: they are where the controls are.
TEST_F(Panel, TheArtworksPlacesAreTheControls) {
    const auto readout = [&](int i) {
        const IPlugRect& r = Control(i)->DrawRect();
        return IPlugRect{r.left, r.bottom - panel::kValueTextSize, r.right, r.bottom};
    };
    EXPECT_EQ(readout(3), panel::Readout(panel::kDelayKnob, panel::kDelayKnobImage));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readout(7 + i), panel::Readout(panel::kSmallKnobs[i], panel::kSmallKnobImage));
    for (int i = 0; i < 2; ++i) {
        const auto* fader = dynamic_cast<ISliderImg*>(Control(10 + i));
        ASSERT_NE(fader, nullptr);
        EXPECT_EQ(fader->Track(), panel::Track(panel::kFaders[i]));
        EXPECT_EQ(fader->Travel(), panel::Travel());
        EXPECT_EQ(readout(10 + i), panel::FaderReadout(panel::kFaders[i]));
    }
}

TEST_F(Panel, KnobDragIsGearedAndBracketed) {
    IControl* feedback = Control(8);
    const double before = feedback->Value();
    EXPECT_DOUBLE_EQ(before, 60.0 / 99.0);
    editor->MouseDown(310, 122, {});
    editor->MouseDrag(310, 122 - 79, {}); // up by the knob's full height
    editor->MouseUp(310, 43, {});
    EXPECT_DOUBLE_EQ(feedback->Value(), before + 0.25);
    EXPECT_EQ(fx.GetParam(kFeedback)->Value(), 85.0);
    ASSERT_EQ(fx.host.EditEvents().size(), 3u);
    EXPECT_EQ(fx.host.EditEvents()[0], (EditEvent{EditEvent::Begin, kFeedback, 0.0}));
    EXPECT_EQ(fx.host.EditEvents()[1].kind, EditEvent::Automate);
    EXPECT_FLOAT_EQ(fx.host.EditEvents()[1].value, static_cast<float>(before + 0.25));
    EXPECT_EQ(fx.host.EditEvents()[2], (EditEvent{EditEvent::End, kFeedback, 0.0}));
    EXPECT_EQ(fx.Feedback(), 85 * 0.01f);

    editor->MouseDoubleClick(310, 122, {});
    editor->MouseUp(310, 122, {});
    EXPECT_EQ(fx.GetParam(kFeedback)->Value(), 60.0) << "double-click restores the first value";
}

TEST_F(Panel, WheelOnAKnobIsOneGesture) {
    for (int i = 0; i < 3; ++i)
        editor->MouseWheel(239, 122, {}, 1);
    EXPECT_EQ(fx.host.EditCount(EditEvent::Begin, kPanWidth), 1);
    EXPECT_EQ(fx.host.EditCount(EditEvent::Automate, kPanWidth), 3);
    for (int i = 0; i < 11; ++i)
        editor->Tick();
    EXPECT_EQ(fx.host.EditCount(EditEvent::End, kPanWidth), 0);
    editor->Tick();
    EXPECT_EQ(fx.host.EditCount(EditEvent::End, kPanWidth), 1);
    EXPECT_EQ(fx.GetParam(kPanWidth)->Value(), 96.0) << "95% of the range plus three notches";
}

TEST_F(Panel, FaderJumpsAndIgnoresDragsOutsideTheTrack) {
    editor->MouseDown(444, 79 + 65 + 15, {});
    editor->MouseDrag(470, 100, {});
    editor->MouseUp(470, 100, {});
    EXPECT_EQ(fx.GetParam(kDryMix)->Value(), 1.0) << "0.77 % rounds to 1";
    EXPECT_EQ(fx.host.EditCount(EditEvent::Automate, kDryMix), 1);
    EXPECT_EQ(fx.host.EditCount(EditEvent::End, kDryMix), 1);
}

TEST_F(Panel, ModeButtonsSelect) {
    Click(150, 110);
    EXPECT_EQ(fx.GetParam(kPingPong)->Value(), 0.0);
    Click(150, 130);
    EXPECT_EQ(Control(6)->Value(), 0.5);
    EXPECT_EQ(fx.GetParam(kPingPong)->Value(), 1.0);
    EXPECT_EQ(fx.Tap1Offset(), 16538) << "dotted: three quarters of 22050";
}

TEST_F(Panel, SyncButtonConvertsTheDelay) {
    ASSERT_FALSE(Control(3)->IsHidden());
    ASSERT_TRUE(Control(4)->IsHidden());
    Click(150, 90);
    EXPECT_FALSE(fx.HostSync());
    EXPECT_TRUE(Control(3)->IsHidden());
    EXPECT_FALSE(Control(4)->IsHidden());
    EXPECT_EQ(fx.GetParam(kDelayTime)->Value(), 250.0) << "1/8 at 120 bpm";
    EXPECT_EQ(fx.Period(), 22050u);
    EXPECT_EQ(fx.host.EditCount(EditEvent::Automate, kDelayTime), 1);

    editor->MouseWheel(74, 124, {}, 10); // the millisecond knob now takes the mouse
    EXPECT_GT(fx.GetParam(kDelayTime)->Value(), 250.0);
    fx.EndPendingEdit();
    SetPlain(fx, kDelayTime, 500);
    Click(150, 90);
    EXPECT_TRUE(fx.HostSync());
    EXPECT_EQ(fx.GetParam(kDelayRate)->Value(), 12.0) << "500 ms is a quarter note";
    EXPECT_EQ(fx.Period(), 44100u);
}

TEST_F(Panel, HostChangesRedrawBoundControlsTwice) {
    fx.SetParameterFromHost(kWetMix, 0.8f);
    EXPECT_FLOAT_EQ(static_cast<float>(Control(11)->Value()), 0.8f);
    IPlugRect dirty;
    for (int pass = 1; pass <= 2; ++pass) {
        ASSERT_TRUE(editor->FindDirtyArea(dirty)) << pass;
        EXPECT_EQ(dirty, Control(11)->DrawRect()) << pass;
        editor->Tick();
        EXPECT_EQ(editor->UpdateRect(), Control(11)->DrawRect()) << pass;
    }
    EXPECT_FALSE(editor->FindDirtyArea(dirty));
    EXPECT_TRUE(fx.host.EditEvents().empty());
}

TEST_F(Panel, HiddenKnobFollowsItsParameter) {
    ASSERT_TRUE(Control(4)->IsHidden());
    fx.SetParameterFromHost(kDelayTime, 0.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(Control(4)->Value()), 0.5f);
    fx.LoadPreset(3);
    EXPECT_DOUBLE_EQ(Control(3)->Value(), 0.0) << "Bright Room: 1/64";
}

TEST_F(Panel, VersionTextAndLinkHaveNoParameter) {
    MouseKeys right;
    right.right = true;
    Click(60, 20, right);
    EXPECT_TRUE(fx.host.EditEvents().empty());
}

TEST_F(Panel, ImagesAreSharedAcrossInstances) {
    InProcessEffect other;
    IPlugEditor* otherEditor = EditorOf(&other);
    ASSERT_NE(otherEditor, nullptr);
    IPlugImage a = editor->LoadImage(101, "img/knob.png", 1);
    IPlugImage b = otherEditor->LoadImage(101, "img/knob.png", 1);
    EXPECT_EQ(a.bitmap, b.bitmap);
}
