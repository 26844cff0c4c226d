// The host's audio through the effect: binding the host's buffers, 32/64-bit conversion
// and write-back, shared by every format layer.
#include "core/plug_base.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {
// Widens a host buffer for the effect and answers whether every sample was finite: the
// look for NaN and infinity rides on the copy, so that the effect needs no pass of its own.
// Integer work on the exponent bits, which the compiler vectorises with the conversion.
bool WidenAndCheck(const float* from, double* to, int n) {
    constexpr std::uint32_t kExponent = 0x7F800000u;
    std::uint32_t found = 0;
    for (int i = 0; i < n; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &from[i], sizeof bits);
        found |= static_cast<std::uint32_t>((bits & kExponent) == kExponent);
        to[i] = from[i];
    }
    return found == 0;
}
} // namespace

template <typename Sample, bool kAccumulate>
void IPlugBase::ProcessHostAudio(const Sample* const* inputs, Sample* const* outputs, int nFrames) {
    try {
        PlugMutex::Guard lock(Mutex());
        ProcessHostPieces<Sample, kAccumulate>(inputs, outputs, nFrames);
    } catch (...) {
        inputsKnownFinite_ = false;
        // A failed block is silence: nothing added, or zeros written.
        if (!kAccumulate && outputs && nFrames > 0) ClearHostOutputs(outputs, nFrames);
    }
}

template <typename Sample, bool kAccumulate>
void IPlugBase::ProcessHostPieces(const Sample* const* inputs, Sample* const* outputs,
                                  int nFrames) {
    if (nFrames < 0 || !outputs) return;
    const int block = GetBlockSize();
    if (block <= 0) {
        // No scratch to work in: the host set a block size of 0 and then sent audio.
        if (!kAccumulate) ClearHostOutputs(outputs, nFrames);
        return;
    }
    // A host that sends more frames than it announced gets them processed in pieces
    // that fit the scratch buffers.
    int done = 0;
    do {
        const int n = std::min(nFrames - done, block);
        if constexpr (std::is_same_v<Sample, float>)
            inputsKnownFinite_ = BindInputs(inputs, done, n);
        else
            BindInputs(inputs, done, n);
        BindOutputs(outputs, done);
        ProcessBlock(InputTable(), OutputTable(), n);
        inputsKnownFinite_ = false;
        if constexpr (std::is_same_v<Sample, float>) WriteBack<kAccumulate>(n);
        done += n;
    } while (done < nFrames);
}

template void IPlugBase::ProcessHostAudio<float, true>(const float* const*, float* const*, int);
template void IPlugBase::ProcessHostAudio<float, false>(const float* const*, float* const*, int);
template void IPlugBase::ProcessHostAudio<double, false>(const double* const*, double* const*, int);

// An absent host buffer reads as silence from the channel's own scratch.
void IPlugBase::BindInputs(const double* const* inputs, int offset, int nFrames) {
    int next = 0;
    for (int i = 0; i < NInputs(); ++i) {
        InputChannel& channel = *GetInputChannel(i);
        if (!channel.connected) continue;
        const double* host = inputs ? inputs[next] : nullptr;
        ++next;
        if (host) {
            // The effect only reads its inputs; ProcessBlock's signature has no const.
            *channel.slot = const_cast<double*>(host) + offset;
        } else {
            std::fill_n(channel.scratch.As<double>(), nFrames, 0.0);
            *channel.slot = channel.scratch.As<double>();
        }
    }
}

void IPlugBase::BindOutputs(double* const* outputs, int offset) {
    int next = 0;
    for (int i = 0; i < NOutputs(); ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        if (!channel.connected) continue;
        double* host = outputs[next++];
        *channel.slot = host ? host + offset : channel.scratch.As<double>();
    }
}

bool IPlugBase::BindInputs(const float* const* inputs, int offset, int nFrames) {
    bool finite = true;
    int next = 0;
    for (int i = 0; i < NInputs(); ++i) {
        InputChannel& channel = *GetInputChannel(i);
        if (!channel.connected) continue;
        const float* host = inputs ? inputs[next] : nullptr;
        ++next;
        double* scratch = channel.scratch.As<double>();
        if (host) {
            const bool clean = WidenAndCheck(host + offset, scratch, nFrames);
            finite = finite && clean;
        } else {
            std::fill_n(scratch, nFrames, 0.0);
        }
        *channel.slot = scratch;
    }
    return finite;
}

void IPlugBase::BindOutputs(float* const* outputs, int offset) {
    int next = 0;
    for (int i = 0; i < NOutputs(); ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        if (!channel.connected) continue;
        float* host = outputs[next++];
        channel.hostDestination = host ? host + offset : nullptr;
        *channel.slot = channel.scratch.As<double>();
    }
}

template <bool kAccumulate> void IPlugBase::WriteBack(int nFrames) {
    for (int i = 0; i < NOutputs(); ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        float* dest = channel.hostDestination;
        if (!channel.connected || !dest) continue;
        const double* result = channel.scratch.As<double>();
        for (int f = 0; f < nFrames; ++f) {
            // A decaying echo passes through values that are normal as doubles but
            // denormal as floats; the host gets silence instead, as they cost it dearly.
            float sample = static_cast<float>(result[f]);
            if (std::fabs(sample) < std::numeric_limits<float>::min()) sample = 0.0f;
            if constexpr (kAccumulate)
                dest[f] = sample + dest[f];
            else
                dest[f] = sample;
        }
    }
}

template <typename Sample> void IPlugBase::ClearHostOutputs(Sample* const* outputs, int nFrames) {
    for (int i = 0; i < NOutputs(); ++i)
        if (outputs[i]) std::fill_n(outputs[i], nFrames, Sample(0));
}
