// Decoding the editor's images from memory, as the resource loader does.
#include "bitmap/png_loader.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadImage(const char* name) {
    std::ifstream in(std::string(VELMORANDE_RESOURCES_DIR "/img/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// bg.png is RGBA (530 x 210), but.png RGB without alpha.
void BM_LoadPng(benchmark::State& state, const char* name) {
    const std::vector<std::uint8_t> png = ReadImage(name);
    std::int64_t pixels = 0;
    for (auto _ : state) {
        auto bitmap = LoadPngMemory(png.data(), png.size());
        if (!bitmap) return state.SkipWithError("decode failed");
        pixels += static_cast<std::int64_t>(bitmap->Width()) * bitmap->Height();
        benchmark::DoNotOptimize(bitmap->Bits());
    }
    state.SetItemsProcessed(pixels);
}

} // namespace

BENCHMARK_CAPTURE(BM_LoadPng, rgba_bg, "bg.png");
BENCHMARK_CAPTURE(BM_LoadPng, rgb_button, "but.png");
BENCHMARK_CAPTURE(BM_LoadPng, rgba_knob, "knob.png");
