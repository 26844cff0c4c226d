// Audio from the host: binding the host's buffers, 32/64-bit conversion, write-back.
#include "vst/callbacks.h"
#include "vst/plug_vst.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

void VSTCALLBACK vst_callbacks::Process(AEffect* effect, float** inputs, float** outputs,
                                        VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<float, true>(inputs, outputs, nFrames);
}

void VSTCALLBACK vst_callbacks::ProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                                 VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<float, false>(inputs, outputs, nFrames);
}

void VSTCALLBACK vst_callbacks::ProcessDoubleReplacing(AEffect* effect, double** inputs,
                                                       double** outputs, VstInt32 nFrames) {
    if (IPlugVST* plug = IPlugVST::FromDescriptor(effect))
        plug->ProcessHostBlock<double, false>(inputs, outputs, nFrames);
}

template <typename Sample, bool kAccumulate>
void IPlugVST::ProcessHostBlock(Sample** inputs, Sample** outputs, VstInt32 nFrames) {
    try {
        ProcessHostFrames<Sample, kAccumulate>(inputs, outputs, nFrames);
    } catch (...) {
        // A failed block is silence: nothing added, or zeros written.
        if (!kAccumulate && outputs && nFrames > 0) ClearHostOutputs(outputs, nFrames);
    }
}

template <typename Sample, bool kAccumulate>
void IPlugVST::ProcessHostFrames(Sample** inputs, Sample** outputs, VstInt32 nFrames) {
    PlugMutex::Guard lock(Mutex());
    if (MidiMode() != 0) CallHost(audioMasterWantMidi);
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
        BindInputs(inputs, done, n);
        BindOutputs(outputs, done);
        ProcessBlock(InputTable(), OutputTable(), n);
        if constexpr (std::is_same_v<Sample, float>) WriteBack<kAccumulate>(n);
        done += n;
    } while (done < nFrames);
}

template void IPlugVST::ProcessHostBlock<float, true>(float**, float**, VstInt32);
template void IPlugVST::ProcessHostBlock<float, false>(float**, float**, VstInt32);
template void IPlugVST::ProcessHostBlock<double, false>(double**, double**, VstInt32);

// An absent host buffer reads as silence from the channel's own scratch.
void IPlugVST::BindInputs(double** inputs, int offset, int nFrames) {
    int next = 0;
    for (int i = 0; i < NInputs(); ++i) {
        InputChannel& channel = *GetInputChannel(i);
        if (!channel.connected) continue;
        double* host = inputs ? inputs[next] : nullptr;
        ++next;
        if (host) {
            *channel.slot = host + offset;
        } else {
            std::fill_n(channel.scratch.As<double>(), nFrames, 0.0);
            *channel.slot = channel.scratch.As<double>();
        }
    }
}

void IPlugVST::BindOutputs(double** outputs, int offset) {
    int next = 0;
    for (int i = 0; i < NOutputs(); ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        if (!channel.connected) continue;
        double* host = outputs[next++];
        *channel.slot = host ? host + offset : channel.scratch.As<double>();
    }
}

void IPlugVST::BindInputs(float** inputs, int offset, int nFrames) {
    int next = 0;
    for (int i = 0; i < NInputs(); ++i) {
        InputChannel& channel = *GetInputChannel(i);
        if (!channel.connected) continue;
        const float* host = inputs ? inputs[next] : nullptr;
        ++next;
        double* scratch = channel.scratch.As<double>();
        if (host)
            std::copy_n(host + offset, nFrames, scratch);
        else
            std::fill_n(scratch, nFrames, 0.0);
        *channel.slot = scratch;
    }
}

void IPlugVST::BindOutputs(float** outputs, int offset) {
    int next = 0;
    for (int i = 0; i < NOutputs(); ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        if (!channel.connected) continue;
        float* host = outputs[next++];
        channel.hostDestination = host ? host + offset : nullptr;
        *channel.slot = channel.scratch.As<double>();
    }
}

template <bool kAccumulate> void IPlugVST::WriteBack(int nFrames) {
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

template <typename Sample> void IPlugVST::ClearHostOutputs(Sample** outputs, int nFrames) {
    for (int i = 0; i < effect_.numOutputs; ++i)
        if (outputs[i]) std::fill_n(outputs[i], nFrames, Sample(0));
}
