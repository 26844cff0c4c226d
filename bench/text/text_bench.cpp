// Drawing the editor's value read-outs with cached glyphs (Arial 16, white at alpha 230,
// centred, as the editor draws them) into its 530 x 210 panel.
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/text/font_cache.h"

#include <benchmark/benchmark.h>

namespace {

struct Readout {
    const char* text;
    IPlugRect rect;
};

// The delay knob's read-out, then the three small knobs and the two faders.
constexpr Readout kReadouts[] = {
    {"500ms", {33, 171, 115, 189}},   {"90%", {214, 160, 264, 176}},  {"60%", {284, 160, 334, 176}},
    {"6000Hz", {351, 160, 411, 176}}, {"100%", {424, 175, 464, 191}}, {"50%", {461, 175, 501, 191}},
};

void DrawReadouts(benchmark::State& state, const char* delayText) {
    HeapBitmap panel(530, 210, 4);
    FillRectangle(&panel, 0, 0, 530, 210, 0xFF303438, 1.0f, BLEND_COPY);
    IPlugText style;
    style.SetFace("Arial");
    style.size = 16;
    style.colour = {230, 255, 255, 255};
    style.align = TEXT_ALIGN_CENTER;
    GlyphFont* font = GetFont(style);
    if (!font) {
        state.SkipWithError("no font");
        return;
    }
    const unsigned format = TEXT_NOCLIP | TEXT_CENTER | TEXT_FOREGROUND_ALPHA;
    auto drawAll = [&] {
        auto lock = font->Lock();
        font->SetForeground(style.colour.Word());
        int height = 0;
        for (const Readout& r : kReadouts) {
            IPlugRect rect = r.rect;
            height += font->DrawString(&panel, r.text == kReadouts[0].text ? delayText : r.text, -1,
                                       rect, format);
        }
        return height;
    };
    drawAll(); // the glyphs are cached from here on
    for (auto _ : state) {
        benchmark::DoNotOptimize(drawAll());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::size(kReadouts));
}

void BM_ReadoutsMilliseconds(benchmark::State& s) {
    DrawReadouts(s, "500ms");
}
void BM_ReadoutsNoteValue(benchmark::State& s) {
    DrawReadouts(s, "1/8");
}

// One read-out alone, for comparison.
void BM_OneReadout(benchmark::State& state) {
    HeapBitmap panel(530, 210, 4);
    IPlugText style;
    style.size = 16;
    style.colour = {230, 255, 255, 255};
    GlyphFont* font = GetFont(style);
    if (!font) {
        state.SkipWithError("no font");
        return;
    }
    font->SetForeground(style.colour.Word());
    IPlugRect rect{351, 160, 411, 176};
    font->DrawString(&panel, "6000Hz", -1, rect, TEXT_NOCLIP | TEXT_CENTER);
    for (auto _ : state) {
        IPlugRect r = rect;
        benchmark::DoNotOptimize(font->DrawString(
            &panel, "6000Hz", -1, r, TEXT_NOCLIP | TEXT_CENTER | TEXT_FOREGROUND_ALPHA));
    }
}

BENCHMARK(BM_ReadoutsMilliseconds);
BENCHMARK(BM_ReadoutsNoteValue);
BENCHMARK(BM_OneReadout);

} // namespace
