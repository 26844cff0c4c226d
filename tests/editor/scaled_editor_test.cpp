// The editor drawn for a screen of more device pixels per panel pixel: the scale itself,
// then the effect's panel at 1.5x and 2x against its 1x self.
#include "bitmap/pixel_bitmap.h"
#include "bitmap/pixel_word.h"
#include "controls/control.h"
#include "editor/display_scale.h"
#include "editor/image_cache.h"
#include "editor/plug_editor.h"
#include "plugin/layout/panel_layout.h"
#include "support/effect_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

TEST(DisplayScale, TakesTheLargestScaleNotAboveTheFactor) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double factor;
        int percent;
    } cases[] = {{1.0, 100},    {0.5, 100}, {0.0, 100},  {-2.0, 100},   {1.25, 100},
                 {1.4999, 100}, {1.5, 150}, {1.75, 150}, {1.9999, 150}, {2.0, 200},
                 {2.5, 200},    {3.0, 200}, {inf, 100},  {-inf, 100},   {std::nan(""), 100}};
    for (const auto& c : cases)
        EXPECT_EQ(DisplayScale::ForFactor(c.factor).Percent(), c.percent) << c.factor;
    EXPECT_EQ(DisplayScale::ForDpi(96).Percent(), 100);
    EXPECT_EQ(DisplayScale::ForDpi(120).Percent(), 100);
    EXPECT_EQ(DisplayScale::ForDpi(144).Percent(), 150);
    EXPECT_EQ(DisplayScale::ForDpi(192).Percent(), 200);
    EXPECT_EQ(DisplayScale().Percent(), 100);
}

// Device edges are the nearest to the scaled panel edge; a panel rectangle's device pixels
// lie in the panel pixels they came from; a device rectangle is covered by its panel cover.
TEST(DisplayScale, PanelAndDevicePixelsMeet) {
    for (double factor : {1.0, 1.5, 2.0}) {
        const DisplayScale s = DisplayScale::ForFactor(factor);
        SCOPED_TRACE(s.Percent());
        for (int v = -40; v <= 600; ++v) {
            const double exact = v * factor;
            const int d = s.ToDevice(v);
            ASSERT_TRUE(d >= exact - 1e-9 && d <= exact + 0.5) << v;
            ASSERT_EQ(s.ToPanel(d), v) << "the first device pixel of panel pixel " << v;
            ASSERT_EQ(s.ToPanel(s.ToDevice(v + 1) - 1), v) << "its last device pixel";
        }
        std::srand(7);
        for (int i = 0; i < 2000; ++i) {
            const int l = std::rand() % 1000, t = std::rand() % 400;
            const IPlugRect r{l, t, l + 1 + std::rand() % 300, t + 1 + std::rand() % 200};
            const IPlugRect cover = s.ToDevice(s.PanelCover(r));
            ASSERT_EQ(cover.Intersect(r), r) << r.left << "," << r.top << "," << r.right;
            // and no panel pixel more than needed
            const IPlugRect p = s.PanelCover(r);
            ASSERT_GT(s.ToDevice(p.left + 1), r.left);
            ASSERT_LT(s.ToDevice(p.right - 1), r.right);
        }
        EXPECT_EQ(s.ToDevice(IPlugRect{}), IPlugRect{});
        EXPECT_EQ(s.PanelCover(IPlugRect{}), IPlugRect{});
    }
}

std::uint32_t At(const PixelBitmap& b, int x, int y) {
    return b.Bits()[static_cast<std::ptrdiff_t>(y) * b.RowSpan() + x];
}

int Luma(std::uint32_t p) {
    return (PixelR(p) * 3 + PixelG(p) * 6 + PixelB(p)) / 10;
}

std::vector<std::uint32_t> Copy(const PixelBitmap& b) {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            out.push_back(At(b, x, y));
    return out;
}

struct ScaledPanel : ::testing::TestWithParam<double> {
    InProcessEffect fx;
    IPlugEditor* editor = nullptr;
    DisplayScale scale;

