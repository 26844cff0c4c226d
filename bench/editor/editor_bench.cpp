// Redrawing the effect's 530 x 210 panel: everything at once, and one knob being turned.
#include "bitmap/pixel_bitmap.h"
#include "editor/plug_editor.h"
#include "plugin/velmorande.h"

#include <benchmark/benchmark.h>

namespace {
IPlugEditor& OpenedEditor(VSTCLASS& fx) {
    fx.NotifyAllParams();
    fx.SetSampleRate(44100.0);
    fx.OnReset();
    IPlugEditor& editor = *EditorOf(&fx);
    editor.DrawAll();
    editor.Tick(); // glyphs cached and every control settled
    return editor;
}
} // namespace

static void BM_FullPanelRedraw(benchmark::State& state) {
    VSTCLASS fx;
    IPlugEditor& editor = OpenedEditor(fx);
    for (auto _ : state) {
        editor.MarkAllDirty();
        editor.Tick();
        benchmark::DoNotOptimize(editor.DrawBitmap()->Bits());
    }
}
BENCHMARK(BM_FullPanelRedraw)->Unit(benchmark::kMicrosecond);

// A drag on the Feedback knob: one control changes, and only its area is redrawn.
static void BM_OneKnobTurn(benchmark::State& state) {
    VSTCLASS fx;
    IPlugEditor& editor = OpenedEditor(fx);
    editor.MouseDown(310, 122, {});
    int step = 1;
    for (auto _ : state) {
        step = -step;
        editor.MouseDrag(310, 122 + step, {});
        editor.Tick();
        benchmark::DoNotOptimize(editor.DrawBitmap()->Bits());
    }
    editor.MouseUp(310, 122, {});
}
BENCHMARK(BM_OneKnobTurn)->Unit(benchmark::kMicrosecond);
