// Heap allocations inside the audio callbacks: in a steady state, and in the blocks after
// the tempo or the sample rate changed. Reported; a steady state that allocates fails only
// at the strict levels.
#include "alloc_counter.h"
#include "audio_check.h"
#include "groups.h"
#include "session.h"

namespace vhost::validate {
namespace {

constexpr int kStrictLevel = 8;

std::uint64_t CountBlocks(Session& session, std::int64_t& at, std::int64_t blocks,
                          std::mt19937& rng) {
    PluginInstance& p = session.Plugin();
    AudioRun job{p.Supports(ProcessMode::Replacing)         ? ProcessMode::Replacing
                 : p.Supports(ProcessMode::DoubleReplacing) ? ProcessMode::DoubleReplacing
                                                            : ProcessMode::Accumulating,
                 false, Signal::Noise, 512, blocks * 512};
    job.startFrame = at;
    job.countAllocations = true;
    at += job.frames;
    const std::uint64_t before = AllocationsCounted();
    if (auto fault = RunSignal(session, job, rng)) throw TestFailure(*fault);
    return AllocationsCounted() - before;
}

} // namespace

void AllocationsGroup(const Settings& settings, Probe& probe) {
    probe.Test("allocations: heap allocations on the audio thread", [&] {
        if (!AllocationCounting()) SkipTest("not counted in a sanitizer build");
        Session session(settings.plugin);
        std::mt19937 rng(settings.seed);
        std::int64_t at = 0;
        session.Host().SetTempo(120.0);
        session.Start(48000, 512);
        CountBlocks(session, at, 8, rng); // the first blocks set the engine up
        const std::int64_t blocks = 50LL * settings.level;
        const std::uint64_t steady = CountBlocks(session, at, blocks, rng);
        session.Host().SetTempo(97.0);
        const std::uint64_t tempo = CountBlocks(session, at, 4, rng);
        session.Start(96000, 512);
        const std::uint64_t rate = CountBlocks(session, at, 4, rng);
        const std::string report = std::to_string(steady) + " in " + std::to_string(blocks) +
                                   " steady blocks, " + std::to_string(tempo) +
                                   " after a tempo change, " + std::to_string(rate) +
                                   " after a sample-rate change";
        Require(steady == 0 || settings.level < kStrictLevel, report);
        return report;
    });
}

} // namespace vhost::validate
