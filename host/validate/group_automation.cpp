// Automation while processing: random parameter changes every 32 frames, tempo ramps, and
// sample-rate and block-size changes between blocks.
#include "audio_check.h"
#include "groups.h"
#include "session.h"

namespace vhost::validate {
namespace {

ProcessMode FirstMode(PluginInstance& p) {
    if (p.Supports(ProcessMode::Replacing)) return ProcessMode::Replacing;
    if (p.Supports(ProcessMode::DoubleReplacing)) return ProcessMode::DoubleReplacing;
    return ProcessMode::Accumulating;
}

} // namespace

void AutomationGroup(const Settings& settings, Probe& probe) {
    std::mt19937 rng(settings.seed);

    probe.Test("automation: random parameter changes every 32 frames", [&] {
        Session session(settings.plugin);
        PluginInstance& p = session.Plugin();
        if (p.NumParams() == 0) SkipTest("no parameters");
        session.Start(48000, 512);
        std::uniform_int_distribution<VstInt32> index(0, p.NumParams() - 1);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        const std::int64_t frames = 48000LL * settings.level;
        int changes = 0;
        AudioRun job{FirstMode(p), false, Signal::Noise, 32, frames};
        job.beforeBlock = [&](std::int64_t) {
            p.SetParameter(index(rng), value(rng));
            ++changes;
        };
        auto fault = RunSignal(session, job, rng);
        Require(!fault, fault.value_or(""));
        return std::to_string(changes) + " changes";
    });
    probe.Test("automation: tempo ramps", [&] {
        Session session(settings.plugin);
        PluginInstance& p = session.Plugin();
        session.Start(48000, 256);
        const std::int64_t frames = 24000LL * (2 + settings.level);
        AudioRun job{FirstMode(p), false, Signal::Sine, 256, frames};
        int changes = 0;
        job.beforeBlock = [&](std::int64_t frame) {
            // Up from 40 to 300 bpm and down again, a step every fourth block.
            if (frame % 1024 != 0) return;
            double t = static_cast<double>(frame) / static_cast<double>(frames);
            double bpm = t < 0.5 ? 40.0 + 520.0 * t : 300.0 - 520.0 * (t - 0.5);
            session.Host().SetTempo(bpm);
            ++changes;
        };
        auto fault = RunSignal(session, job, rng);
        Require(!fault, fault.value_or(""));
        return std::to_string(changes) + " tempo changes in " + std::to_string(frames / 256) +
               " blocks";
    });
    probe.Test("automation: sample-rate and block-size changes between blocks", [&] {
        Session session(settings.plugin);
        PluginInstance& p = session.Plugin();
        const double rates[] = {44100, 96000, 48000, 192000, 22050, 88200};
        const VstInt32 blocks[] = {512, 64, 4096, 1, 1024, 333};
        const int changes = 10 + 4 * settings.level;
        std::int64_t position = 0;
        for (int i = 0; i < changes; ++i) {
            const double rate = rates[i % 6];
            const VstInt32 block = blocks[(i * 5 + i / 6) % 6];
            AudioRun job{FirstMode(p), false, kSignals[i % 5], block, 4LL * block};
            probe.Step("switch on at " + std::to_string(static_cast<int>(rate)) + " Hz, block " +
                       std::to_string(block) + ", then " + Describe(job));
            session.Start(rate, block);
            job.startFrame = position;
            position += job.frames;
            auto fault = RunSignal(session, job, rng);
            Require(!fault, fault.value_or("") + " after changing to " + std::to_string(rate) +
                                " Hz, block " + std::to_string(block));
        }
        return std::to_string(changes) + " changes";
    });
}

} // namespace vhost::validate
