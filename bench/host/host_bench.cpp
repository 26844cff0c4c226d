// 10 s of stereo audio through the plug-in at block sizes 1, 64 and 512: the processing
// callback called directly (the plug-in's own time), the host's render loop around it, and
// the host's whole render from a WAV file to a WAV file, with the decoding of the input
// measured on its own so it can be set aside. The host's render should cost no more than
// twice the plug-in's own time even at one frame a block: its file I/O goes in large
// chunks whatever the block size.
#include "host/audio_file.h"
#include "host/audio_stream.h"
#include "host/renderer.h"
#include "vsthost/host_callback.h"
#include "vsthost/plugin_instance.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {
constexpr int kRate = 44100;
constexpr int kFrames = 10 * kRate;

void BlockSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);
}

std::vector<double> Music() {
    std::vector<double> interleaved(2 * static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        interleaved[2 * i] = 0.4 * std::sin(i * 0.031) * std::sin(i * 0.0002);
        interleaved[2 * i + 1] = 0.4 * std::sin(i * 0.017) * std::cos(i * 0.00013);
    }
    return interleaved;
}

// Takes the output and keeps nothing, so only the host's own work is measured.
class DiscardingSink : public vhost::AudioSink {
public:
    void Write(const double* interleaved, std::int64_t frames) override {
        benchmark::DoNotOptimize(interleaved[0]);
        written += frames;
    }
    std::int64_t written = 0;
};

// Reads from audio already in memory without copying it, like a decoder with nothing to do.
class BorrowedSource : public vhost::AudioSource {
public:
    explicit BorrowedSource(const std::vector<double>& interleaved) : samples_(interleaved) {}
    int Channels() const override { return 2; }
    double SampleRate() const override { return kRate; }
    std::int64_t Frames() const override { return kFrames; }
    std::int64_t Read(double* interleaved, std::int64_t frames) override {
        const std::int64_t n = std::min<std::int64_t>(frames, kFrames - position_);
        std::copy_n(samples_.data() + 2 * position_, 2 * n, interleaved);
        position_ += n;
        return n;
    }

private:
    const std::vector<double>& samples_;
    std::int64_t position_ = 0;
};

std::unique_ptr<vhost::PluginInstance> Load(vhost::HostCallback& host, int block) {
    host.SetTempo(120.0);
    host.SetSampleRate(kRate);
    host.SetBlockSize(block);
    auto plugin = vhost::PluginInstance::Load(VELMORANDE_PLUGIN, host);
    plugin->Prepare(kRate, block);
    plugin->SetProgram(1);
    return plugin;
}

const std::filesystem::path& InputFile() {
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / "velmorande-bench-input.wav";
        std::vector<double> music = Music();
        vhost::AudioFileWriter writer(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate);
        writer.Write(music.data(), kFrames);
        writer.Finish();
        return p;
    }();
    return path;
}
} // namespace

static void BM_PluginAlone(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    vhost::HostCallback host;
    auto plugin = Load(host, block);
    plugin->SetActive(true);
    std::vector<double> music = Music();
    std::vector<double> interleaved(2 * static_cast<std::size_t>(block));
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    AEffect& effect = plugin->Effect();
    for (auto _ : state) {
        // The same source as the host's render, so reading the input counts on both sides.
        BorrowedSource source(music);
        while (source.Read(interleaved.data(), block) == block) {
            for (int i = 0; i < block; ++i) {
                inL[i] = static_cast<float>(interleaved[2 * i]);
                inR[i] = static_cast<float>(interleaved[2 * i + 1]);
            }
            float* ins[2] = {inL.data(), inR.data()};
            float* outs[2] = {outL.data(), outR.data()};
            effect.processReplacing(&effect, ins, outs, block);
            benchmark::DoNotOptimize(outL.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_PluginAlone)->Apply(BlockSizes);

static void BM_HostRenderLoop(benchmark::State& state) {
    vhost::HostCallback host;
    auto plugin = Load(host, static_cast<int>(state.range(0)));
    std::vector<double> music = Music();
    vhost::RenderSettings settings;
    settings.blockSize = static_cast<VstInt32>(state.range(0));
    for (auto _ : state) {
        BorrowedSource source(music);
        DiscardingSink sink;
        vhost::Render(*plugin, source, sink, settings);
        benchmark::DoNotOptimize(sink.written);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_HostRenderLoop)->Apply(BlockSizes);

static void BM_DecodeInputOnly(benchmark::State& state) {
    const auto& path = InputFile();
    std::vector<double> buffer(2 * 4096);
    for (auto _ : state) {
        vhost::AudioFileReader reader(path.string());
        while (reader.Read(buffer.data(), 4096) > 0)
            benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_DecodeInputOnly)->Unit(benchmark::kMillisecond);

static void BM_HostRenderFiles(benchmark::State& state) {
    vhost::HostCallback host;
    auto plugin = Load(host, static_cast<int>(state.range(0)));
    const auto& input = InputFile();
    const auto output = std::filesystem::temp_directory_path() / "velmorande-bench-output.wav";
    vhost::RenderSettings settings;
    settings.blockSize = static_cast<VstInt32>(state.range(0));
    for (auto _ : state) {
        vhost::AudioFileReader reader(input.string());
        vhost::AudioFileWriter writer(output, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate);
        vhost::Render(*plugin, reader, writer, settings);
        writer.Finish();
    }
    std::filesystem::remove(output);
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_HostRenderFiles)->Apply(BlockSizes);
