// Redrawing the effect's 530 x 210 panel: everything at once, and one knob being turned,
// at 1x and at the device scales of high-density screens (150 and 200 percent: 2.25 and 4
// times the pixels).
#include "bitmap/pixel_bitmap.h"
#include "editor/plug_editor.h"
#include "plugin/velmorande.h"

#include <benchmark/benchmark.h>

namespace {
IPlugEditor& OpenedEditor(VSTCLASS& fx, int percent) {
    fx.NotifyAllParams();
    fx.SetSampleRate(44100.0);
    fx.OnReset();
    IPlugEditor& editor = *EditorOf(&fx);
    editor.SetHostScale(percent / 100.0);
    editor.DrawAll();
    editor.Tick(); // glyphs cached and every control settled
    return editor;
}

void CountPixels(benchmark::State& state, const IPlugRect& area) {
    state.counters["pixels"] = area.W() * area.H();
    state.counters["pixels_per_second"] = benchmark::Counter(
        static_cast<double>(area.W()) * area.H(), benchmark::Counter::kIsIterationInvariantRate);
}
} // namespace

static void BM_FullPanelRedraw(benchmark::State& state) {
    VSTCLASS fx;
    IPlugEditor& editor = OpenedEditor(fx, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        editor.MarkAllDirty();
        editor.Tick();
        benchmark::DoNotOptimize(editor.DrawBitmap()->Bits());
    }
    CountPixels(state, {0, 0, editor.WindowWidth(), editor.WindowHeight()});
}
BENCHMARK(BM_FullPanelRedraw)
    ->ArgName("percent")
    ->Arg(100)
    ->Arg(150)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);

// A drag on the Feedback knob: one control changes, and only its area is redrawn.
static void BM_OneKnobTurn(benchmark::State& state) {
    VSTCLASS fx;
    IPlugEditor& editor = OpenedEditor(fx, static_cast<int>(state.range(0)));
    const DisplayScale scale = editor.Scale();
    const int x = scale.ToDevice(310), y = scale.ToDevice(122);
    editor.MouseDown(x, y, {});
    // One panel pixel up and down: each move turns the knob.
    const int step = scale.ToDevice(1);
    int dy = step;
    // The area one turn redraws.
    IPlugRect turned;
    editor.MouseDrag(x, y + dy, {});
    editor.FindDirtyArea(turned);
    editor.Tick();
    for (auto _ : state) {
        dy = -dy;
        editor.MouseDrag(x, y + dy, {});
        editor.Tick();
        benchmark::DoNotOptimize(editor.DrawBitmap()->Bits());
    }
    editor.MouseUp(x, y, {});
    CountPixels(state, turned);
}
BENCHMARK(BM_OneKnobTurn)
    ->ArgName("percent")
    ->Arg(100)
    ->Arg(150)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
