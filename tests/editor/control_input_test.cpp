// How each kind of control turns mouse input and typed text into its value, driven
// through the editor's dispatch the way a window does.
#include "bitmap/heap_bitmap.h"
#include "controls/button.h"
#include "controls/knob.h"
#include "controls/slider.h"
#include "controls/text_control.h"
#include "core/plug_param.h"
#include "editor/offscreen_editor.h"
#include "support/test_plug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
enum Kind { KnobV, KnobH, SliderV, SliderH, Button, Radio, Text };
const char* const kKindNames[] = {"vertical knob",
                                  "horizontal knob",
                                  "vertical slider",
                                  "horizontal slider",
                                  "button",
                                  "radio buttons",
                                  "text"};

class PromptingEditor : public OffscreenEditor {
public:
    using OffscreenEditor::OffscreenEditor;
    void PromptParameter(IControl* control, IPlugParam*) override { prompted.push_back(control); }
    std::vector<IControl*> prompted;
};

IPlugImage Image(int width, int height, int frames = 1) {
    static HeapBitmap bitmap(1, 1);
    return IPlugImage{&bitmap, width, height, frames};
}

// One control of the kind on the plug-in's "Level" (or "Mode" for the radio buttons),
// attached to an editor of its own. Knobs: 40 x 40 around (50, 50). Sliders: a 31-pixel
// handle on a 96-pixel track with a travel of 65, starting at (0, 0).
struct Bench {
    explicit Bench(Kind kind) {
        editor = new PromptingEditor(&plug, 200, 200, 0);
        IPlugText style;
        style.size = 0;
        switch (kind) {
        case KnobV:
        case KnobH:
            control = new IKnobRotVal(&plug, 0, 50, 50, Image(40, 40), style, 0, 300, 4.0, 0,
                                      kind == KnobV ? 0 : 1, 1.0f, true);
            break;
        case SliderV:
            control = new ISliderImg(&plug, 0, {0, 0, 40, 112}, Image(14, 31), style, 96, false);
            break;
        case SliderH:
            control = new ISliderImg(&plug, 0, {0, 0, 112, 40}, Image(31, 14), style, 96, true);
            break;
        case Button:
            control = new IButton(&plug, 0, 0, 0, Image(40, 20));
            break;
        case Radio:
            control = new IRadioButtons(&plug, 1, 0, 0, Image(30, 60, 3), true, 0, 0, 0, 0);
            break;
        case Text:
            control = new ITextControl(&plug, {0, 0, 50, 20}, style, "text");
            break;
        }
        editor->AddControl(control);
        plug.AttachEditor(editor);
        plug.host.ClearRequests();
    }
    void Click(int x, int y, const MouseKeys& mod = {}) {
        editor->MouseDown(x, y, mod);
        editor->MouseUp(x, y, mod);
    }
    InProcessTwoParamPlug plug;
    PromptingEditor* editor;
    IControl* control;
};

MouseKeys Keys(bool shift, bool control, bool alt = false) {
    MouseKeys mod;
    mod.shift = shift;
    mod.control = control;
    mod.alt = alt;
    return mod;
}
} // namespace

// A knob moves 1/4 of its range per drag of its own size along its direction, 1/40 with
// shift or control; the other axis does nothing.
TEST(ControlInput, KnobDragsAlongItsDirection) {
    const struct {
        Kind kind;
        MouseKeys mod;
        int dX, dY;
        double value;
    } table[] = {
        {KnobV, {}, 0, -40, 0.75},
        {KnobV, {}, 0, 40, 0.25},
        {KnobV, {}, 0, -20, 0.625},
        {KnobV, Keys(true, false), 0, -40, 0.525},
        {KnobV, Keys(false, true), 0, 40, 0.475},
        {KnobV, Keys(false, false, true), 0, -40, 0.75},
        {KnobV, {}, 40, 0, 0.5},
        {KnobV, {}, 0, -200, 1.0},
        {KnobV, {}, 0, 200, 0.0},
        {KnobH, {}, 40, 0, 0.75},
        {KnobH, {}, -20, 0, 0.375},
        {KnobH, Keys(true, true), 40, 0, 0.525},
        {KnobH, {}, 0, -40, 0.5},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message()
                     << kKindNames[row.kind] << " by " << row.dX << "," << row.dY << " shift "
                     << row.mod.shift << " control " << row.mod.control);
        Bench bench(row.kind);
        ASSERT_EQ(bench.control->Value(), 0.5);
        bench.editor->MouseDown(50, 50, row.mod);
        bench.editor->MouseDrag(50 + row.dX, 50 + row.dY, row.mod);
        bench.editor->MouseUp(50 + row.dX, 50 + row.dY, row.mod);
        EXPECT_DOUBLE_EQ(bench.control->Value(), row.value);
        EXPECT_EQ(bench.plug.GetParam(0)->Value(), std::floor(row.value * 100 + 0.5));
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::Begin, 0), 1);
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::End, 0), 1);
        const bool moved = row.dX != 0 || row.dY != 0;
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::Automate, 0), moved ? 1 : 0);
    }
}

