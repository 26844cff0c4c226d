// Processing: every offered callback at five sample rates and several block sizes, in place
// and with separate buffers, over five kinds of input; every output sample is checked.
#include "audio_check.h"
#include "groups.h"
#include "session.h"
#include "time_budget.h"

#include <sstream>

namespace vhost::validate {
namespace {

std::vector<ProcessMode> offeredModes(PluginInstance& p) {
    std::vector<ProcessMode> modes;
    for (ProcessMode m :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (p.supports(m)) modes.push_back(m);
    return modes;
}

// Every offered callback, in place and not, over every signal, unless the group's time
// runs out; returns the first fault.
std::string runAll(Session& session, VstInt32 block, std::int64_t frames, std::mt19937& rng,
                   Probe& probe, const TimeBudget& budget) {
    int runs = 0, planned = 0;
    std::string fault;
    for (ProcessMode mode : offeredModes(session.plugin()))
        for (bool inPlace : {false, true}) {
            if (inPlace && mode == ProcessMode::Accumulating) continue;
            for (Signal signal : kSignals) {
                ++planned;
                if (!fault.empty() || budget.spent()) continue;
                AudioRun job{mode, inPlace, signal, block, frames};
                probe.step(describe(job));
                if (auto found = runSignal(session, job, rng)) fault = *found;
                ++runs;
            }
        }
    require(fault.empty(), fault);
    if (runs < planned) probe.warn(budget.stopped(runs, planned, "runs"));
    return std::to_string(runs) + " runs clean";
}

} // namespace

void processingGroup(const Settings& settings, Probe& probe) {
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
            probe.test(name.str(), [&] {
                session.start(rate, block);
                return runAll(
                    session, block,
                    std::max<std::int64_t>(static_cast<std::int64_t>(seconds * rate), 2 * block),
                    rng, probe, budget);
            });
        }
    }
    probe.test("processing: blocks of twice the announced size", [&] {
        Session session(settings.plugin);
        session.start(48000, 512);
        return runAll(session, 1024, 8192, rng, probe, budget);
    });
    probe.test("processing: calls with no frames", [&] {
        Session session(settings.plugin);
        session.start(48000, 512);
        PluginInstance& p = session.plugin();
        float f = 0.0f;
        double d = 0.0;
        std::vector<float*> fin(std::max(p.numInputs(), 1), &f),
            fout(std::max(p.numOutputs(), 1), &f);
        std::vector<double*> din(std::max(p.numInputs(), 1), &d),
            dout(std::max(p.numOutputs(), 1), &d);
        if (p.supports(ProcessMode::Replacing)) p.processReplacing(fin.data(), fout.data(), 0);
        if (p.supports(ProcessMode::Accumulating))
            p.processAccumulating(fin.data(), fout.data(), 0);
        if (p.supports(ProcessMode::DoubleReplacing))
            p.processDoubleReplacing(din.data(), dout.data(), 0);
        require(f == 0.0f && d == 0.0, "a call with no frames wrote a sample");
        return std::string();
    });
}

} // namespace vhost::validate
