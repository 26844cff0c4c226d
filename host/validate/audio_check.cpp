#include "audio_check.h"

#include "alloc_counter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

namespace vhost::validate {
namespace {

double Source(Signal signal, std::int64_t frame, int channel, double rate, std::mt19937& rng) {
    switch (signal) {
    case Signal::Noise:
        return std::uniform_real_distribution<double>(-0.5, 0.5)(rng);
    case Signal::Sine:
        return 0.5 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(frame) / rate +
                              channel);
    case Signal::Impulses:
        return frame % 4410 == 0 ? 1.0 : 0.0;
    case Signal::Silence:
        return 0.0;
    case Signal::DC:
        return 0.5;
    }
    return 0.0;
}

std::string Decibels(double level) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3g (%+.1f dBFS)", level, 20.0 * std::log10(level));
    return text;
}

// The parameters as the plug-in shows them, for telling a fault from a loud setting.
std::string ParametersInForce(PluginInstance& p) {
    constexpr VstInt32 kShown = 64;
    if (p.NumParams() <= 0) return "";
    std::string list = "; parameters in force: ";
    for (VstInt32 i = 0; i < p.NumParams() && i < kShown; ++i) {
        std::string label = p.ParamLabel(i);
        list += (i ? ", " : "") + p.ParamName(i) + " " + p.ParamDisplay(i) +
                (label.empty() ? "" : " " + label);
    }
    if (p.NumParams() > kShown) list += ", and " + std::to_string(p.NumParams() - kShown) + " more";
    return list;
}

std::vector<float> ParameterValues(PluginInstance& p) {
    std::vector<float> values;
    for (VstInt32 i = 0; i < p.NumParams(); ++i)
        values.push_back(p.GetParameter(i));
    return values;
}

// The buffers of one run and its calls into the plug-in.
template <typename T> class Runner {
public:
    Runner(Session& session, const AudioRun& job)
        : session_(session), p_(session.Plugin()), job_(job), rate_(session.Host().SampleRate()) {
        const int nIn = p_.NumInputs(), nOut = p_.NumOutputs();
        const std::size_t block = static_cast<std::size_t>(job.block);
        const int nShared = std::max(nIn, nOut);
        in_.assign(job.inPlace ? nShared : nIn, std::vector<T>(block));
        outStore_.assign(job.inPlace ? 0 : nOut, std::vector<T>(block));
        for (int c = 0; c < nIn; ++c)
            inPtr_.push_back(in_[c].data());
        for (int c = 0; c < nOut; ++c)
            outPtr_.push_back(Out()[c].data());
        // A zero-channel side still gets a valid table.
        inPtr_.push_back(nullptr);
        outPtr_.push_back(nullptr);
    }

    // One call of n frames of the job's signal starting at `frame`.
    void Call(VstInt32 n, std::int64_t frame, std::mt19937& rng, bool countAllocations) {
        const bool accumulate = job_.mode == ProcessMode::Accumulating;
        for (int c = 0; c < static_cast<int>(in_.size()); ++c)
            for (VstInt32 i = 0; i < n; ++i)
                in_[c][i] = c < p_.NumInputs()
                                ? static_cast<T>(Source(job_.signal, frame + i, c, rate_, rng))
                                : T(0);
        if (!job_.inPlace)
            for (auto& channel : outStore_)
                std::fill(channel.begin(), channel.end(),
                          accumulate ? T(0) : std::numeric_limits<T>::quiet_NaN());
        session_.Host().SetPosition(frame, true);
        std::optional<AllocationScope> counting;
        if (countAllocations) counting.emplace();
        if constexpr (std::is_same_v<T, double>)
            p_.ProcessDoubleReplacing(inPtr_.data(), outPtr_.data(), n);
        else if (accumulate)
            p_.ProcessAccumulating(inPtr_.data(), outPtr_.data(), n);
        else
            p_.ProcessReplacing(inPtr_.data(), outPtr_.data(), n);
    }

    int Outputs() const { return p_.NumOutputs(); }
    double Sample(int channel, VstInt32 i) const { return Out()[channel][i]; }

private:
    std::vector<std::vector<T>>& Out() { return job_.inPlace ? in_ : outStore_; }
    const std::vector<std::vector<T>>& Out() const { return job_.inPlace ? in_ : outStore_; }

    Session& session_;
    PluginInstance& p_;
    const AudioRun& job_;
    double rate_;
    std::vector<std::vector<T>> in_, outStore_;
    std::vector<T*> inPtr_, outPtr_;
};