    void SetUp() override {
        editor = EditorOf(&fx);
        ASSERT_NE(editor, nullptr);
        OpenEffect(fx, 44100.0);
        StereoBlock(64).Process(fx);
        scale = DisplayScale::ForFactor(GetParam());
        editor->SetHostScale(GetParam());
        editor->DrawAll();
        editor->Tick();
        fx.host.ClearRequests();
    }
    IControl* Control(int index) { return editor->GetControl(index); }
    // The device pixel at the middle of a panel point's device pixels.
    int D(int panel) const { return scale.ToDevice(panel) + (scale.Percent() > 100 ? 1 : 0) / 2; }
};

TEST_P(ScaledPanel, DrawsTheWholePanelAtTheScale) {
    EXPECT_EQ(editor->Scale(), scale);
    EXPECT_EQ(editor->Width(), panel::kSize.width) << "the layout stays in panel pixels";
    EXPECT_EQ(editor->WindowWidth(), scale.ToDevice(panel::kSize.width));
    EXPECT_EQ(editor->WindowHeight(), scale.ToDevice(panel::kSize.height));
    const PixelBitmap* b = editor->DrawBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width(), editor->WindowWidth());
    EXPECT_EQ(b->Height(), editor->WindowHeight());
    editor->DrawAll();
    EXPECT_EQ(editor->UpdateRect(), (IPlugRect{0, 0, b->Width(), b->Height()}));
}

// Where no control draws, the picture is the background's art of the scale, pixel for
// pixel: sharp, not the 1x image enlarged.
TEST_P(ScaledPanel, ShowsTheArtOfItsScale) {
    const PixelBitmap* art = image_cache::Find(100, scale.Percent());
    ASSERT_NE(art, nullptr);
    ASSERT_EQ(art->Width(), editor->WindowWidth());
    const PixelBitmap& shown = *editor->DrawBitmap();
    int compared = 0;
    // The aluminium strip right of the title plate, above the printed words.
    const IPlugRect strip = scale.ToDevice(IPlugRect{380, 8, 520, 22});
    for (int y = strip.top; y < strip.bottom; ++y)
        for (int x = strip.left; x < strip.right; ++x, ++compared)
            ASSERT_EQ(At(shown, x, y), At(*art, x, y)) << x << "," << y;
    EXPECT_GT(compared, 1000);
}

// The picture at the scale, made as small as 1x again, is the 1x picture but for edges.
TEST_P(ScaledPanel, ShowsTheSamePanelAsAt1x) {
    InProcessEffect one;
    IPlugEditor* small = EditorOf(&one);
    OpenEffect(one, 44100.0);
    const PixelBitmap& ref = *small->DrawPicture();
    const PixelBitmap& big = *editor->DrawBitmap();
    const double f = scale.Factor();
    long total = 0;
    int far = 0;
    for (int y = 0; y < ref.Height(); ++y)
        for (int x = 0; x < ref.Width(); ++x) {
            const int bx = static_cast<int>((x + 0.5) * f), by = static_cast<int>((y + 0.5) * f);
            const int d = std::abs(Luma(At(ref, x, y)) - Luma(At(big, bx, by)));
            total += d;
            far += d > 60;
        }
    const int n = ref.Width() * ref.Height();
    EXPECT_LT(total / n, 6) << "mean difference";
    EXPECT_LT(far, n / 40) << "pixels far apart";
}

