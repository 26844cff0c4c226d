// The host's whole job on a 10-minute stereo file (velmorande-host as run from the command
// line: read, render through the plug-in with its statistics, write, replace the output)
// against a plain libsndfile copy of the same file: the host's cost over the I/O alone.
#include "host/app.h"
#include "host/audio_file.h"
#include "host/options.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {
constexpr int kRate = 44100;
constexpr std::int64_t kFrames = 600LL * kRate;

std::filesystem::path TenMinutes() {
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / "velmorande-bench-10min.wav";
        vhost::AudioFileWriter writer(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate);
        std::vector<double> block(2 * 4096);
        for (std::int64_t start = 0; start < kFrames; start += 4096) {
            for (int i = 0; i < 4096; ++i) {
                const double t = static_cast<double>(start + i);
                block[2 * i] = 0.4 * std::sin(t * 0.031) * std::sin(t * 0.0002);
                block[2 * i + 1] = 0.4 * std::sin(t * 0.017) * std::cos(t * 0.00013);
            }
            writer.Write(block.data(), std::min<std::int64_t>(4096, kFrames - start));
        }
        writer.Finish();
        return p;
    }();
    return path;
}

std::filesystem::path Output() {
    return std::filesystem::temp_directory_path() / "velmorande-bench-10min-out.wav";
}
} // namespace

static void BM_CopyTenMinutesWithLibsndfile(benchmark::State& state) {
    const auto input = TenMinutes();
    std::vector<double> buffer(2 * 4096);
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* in = sf_open(input.c_str(), SFM_READ, &info);
        SNDFILE* out = sf_open(Output().c_str(), SFM_WRITE, &info);
        sf_count_t n;
        while ((n = sf_readf_double(in, buffer.data(), 4096)) > 0)
            sf_writef_double(out, buffer.data(), n);
        sf_close(out);
        sf_close(in);
    }
    std::filesystem::remove(Output());
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_CopyTenMinutesWithLibsndfile)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_HostRendersTenMinutes(benchmark::State& state) {
    const auto input = TenMinutes();
    vhost::Options options =
        vhost::ParseOptions({VELMORANDE_PLUGIN, "-p", "1", input.string(), Output().string()});
    for (auto _ : state) {
        std::ostringstream out, err;
        if (vhost::RunHost(options, out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    std::filesystem::remove(Output());
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_HostRendersTenMinutes)->Unit(benchmark::kMillisecond)->UseRealTime();