// The output got loud: runs on with parameters and input held, and fails when the level
// keeps growing or ends in NaN or infinity. `at` is the frame to go on from.
template <typename T>
std::optional<std::string> JudgeLoudLevel(Session& session, Runner<T>& runner, const AudioRun& job,
                                          std::int64_t at, double loud, std::mt19937& rng) {
    PluginInstance& p = session.Plugin();
    const auto window = std::max<std::int64_t>(
        job.block, static_cast<std::int64_t>(kJudgeWindowSeconds * session.Host().SampleRate()));
    const std::vector<float> held = ParameterValues(p);
    const std::string what = "the level reached " + Decibels(loud) + " (" + Describe(job) +
                             "), then with its input and parameters held ";
    std::array<double, kJudgeWindows> peaks{};
    for (int w = 0; w < kJudgeWindows; ++w)
        for (std::int64_t done = 0; done < window;) {
            const auto n = static_cast<VstInt32>(std::min<std::int64_t>(job.block, window - done));
            runner.Call(n, at, rng, false);
            for (int c = 0; c < runner.Outputs(); ++c)
                for (VstInt32 i = 0; i < n; ++i) {
                    const double v = runner.Sample(c, i);
                    if (!std::isfinite(v))
                        return what + "it became " + (std::isnan(v) ? "NaN" : "infinite") +
                               " after " + std::to_string(w * window + done + i) + " frames" +
                               ParametersInForce(p);
                    peaks[w] = std::max(peaks[w], std::fabs(v));
                }
            at += n;
            done += n;
        }
    // Parameters that changed meanwhile (the plug-in's own doing) leave no verdict.
    if (KeepsGrowing(peaks) && ParameterValues(p) == held)
        return what + "it kept growing to " + Decibels(peaks.back()) + " in " +
               std::to_string(kJudgeWindows * window) + " frames" + ParametersInForce(p);
    session.SteadyLoudLevel() =
        std::max({session.SteadyLoudLevel(), loud, *std::max_element(peaks.begin(), peaks.end())});
    return std::nullopt;
}

template <typename T>
std::optional<std::string> Run(Session& session, const AudioRun& job, std::mt19937& rng) {
    Runner<T> runner(session, job);
    for (std::int64_t done = 0; done < job.frames;) {
        const VstInt32 n =
            static_cast<VstInt32>(std::min<std::int64_t>(job.block, job.frames - done));
        if (job.beforeBlock) job.beforeBlock(job.startFrame + done);
        runner.Call(n, job.startFrame + done, rng, job.countAllocations);
        double peak = 0.0;
        for (int c = 0; c < runner.Outputs(); ++c)
            for (VstInt32 i = 0; i < n; ++i) {
                const double v = runner.Sample(c, i);
                if (auto fault = SampleFault(v, std::is_same_v<T, float>))
                    return *fault + " at frame " + std::to_string(done + i) + ", channel " +
                           std::to_string(c) + " (" + Describe(job) + ")" +
                           ParametersInForce(session.Plugin());
                peak = std::max(peak, std::fabs(v));
            }
        done += n;
        // A level judged steady is looked into again only when it rises well above it.
        if (job.judgeLoudness && peak > std::max(kLoudLevel, 4.0 * session.SteadyLoudLevel()))
            if (auto fault = JudgeLoudLevel(session, runner, job, job.startFrame + done, peak, rng))
                return fault;
    }
    return std::nullopt;
}

} // namespace

const char* SignalName(Signal signal) noexcept {
    switch (signal) {
    case Signal::Noise:
        return "noise";
    case Signal::Sine:
        return "sine";
    case Signal::Impulses:
        return "impulses";
    case Signal::Silence:
        return "silence";
    case Signal::DC:
        return "DC";
    }
    return "?";
}

std::optional<std::string> SampleFault(double value, bool singlePrecision) {
    if (std::isnan(value)) return "NaN in the output";
    if (std::isinf(value)) return "infinity in the output";
    const bool denormal = singlePrecision
                              ? std::fpclassify(static_cast<float>(value)) == FP_SUBNORMAL
                              : std::fpclassify(value) == FP_SUBNORMAL;
    if (denormal) return "denormal in the output";
    return std::nullopt;
}

bool KeepsGrowing(std::span<const double> peaks) {
    if (peaks.size() < 3) return false;
    for (std::size_t i = 1; i < peaks.size(); ++i)
        if (peaks[i] < 0.95 * peaks[i - 1]) return false;
    const std::size_t last = peaks.size() - 1;
    const double early = peaks[2] - peaks[0], late = peaks[last] - peaks[last - 2];
    return peaks[last] > 0.0 && peaks[last] >= 2.0 * peaks[0] && late >= 0.7 * early;
}

std::string Describe(const AudioRun& job) {
    return std::string(ProcessModeName(job.mode)) + (job.inPlace ? ", in place, " : ", ") +
           SignalName(job.signal);
}

std::optional<std::string> RunSignal(Session& session, const AudioRun& job, std::mt19937& rng) {
    if (job.mode == ProcessMode::DoubleReplacing) return Run<double>(session, job, rng);
    return Run<float>(session, job, rng);
}

} // namespace vhost::validate