// Every device pixel takes the mouse to the control that its panel pixel takes it to at
// 1x: the hit areas scale, with the controls that lie on top staying on top.
TEST_P(ScaledPanel, EveryDevicePixelHitsTheControlOfItsPanelPixel) {
    InProcessEffect one;
    IPlugEditor* small = EditorOf(&one);
    OpenEffect(one, 44100.0);
    // The control that a wheel there reaches, by the parameter it begins an edit of.
    const auto reached = [](InProcessEffect& e, IPlugEditor& ed, int x, int y) {
        e.host.ClearRequests();
        ed.MouseWheel(x, y, {}, 1);
        e.EndPendingEdit();
        return e.host.EditEvents().empty() ? -1 : e.host.EditEvents().front().index;
    };
    std::vector<std::pair<int, int>> points;
    for (int y = 0; y < editor->WindowHeight(); y += 5)
        for (int x = 0; x < editor->WindowWidth(); x += 5)
            points.emplace_back(x, y);
    // The first and last device pixels of every control, and their neighbours outside.
    for (int i = 1; i < editor->NControls(); ++i) {
        const IPlugRect r = scale.ToDevice(Control(i)->DrawRect());
        for (int x : {r.left - 1, r.left, r.right - 1, r.right})
            for (int y : {r.top - 1, r.top, r.bottom - 1, r.bottom})
                points.emplace_back(x, y);
    }
    int hits = 0;
    for (const auto& [x, y] : points) {
        const int expected = reached(one, *small, scale.ToPanel(x), scale.ToPanel(y));
        ASSERT_EQ(reached(fx, *editor, x, y), expected) << x << "," << y;
        hits += expected >= 0;
    }
    EXPECT_GT(hits, 1000);
}

// A drag measures in panel pixels: the same hand movement on the bigger panel turns a knob
// as far as on the 1x panel.
TEST_P(ScaledPanel, DragsTurnKnobsAsFarAsAt1x) {
    IControl* feedback = Control(8);
    const double before = feedback->Value();
    const IPlugRect r = scale.ToDevice(feedback->DrawRect());
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    editor->MouseDown(x, y, {});
    // Up by the knob's height in device pixels, one device pixel at a time.
    for (int dy = 1; dy <= r.H(); ++dy)
        editor->MouseDrag(x, y - dy, {});
    editor->MouseUp(x, y - r.H(), {});
    EXPECT_NEAR(feedback->Value(), before + 0.25, 0.25 / feedback->DrawRect().H());
    EXPECT_EQ(fx.host.EditCount(EditEvent::End, kFeedback), 1);
}

// Redraws cover the changed control's device pixels; its read-out is drawn with the font of
// the scaled size.
TEST_P(ScaledPanel, RedrawsTheChangedControlWithScaledText) {
    fx.SetParameterFromHost(kWetMix, 0.2f);
    editor->Tick();
    EXPECT_EQ(editor->UpdateRect(), scale.ToDevice(Control(11)->DrawRect()));

    // Rows of the Feedback read-out that hold near-white text, at 1x and at the scale.
    const auto inkedRows = [](const PixelBitmap& b, const IPlugRect& r) {
        int rows = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            bool ink = false;
            for (int x = r.left; x < r.right; ++x)
                ink = ink || Luma(At(b, x, y)) > 180;
            rows += ink;
        }
        return rows;
    };
    InProcessEffect one;
    IPlugEditor* small = EditorOf(&one);
    OpenEffect(one, 44100.0);
    const IPlugRect text = panel::Readout(panel::kSmallKnobs[1], panel::kSmallKnobImage);
    const int rows1 = inkedRows(*small->DrawPicture(), text);
    const int rowsN = inkedRows(*editor->DrawBitmap(), scale.ToDevice(text));
    ASSERT_GT(rows1, 5);
    EXPECT_NEAR(rowsN, rows1 * scale.Factor(), 2.0);
}

// A picture at another scale leaves the editor's own bitmap and scale as they were.
TEST_P(ScaledPanel, PicturesAtOtherScalesLeaveTheWindowAlone) {
    const std::vector<std::uint32_t> before = Copy(*editor->DrawBitmap());
    for (double other : {1.0, 1.5, 2.0}) {
        const DisplayScale s = DisplayScale::ForFactor(other);
        const PixelBitmap* picture = editor->DrawPicture(s);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Width(), s.ToDevice(panel::kSize.width));
        EXPECT_EQ(picture->Height(), s.ToDevice(panel::kSize.height));
        EXPECT_EQ(editor->Scale(), scale);
    }
    editor->Tick();
    EXPECT_EQ(Copy(*editor->DrawBitmap()), before);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledPanel, ::testing::Values(1.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return "x" + std::to_string(static_cast<int>(info.param * 100));
                         });

} // namespace
