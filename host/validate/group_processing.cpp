// Processing: every offered callback at five sample rates and several block sizes, in place
// and with separate buffers, over five kinds of input; every output sample is checked.
#include "audio_check.h"
#include "groups.h"
#include "session.h"
#include "time_budget.h"

#include <sstream>

namespace vhost::validate {
namespace {

std::vector<ProcessMode> OfferedModes(PluginInstance& p) {
    std::vector<ProcessMode> modes;
    for (ProcessMode m :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (p.Supports(m)) modes.push_back(m);
    return modes;
}

// Every offered callback, in place and not, over every signal, unless the group's time
// runs out; returns the first fault.
std::string RunAll(Session& session, VstInt32 block, std::int64_t frames, std::mt19937& rng,
                   Probe& probe, const TimeBudget& budget) {
    int runs = 0, planned = 0;
    std::string fault;
    for (ProcessMode mode : OfferedModes(session.Plugin()))
        for (bool inPlace : {false, true}) {
            if (inPlace && mode == ProcessMode::Accumulating) continue;
            for (Signal signal : kSignals) {
                ++planned;
                if (!fault.empty() || budget.Spent()) continue;
                AudioRun job{mode, inPlace, signal, block, frames};
                probe.Step(Describe(job));
                if (auto found = RunSignal(session, job, rng)) fault = *found;
                ++runs;
            }
        }
    Require(fault.empty(), fault);
    if (runs < planned) probe.Warn(budget.Stopped(runs, planned, "runs"));
    return std::to_string(runs) + " runs clean";
}

} // namespace

void ProcessingGroup(const Settings& settings, Probe& probe) {
    const bool full = settings.level >= 5;
    const std::vector<double> rates = full ? std::vector<double>{44100, 48000, 88200, 96000, 192000}
                                           : std::vector<double>{44100, 48000};
    const std::vector<VstInt32> blocks =
        full ? std::vector<VstInt32>{1, 64, 512, 1024, 4096} : std::vector<VstInt32>{64, 512};
    // Long enough at the strict levels for echoes of long delays to come back.
    const double seconds = settings.level >= 8 ? 2.0 : settings.level >= 5 ? 0.25 : 0.05;
    std::mt19937 rng(settings.seed);
    const TimeBudget budget(settings);

    for (double rate : rates) {
        Session session(settings.plugin);
        for (VstInt32 block : blocks) {
            std::ostringstream name;
            name << "processing: " << rate << " Hz, block " << block;
            probe.Test(name.str(), [&] {
                session.Start(rate, block);
                return RunAll(
                    session, block,
                    std::max<std::int64_t>(static_cast<std::int64_t>(seconds * rate), 2 * block),
                    rng, probe, budget);
            });
        }
    }
    probe.Test("processing: blocks of twice the announced size", [&] {
        Session session(settings.plugin);
        session.Start(48000, 512);
        return RunAll(session, 1024, 8192, rng, probe, budget);
    });
    probe.Test("processing: calls with no frames", [&] {
        Session session(settings.plugin);
        session.Start(48000, 512);
        PluginInstance& p = session.Plugin();
        float f = 0.0f;
        double d = 0.0;
        std::vector<float*> fin(std::max(p.NumInputs(), 1), &f),
            fout(std::max(p.NumOutputs(), 1), &f);
        std::vector<double*> din(std::max(p.NumInputs(), 1), &d),
            dout(std::max(p.NumOutputs(), 1), &d);
        if (p.Supports(ProcessMode::Replacing)) p.ProcessReplacing(fin.data(), fout.data(), 0);
        if (p.Supports(ProcessMode::Accumulating))
            p.ProcessAccumulating(fin.data(), fout.data(), 0);
        if (p.Supports(ProcessMode::DoubleReplacing))
            p.ProcessDoubleReplacing(din.data(), dout.data(), 0);
        Require(f == 0.0f && d == 0.0, "a call with no frames wrote a sample");
        return std::string();
    });
}

} // namespace vhost::validate