// A slider's handle centre jumps under the pointer inside the track; elsewhere the press
// does nothing.
TEST(ControlInput, SliderJumpsToThePointer) {
    const struct {
        Kind kind;
        int x, y;
        double value; // < 0: unchanged
    } table[] = {
        {SliderV, 20, 15, 1.0}, {SliderV, 20, 16, 1.0 - 0.5 / 65},
        {SliderV, 20, 48, 0.5}, {SliderV, 13, 80, 1.0 - 64.5 / 65},
        {SliderV, 26, 81, 0.0}, {SliderV, 20, 95, 0.0},
        {SliderV, 12, 48, -1},  {SliderV, 27, 48, -1},
        {SliderV, 20, 96, -1},  {SliderH, 56, 5, 0.5},
        {SliderH, 23, 0, 0.0},  {SliderH, 24, 13, 0.5 / 65},
        {SliderH, 89, 5, 1.0},  {SliderH, 103, 5, 1.0},
        {SliderH, 7, 5, -1},    {SliderH, 104, 5, -1},
        {SliderH, 56, 14, -1},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << kKindNames[row.kind] << " at " << row.x << "," << row.y);
        Bench bench(row.kind);
        bench.control->SetValue(0.3);
        bench.Click(row.x, row.y);
        EXPECT_NEAR(bench.control->Value(), row.value < 0 ? 0.3 : row.value, 1e-12);
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::Automate, 0), row.value < 0 ? 0 : 1);
    }
    // Dragging follows the same rule: out of the track sideways, the handle stays.
    Bench bench(SliderV);
    bench.editor->MouseDown(20, 48, {});
    bench.editor->MouseDrag(20, 16, {});
    bench.editor->MouseDrag(40, 80, {});
    EXPECT_NEAR(bench.control->Value(), 1.0 - 0.5 / 65, 1e-12);
    bench.editor->MouseDrag(14, 80, {});
    EXPECT_NEAR(bench.control->Value(), 1.0 - 64.5 / 65, 1e-12);
}

TEST(ControlInput, ButtonsToggleAndRadioButtonsSelect) {
    const struct {
        Kind kind;
        int x, y;
        bool right;
        double before, after;
    } table[] = {
        {Button, 5, 5, false, 0.0, 1.0},  {Button, 5, 5, false, 0.5, 1.0},
        {Button, 5, 5, false, 0.51, 0.0}, {Button, 5, 5, false, 1.0, 0.0},
        {Button, 5, 5, true, 0.51, 0.51}, {Radio, 5, 0, false, 1.0, 0.0},
        {Radio, 29, 19, false, 1.0, 0.0}, {Radio, 0, 20, false, 0.0, 0.5},
        {Radio, 15, 39, false, 1.0, 0.5}, {Radio, 15, 40, false, 0.0, 1.0},
        {Radio, 15, 59, false, 0.5, 1.0}, {Radio, 15, 30, true, 1.0, 1.0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message()
                     << kKindNames[row.kind] << " at " << row.x << "," << row.y
                     << (row.right ? " right" : " left") << " from " << row.before);
        Bench bench(row.kind);
        bench.control->SetValue(row.before);
        MouseKeys mod;
        mod.right = row.right;
        bench.Click(row.x, row.y, mod);
        EXPECT_EQ(bench.control->Value(), row.after);
        const int param = bench.control->ParamIndex();
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::Automate, param), 1)
            << "pushed even unchanged";
        EXPECT_EQ(bench.plug.host.EditEvents().back(), (EditEvent{EditEvent::End, param, 0.0}));
    }
}

