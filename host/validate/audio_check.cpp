#include "audio_check.h"

#include "alloc_counter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace vhost::validate {
namespace {

double source(Signal signal, std::int64_t frame, int channel, double rate, std::mt19937& rng) {
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

template <typename T>
std::optional<std::string> run(Session& session, const AudioRun& job, std::mt19937& rng) {
    PluginInstance& plugin = session.plugin();
    const int nIn = plugin.numInputs();
    const int nOut = plugin.numOutputs();
    const bool accumulate = job.mode == ProcessMode::Accumulating;
    const std::size_t block = static_cast<std::size_t>(job.block);
    const double rate = session.host().sampleRate();
    const int nShared = std::max(nIn, nOut);
    std::vector<std::vector<T>> in(job.inPlace ? nShared : nIn, std::vector<T>(block));
    std::vector<std::vector<T>> outStore(job.inPlace ? 0 : nOut, std::vector<T>(block));
    std::vector<std::vector<T>>& out = job.inPlace ? in : outStore;
    std::vector<T*> inPtr, outPtr;
    for (int c = 0; c < nIn; ++c)
        inPtr.push_back(in[c].data());
    for (int c = 0; c < nOut; ++c)
        outPtr.push_back(out[c].data());
    // A zero-channel side still gets a valid table.
    inPtr.push_back(nullptr);
    outPtr.push_back(nullptr);

    for (std::int64_t done = 0; done < job.frames;) {
        const VstInt32 n =
            static_cast<VstInt32>(std::min<std::int64_t>(job.block, job.frames - done));
        for (int c = 0; c < static_cast<int>(in.size()); ++c)
            for (VstInt32 i = 0; i < n; ++i)
                in[c][i] = c < nIn ? static_cast<T>(source(job.signal, job.startFrame + done + i, c,
                                                           rate, rng))
                                   : T(0);
        if (!job.inPlace)
            for (auto& channel : out)
                std::fill(channel.begin(), channel.end(),
                          accumulate ? T(0) : std::numeric_limits<T>::quiet_NaN());
        if (job.beforeBlock) job.beforeBlock(job.startFrame + done);
        session.host().setPosition(job.startFrame + done, true);
        {
            std::optional<AllocationScope> counting;
            if (job.countAllocations) counting.emplace();
            if constexpr (std::is_same_v<T, double>)
                plugin.processDoubleReplacing(inPtr.data(), outPtr.data(), n);
            else if (accumulate)
                plugin.processAccumulating(inPtr.data(), outPtr.data(), n);
            else
                plugin.processReplacing(inPtr.data(), outPtr.data(), n);
        }
        for (int c = 0; c < nOut; ++c)
            for (VstInt32 i = 0; i < n; ++i)
                if (auto fault = sampleFault(out[c][i], std::is_same_v<T, float>))
                    return *fault + " at frame " + std::to_string(done + i) + ", channel " +
                           std::to_string(c) + " (" + describe(job) + ")";
        done += n;
    }
    return std::nullopt;
}

} // namespace

const char* signalName(Signal signal) noexcept {
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

std::optional<std::string> sampleFault(double value, bool singlePrecision) {
    if (std::isnan(value)) return "NaN in the output";
    if (std::isinf(value)) return "infinity in the output";
    const bool denormal = singlePrecision
                              ? std::fpclassify(static_cast<float>(value)) == FP_SUBNORMAL
                              : std::fpclassify(value) == FP_SUBNORMAL;
    if (denormal) return "denormal in the output";
    if (std::fabs(value) > kAbsurdLevel) return "absurd level " + std::to_string(value);
    return std::nullopt;
}

std::string describe(const AudioRun& job) {
    return std::string(processModeName(job.mode)) + (job.inPlace ? ", in place, " : ", ") +
           signalName(job.signal);
}

std::optional<std::string> runSignal(Session& session, const AudioRun& job, std::mt19937& rng) {
    if (job.mode == ProcessMode::DoubleReplacing) return run<double>(session, job, rng);
    return run<float>(session, job, rng);
}

} // namespace vhost::validate
