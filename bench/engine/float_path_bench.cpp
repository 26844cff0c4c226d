// The VST 2.x audio callbacks against the engine they wrap, paired in one run: the same
// effect at 44.1 kHz and 120 bpm, feedback 60 % and a loud input, per block length. The
// ratio is the callback's throughput over the engine's own.
#include "engine/time_only_host.h"
#include "paired_blocks.h"
#include "plugin/velmorande.h"
#include "vst/plugin_factory.h"

#include <memory>
#include <vector>

namespace {
using bench::kRate;
using bench::TimeOnlyHost;

// One opened instance, as a host runs it.
struct Instance {
    explicit Instance(int block) : plug(CreatePlugin(TimeOnlyHost)) {
        AEffect* e = Effect();
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
        e->dispatcher(e, effSetBlockSize, 0, block, nullptr, 0.0f);
        e->setParameter(e, kFeedback,
                        static_cast<float>(plug->GetParam(kFeedback)->ToNormalized(60)));
        e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    }
    ~Instance() {
        AEffect* e = Effect();
        e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
        plug.release();
        e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
    AEffect* Effect() { return plug->Descriptor(); }
    std::unique_ptr<IPlugVST> plug;
};

enum class Path { kReplacing, kAccumulating, kDouble };

void Callback(benchmark::State& state, Path path) {
    const int block = static_cast<int>(state.range(0));
    Instance engine(block), host(block);
    paired::Stereo<double> in(block, 0.8), out(block);
    paired::Stereo<float> fin(block, 0.8), fout(block);
    paired::Stereo<double> din(block, 0.8), dout(block);
    AEffect* e = host.Effect();
    IPlugVST* fx = engine.plug.get();
    paired::Compare(
        state, block, [&] { fx->ProcessBlock(in.both, out.both, block); },
        [&] {
            switch (path) {
            case Path::kReplacing:
                e->processReplacing(e, fin.both, fout.both, block);
                break;
            case Path::kAccumulating:
                e->process(e, fin.both, fout.both, block);
                break;
            case Path::kDouble:
                e->processDoubleReplacing(e, din.both, dout.both, block);
                break;
            }
            benchmark::ClobberMemory();
        });
}
} // namespace

BENCHMARK_CAPTURE(Callback, processReplacing, Path::kReplacing)
    ->Arg(64)
    ->Arg(512)
    ->Arg(4096)
    ->UseManualTime();
BENCHMARK_CAPTURE(Callback, process, Path::kAccumulating)
    ->Arg(64)
    ->Arg(512)
    ->Arg(4096)
    ->UseManualTime();
BENCHMARK_CAPTURE(Callback, processDoubleReplacing, Path::kDouble)
    ->Arg(64)
    ->Arg(512)
    ->Arg(4096)
    ->UseManualTime();
