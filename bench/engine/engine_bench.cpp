// Throughput of the reverse-delay engine in stereo frames per second, at 44.1 kHz and
// 120 bpm with 512-frame blocks, beside a loop that only copies the same buffers.
#include "engine/time_only_host.h"
#include "plugin/velmorande.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kBlock = 512;

struct Signal {
    std::vector<double> l, r;
    Signal(int frames, double amplitude) : l(frames), r(frames) {
        for (int i = 0; i < frames; ++i) {
            l[i] = amplitude * std::sin(i * 0.031);
            r[i] = amplitude * std::sin(i * 0.017);
        }
    }
};

void SetPlain(VSTCLASS& fx, int index, double value) {
    fx.SetParameterFromHost(index, static_cast<float>(fx.GetParam(index)->ToNormalized(value)));
}

// Opened the way a host does: every parameter reported once, the sample rate, the reset.
void Open(VSTCLASS& fx, int feedbackPercent) {
    fx.NotifyAllParams();
    fx.SetSampleRate(bench::kRate);
    fx.OnReset();
    fx.SetBlockSize(kBlock);
    SetPlain(fx, kFeedback, feedbackPercent);
}

void Run(benchmark::State& state, VSTCLASS& fx, Signal& in, std::vector<double>& outL,
         std::vector<double>& outR) {
    double* ins[2] = {in.l.data(), in.r.data()};
    double* outs[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        fx.ProcessBlock(ins, outs, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
} // namespace

static void BM_CopyBaseline(benchmark::State& state) {
    Signal in(kBlock, 0.5);
    std::vector<double> outL(kBlock), outR(kBlock);
    for (auto _ : state) {
        std::copy(in.l.begin(), in.l.end(), outL.begin());
        std::copy(in.r.begin(), in.r.end(), outR.begin());
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_CopyBaseline);

static void BM_EngineLoud(benchmark::State& state) {
    VSTCLASS fx(bench::TimeOnlyHost);
    Open(fx, 60);
    Signal in(kBlock, 0.8);
    std::vector<double> outL(kBlock), outR(kBlock);
    Run(state, fx, in, outL, outR);
}
BENCHMARK(BM_EngineLoud);

// Loud input, then a long silence: with 99% feedback on the shortest cycle (2756 samples)
// the echoes decay by 1% a cycle and, after about 70,000 cycles, pass through the
// denormal range for several thousand more. The measured blocks lie in that stretch.
static void BM_EngineSilentTail(benchmark::State& state) {
    VSTCLASS fx(bench::TimeOnlyHost);
    Open(fx, 99);
    SetPlain(fx, kDelayRate, 0);
    Signal loud(kBlock, 1.0);
    std::vector<double> outL(kBlock), outR(kBlock);
    double* ins[2] = {loud.l.data(), loud.r.data()};
    double* outs[2] = {outL.data(), outR.data()};
    for (int i = 0; i < 20; ++i)
        fx.ProcessBlock(ins, outs, kBlock);
    Signal silence(kBlock, 0.0);
    double* quiet[2] = {silence.l.data(), silence.r.data()};
    constexpr long kWarmFrames = 2756L * 70400;
    for (long f = 0; f < kWarmFrames; f += kBlock)
        fx.ProcessBlock(quiet, outs, kBlock);
    Run(state, fx, silence, outL, outR);
}
BENCHMARK(BM_EngineSilentTail)->Iterations(15000);
