// The compositing loops the editor runs on every redraw: full-panel blits (530 x 210),
// rotated bilinear knobs, fills, lines and text blur.
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr int kPanelW = 530, kPanelH = 210;

void Pattern(PixelBitmap& b, std::uint32_t seed) {
    std::uint32_t x = seed;
    for (int y = 0; y < b.Height(); ++y)
        for (int i = 0; i < b.Width(); ++i) {
            x = x * 1664525u + 1013904223u;
            b.Bits()[y * b.RowSpan() + i] = x;
        }
}

void PanelBlit(benchmark::State& state, float alpha, BlendMode mode) {
    HeapBitmap dest(kPanelW, kPanelH, 4), src(kPanelW, kPanelH, 4);
    Pattern(dest, 1);
    Pattern(src, 2);
    for (auto _ : state) {
        BlitBitmap(&dest, &src, 0, 0, nullptr, alpha, mode);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPanelW * kPanelH);
}

void BM_BlitCopy(benchmark::State& s) {
    PanelBlit(s, 1.0f, BLEND_COPY);
}
void BM_BlitCopyHalf(benchmark::State& s) {
    PanelBlit(s, 0.5f, BLEND_COPY);
}
void BM_BlitCopyWeighted(benchmark::State& s) {
    PanelBlit(s, 0.7f, BLEND_COPY);
}
void BM_BlitSourceAlpha(benchmark::State& s) {
    PanelBlit(s, 1.0f, BLEND_COPY | BLEND_SOURCE_ALPHA);
}
void BM_BlitSourceAlphaWeighted(benchmark::State& s) {
    PanelBlit(s, 0.7f, BLEND_COPY | BLEND_SOURCE_ALPHA);
}
void BM_BlitAddSourceAlpha(benchmark::State& s) {
    PanelBlit(s, 1.0f, BLEND_ADD | BLEND_SOURCE_ALPHA);
}
void BM_BlitDodgeSourceAlpha(benchmark::State& s) {
    PanelBlit(s, 1.0f, BLEND_DODGE | BLEND_SOURCE_ALPHA);
}
void BM_BlitHsv(benchmark::State& s) {
    PanelBlit(s, 1.0f, BLEND_HSV_ADJUST);
}

void BM_FillSourceAlpha(benchmark::State& state) {
    HeapBitmap dest(kPanelW, kPanelH, 4);
    Pattern(dest, 3);
    for (auto _ : state) {
        FillRectangle(&dest, 0, 0, kPanelW, kPanelH, 0xB0336699, 1.0f,
                      BLEND_COPY | BLEND_SOURCE_ALPHA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPanelW * kPanelH);
}

// A knob image drawn turned, as the rotating knobs do: source-alpha copy, bilinear.
void BM_RotatedKnob(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    HeapBitmap dest(kPanelW, kPanelH, 4), knob(size, size, 4);
    Pattern(dest, 4);
    Pattern(knob, 5);
    float angle = 0.0f;
    for (auto _ : state) {
        BlitRotated(&dest, &knob, 100, 40, size, size, 0, 0, static_cast<float>(size),
                    static_cast<float>(size), angle, false, 1.0f,
                    BLEND_COPY | BLEND_SOURCE_ALPHA | BLEND_BILINEAR);
        angle += 0.01f;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * size * size);
}

void BM_RotatedNearest(benchmark::State& state) {
    HeapBitmap dest(kPanelW, kPanelH, 4), knob(128, 128, 4);
    Pattern(dest, 6);
    Pattern(knob, 7);
    for (auto _ : state) {
        BlitRotated(&dest, &knob, 10, 10, 128, 128, 0, 0, 128, 128, 0.7f, false, 1.0f, BLEND_COPY);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 128 * 128);
}

void BM_BlurInPlace(benchmark::State& state) {
    HeapBitmap dest(kPanelW, kPanelH, 4);
    Pattern(dest, 8);
    for (auto _ : state) {
        BlurRegion(&dest, &dest, 0, 0, 0, 0, kPanelW, kPanelH);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPanelW * kPanelH);
}

void BM_LineAntialiased(benchmark::State& state) {
    HeapBitmap dest(kPanelW, kPanelH, 4);
    Pattern(dest, 9);
    for (auto _ : state) {
        DrawLineSegment(&dest, 0, 0, kPanelW - 1, kPanelH - 1, 0xFFFFFFFF, 0.8f, BLEND_COPY, true);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPanelW);
}

} // namespace

BENCHMARK(BM_BlitCopy);
BENCHMARK(BM_BlitCopyHalf);
BENCHMARK(BM_BlitCopyWeighted);
BENCHMARK(BM_BlitSourceAlpha);
BENCHMARK(BM_BlitSourceAlphaWeighted);
BENCHMARK(BM_BlitAddSourceAlpha);
BENCHMARK(BM_BlitDodgeSourceAlpha);
BENCHMARK(BM_BlitHsv);
BENCHMARK(BM_FillSourceAlpha);
BENCHMARK(BM_RotatedKnob)->Arg(48)->Arg(96);
BENCHMARK(BM_RotatedNearest);
BENCHMARK(BM_BlurInPlace);
BENCHMARK(BM_LineAntialiased);
