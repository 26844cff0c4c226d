// The LV2 plug-in's run against the engine it drives, paired in one run: the same effect
// and program at 44.1 kHz and 120 bpm, per block length (1 is lv2apply's). The ratio is
// run()'s throughput over the engine's own.
#include "lv2/lv2_plugin.h"
#include "lv2/plug_lv2.h"
#include "paired_blocks.h"

#include <vector>

namespace {
constexpr double kRate = 44100.0;
constexpr int kHarp = 9;

void Run(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    // The engine, opened as the LV2 plug-in opens it without a host's largest block.
    const Lv2Plug engine = CreateLv2Plug(nullptr);
    engine->OpenForHost();
    engine->ChangeSampleRate(kRate);
    engine->ChangeBlockSize(4096);
    engine->ChangeProgram(kHarp);
    engine->ChangeActive(true);
    paired::Stereo<double> in(block, 0.5), out(block);

    static const LV2_Descriptor d = Lv2EffectDescriptor(VELMORANDE_LV2_URI);
    const LV2_Feature* none[] = {nullptr};
    LV2_Handle h = d.instantiate(&d, kRate, "", none);
    // Harp's values on the ports, as a host holds them.
    float controls[9] = {3, 500, 1, 2, 90, 80, 6000, 70, 50};
    for (uint32_t i = 0; i < 9; ++i)
        d.connect_port(h, i, &controls[i]);
    paired::Stereo<float> fin(block, 0.5), fout(block);
    d.connect_port(h, 9, fin.l.data());
    d.connect_port(h, 10, fin.r.data());
    d.connect_port(h, 11, fout.l.data());
    d.connect_port(h, 12, fout.r.data());
    d.activate(h);
    paired::Compare(
        state, block, [&] { engine->ProcessBlock(in.both, out.both, block); },
        [&] {
            d.run(h, static_cast<uint32_t>(block));
            benchmark::ClobberMemory();
        });
    d.deactivate(h);
    d.cleanup(h);
}
} // namespace

BENCHMARK(Run)->Arg(1)->Arg(64)->Arg(512)->Arg(4096)->UseManualTime();