// A right-click asks for a typed value on knobs, sliders and radio buttons, unless
// prompts are off; buttons re-send their value instead; a text control does nothing.
TEST(ControlInput, RightClickEntryPrompt) {
    const struct {
        Kind kind;
        int x, y;
        bool noPrompt;
        bool prompted;
        int pushes;
    } table[] = {
        {KnobV, 50, 50, false, true, 0},   {KnobV, 50, 50, true, false, 0},
        {SliderV, 20, 48, false, true, 0}, {SliderV, 20, 48, true, false, 0},
        {Button, 5, 5, false, false, 1},   {Radio, 15, 30, false, true, 1},
        {Radio, 15, 30, true, false, 1},   {Text, 5, 5, false, false, 0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << kKindNames[row.kind] << " no prompt " << row.noPrompt);
        Bench bench(row.kind);
        bench.control->SetNoPrompt(row.noPrompt);
        const double before = bench.control->Value();
        MouseKeys right;
        right.right = true;
        bench.Click(row.x, row.y, right);
        EXPECT_EQ(bench.editor->prompted.size(), row.prompted ? 1u : 0u);
        if (row.prompted) {
            EXPECT_EQ(bench.editor->prompted[0], bench.control);
        }
        EXPECT_EQ(bench.control->Value(), before);
        EXPECT_EQ(bench.plug.host.EditCount(EditEvent::Automate), row.pushes);
    }
}

// A committed entry sets every kind of bound control through its parameter, clamped and
// bracketed as one host edit; a text control takes the text itself.
TEST(ControlInput, TypedValues) {
    const struct {
        Kind kind;
        const char* text;
        double value;
    } table[] = {
        {KnobV, "25", 0.25},    {KnobV, "150", 1.0},  {KnobV, "-3", 0.0}, {KnobV, "abc", 0.0},
        {SliderV, "75%", 0.75}, {Button, "100", 1.0}, {Radio, "1", 0.5},  {Radio, "9", 1.0},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << kKindNames[row.kind] << " \"" << row.text << "\"");
        Bench bench(row.kind);
        const int param = bench.control->ParamIndex();
        bench.editor->ApplyTypedText(bench.control, bench.plug.GetParam(param), row.text);
        EXPECT_DOUBLE_EQ(bench.control->Value(), row.value);
        EXPECT_DOUBLE_EQ(bench.plug.GetParam(param)->NormalizedValue(), row.value);
        ASSERT_EQ(bench.plug.host.EditEvents().size(), 3u);
        EXPECT_EQ(bench.plug.host.EditEvents()[0], (EditEvent{EditEvent::Begin, param, 0.0}));
        EXPECT_EQ(bench.plug.host.EditEvents()[1].kind, EditEvent::Automate);
        EXPECT_EQ(bench.plug.host.EditEvents()[2], (EditEvent{EditEvent::End, param, 0.0}));
    }
    Bench bench(Text);
    auto* text = static_cast<ITextControl*>(bench.control);
    bench.editor->ApplyTypedText(text, nullptr, "typed");
    EXPECT_STREQ(text->Text(), "text") << "not editable";
    text->SetEditable(true);
    text->MarkDrawn();
    bench.editor->ApplyTypedText(text, nullptr, "typed");
    EXPECT_STREQ(text->Text(), "typed");
    EXPECT_TRUE(text->NeedsDraw());
    EXPECT_TRUE(bench.plug.host.EditEvents().empty());
}

// Radio buttons light the button nearest to (n - 1) x value, as the part of the whole-group
// picture under it.
TEST(ControlInput, RadioButtonsLightTheSelectedButton) {
    HeapBitmap picture(30, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 30; ++x)
            picture.Bits()[y * picture.RowSpan() + x] = 0xFF000000u | (y / 20 + 1);
    for (auto [value, lit] :
         {std::pair{0.0, 1}, {0.24, 1}, {0.26, 2}, {0.5, 2}, {0.74, 2}, {0.76, 3}, {1.0, 3}}) {
        SCOPED_TRACE(value);
        InProcessTwoParamPlug plug;
        OffscreenEditor editor(&plug, 30, 60, 0);
        auto* group =
            new IRadioButtons(&plug, 1, 0, 0, IPlugImage{&picture, 30, 60, 3}, true, 0, 0, 0, 0);
        editor.AddControl(group);
        editor.CreateDrawSurface();
        PixelBitmap& out = *editor.DrawBitmap();
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 30; ++x)
                out.Bits()[y * out.RowSpan() + x] = 0xFF000000u;
        group->SetValue(value);
        editor.DrawAll();
        for (int button = 1; button <= 3; ++button) {
            const std::uint32_t centre = out.Bits()[(button * 20 - 10) * out.RowSpan() + 15];
            EXPECT_EQ(centre & 0xFF, button == lit ? static_cast<unsigned>(button) : 0u)
                << "button " << button;
        }
    }
}
