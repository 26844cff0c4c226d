// Control behaviour that does not depend on the effect: values, clamps, geometry.
#include "bitmap/heap_bitmap.h"
#include "controls/button.h"
#include "controls/knob.h"
#include "controls/slider.h"
#include "controls/text_control.h"
#include "core/plug_base.h"
#include "editor/offscreen_editor.h"
#include "support/test_plug.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Level starts at 0 here.
struct Plug : InProcessTwoParamPlug {
    Plug() : InProcessTwoParamPlug(0) {}
};

// A control with no drawing of its own, to reach the base behaviour.
class Plain : public IControl {
public:
    using IControl::IControl;
    bool Draw(IPlugEditor&) override { return true; }
};

IPlugImage Image(int width, int height, int frames = 1) {
    static HeapBitmap bitmap(1, 1);
    return IPlugImage{&bitmap, width, height, frames};
}

} // namespace

TEST(IControl, FirstPluginValueBecomesTheDefault) {
    Plug plug;
    Plain c(&plug, {0, 0, 10, 10}, 0);
    c.MarkDrawn();
    c.ApplyPlugValue(0.3);
    EXPECT_DOUBLE_EQ(c.DefaultValue(), 0.3);
    EXPECT_TRUE(c.NeedsDraw());
    c.MarkDrawn();
    EXPECT_TRUE(c.NeedsDraw()) << "redrawn on a second pass";
    c.MarkDrawn();
    c.ApplyPlugValue(0.3);
    EXPECT_FALSE(c.NeedsDraw()) << "the same value leaves it clean";
    c.ApplyPlugValue(0.7);
    c.MouseDoubleClick(0, 0, {});
    EXPECT_DOUBLE_EQ(c.Value(), 0.3);
    EXPECT_EQ(plug.GetParam(0)->Value(), 30.0);
}

TEST(IControl, WheelClamps) {
    Plug plug;
    Plain c(&plug, {0, 0, 10, 10}, 0);
    c.SetValue(1.0);
    plug.host.ClearRequests();
    c.MouseWheel(0, 0, {}, 1);
    EXPECT_EQ(c.Value(), 1.0);
    ASSERT_EQ(plug.host.EditEvents().size(), 1u);
    EXPECT_EQ(plug.host.EditEvents()[0].value, 1.0) << "pushed even at the clamp";
    c.SetValue(std::nan(""));
    c.MarkDirty(false);
    EXPECT_EQ(c.Value(), 0.0);
}

TEST(IControl, UserValueIsPushedEvenWhenUnchanged) {
    Plug plug;
    Plain c(&plug, {0, 0, 10, 10}, 0);
    c.ApplyUserValue(0.0);
    c.ApplyUserValue(0.0);
    EXPECT_EQ(plug.host.EditCount(EditEvent::Automate, 0), 2);
}

TEST(IImageControl, FrameFollowsTheValue) {
    Plug plug;
    HeapBitmap bitmap(4, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 4; ++x)
            bitmap.Bits()[y * bitmap.RowSpan() + x] = 0xFF000000u | (y / 10 + 1);
    OffscreenEditor editor(&plug, 4, 10, 0);
    auto* control = new IImageControl(&plug, {0, 0, 4, 10}, 0, IPlugImage{&bitmap, 4, 30, 3},
                                      IPlugBlend{IPlugBlend::BlendOpaque, 1.0f}, true);
    editor.AddControl(control);
    editor.CreateDrawSurface();
    for (auto [value, frame] : {std::pair{0.24, 1u}, {0.25, 2u}, {0.74, 2u}, {0.75, 3u}}) {
        control->SetValue(value);
        editor.DrawAll();
        EXPECT_EQ(editor.DrawBitmap()->Bits()[0] & 0xFF, frame) << value;
    }
}

TEST(IKnobRotVal, RectanglesFromImageAndText) {
    Plug plug;
    IPlugText style;
    style.size = 16;
    IKnobRotVal big(&plug, 0, 74, 124, Image(81, 81), style, 8, 300, 4.0, 0, 0, 1.0f, true);
    EXPECT_EQ(big.DrawRect(), (IPlugRect{33, 83, 115, 189}));
    IKnobRotVal wide(&plug, 0, 381, 122, Image(50, 50), style, 13, 300, 4.0, 60, 0, 1.0f, true);
    EXPECT_EQ(wide.DrawRect(), (IPlugRect{351, 97, 411, 176}));
    IKnobRotVal bare(&plug, 0, 100, 100, Image(50, 50), style, 0, 300, 4.0, 0, 0, 1.0f, true);
    EXPECT_EQ(bare.DrawRect(), (IPlugRect{75, 75, 125, 125}));
}

TEST(ISlider, Geometry) {
    Plug plug;
    IPlugText style;
    ISlider slider(&plug, 0, {424, 79, 464, 191}, Image(14, 31), style, 96, false,
                   IPlugColor{255, 66, 110, 200}, 2, 7);
    EXPECT_EQ(slider.Track(), (IPlugRect{437, 79, 451, 175}));
    EXPECT_EQ(slider.Travel(), 65);
}

TEST(IButtonClick, RaisesItsFlagOnEveryClick) {
    Plug plug;
    bool clicked = false;
    IButtonClick button(&plug, 1, 115, 83, Image(86, 20), &clicked);
    EXPECT_EQ(button.DrawRect(), (IPlugRect{115, 83, 201, 103}));
    button.SetValue(0.51);
    button.MouseDown(120, 90, {});
    EXPECT_EQ(button.Value(), 0.0);
    EXPECT_TRUE(clicked);
    clicked = false;
    MouseKeys right;
    right.right = true;
    plug.host.ClearRequests();
    button.MouseDown(120, 90, right);
    EXPECT_EQ(button.Value(), 0.0) << "a right click does not toggle";
    EXPECT_TRUE(clicked) << "but still raises the flag";
}

TEST(IRadioButtons, Layout) {
    Plug plug;
    IRadioButtons group(&plug, 1, 115, 103, Image(86, 60, 3), true, 0, 0, 0, 0);
    EXPECT_EQ(group.DrawRect(), (IPlugRect{115, 103, 201, 163}));
    ASSERT_EQ(group.NButtons(), 3);
    EXPECT_EQ(group.Button(0), (IPlugRect{115, 103, 201, 123}));
    EXPECT_EQ(group.Button(1), (IPlugRect{115, 123, 201, 143}));
    EXPECT_EQ(group.Button(2), (IPlugRect{115, 143, 201, 163}));

    IRadioButtons sized(&plug, 1, 0, 0, Image(10, 60, 3), true, 0, 10, 0, 0);
    EXPECT_EQ(sized.Button(0).H(), 10);
    EXPECT_EQ(sized.Button(1).H(), 20);
    EXPECT_EQ(sized.Button(2).H(), 50);

    IRadioButtons row(&plug, 1, 0, 0, Image(30, 10, 3), false, 1, 0, 0, 0);
    EXPECT_EQ(row.DrawRect(), (IPlugRect{0, 0, 90, 10}));
    EXPECT_EQ(row.Button(2), (IPlugRect{60, 0, 90, 10}));
}

TEST(ITextControl, SetTextMarksOnlyRealChanges) {
    Plug plug;
    IPlugText style;
    ITextControl text(&plug, {0, 0, 50, 20}, style, "v1.01");
    text.MarkDrawn();
    text.SetText("v1.01");
    EXPECT_FALSE(text.NeedsDraw());
    text.SetText("v1.02");
    EXPECT_TRUE(text.NeedsDraw());
    EXPECT_STREQ(text.Text(), "v1.02");
}

TEST(ILinkControl, FallsBackWhenTheLinkCannotOpen) {
    struct Links : OffscreenEditor {
        using OffscreenEditor::OffscreenEditor;
        std::vector<std::string> opened;
        bool OpenLink(const char* url, const char*, const char*, const char*) override {
            opened.push_back(url);
            return std::string(url) != "https://broken";
        }
    };
    Plug plug;
    auto* editor = new Links(&plug, 100, 100, 0);
    auto* link = new ILinkControl(&plug, {0, 0, 50, 50}, "https://broken", "https://home", "");
    auto* direct = new ILinkControl(&plug, {50, 0, 100, 50}, "", "https://home", "");
    editor->AddControl(link);
    editor->AddControl(direct);
    plug.AttachEditor(editor);
    MouseKeys right;
    right.right = true;
    editor->MouseDown(10, 10, right);
    editor->MouseDown(60, 10, {});
    EXPECT_EQ(editor->opened,
              (std::vector<std::string>{"https://broken", "https://home", "https://home"}));
}
