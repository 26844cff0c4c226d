#pragma once

#include "plugin/velmorande.h"
#include "support/in_process_plug.h"

#include <vector>

using InProcessEffect = InProcessPlug<VSTCLASS>;

// Opens an effect the way a host does: open (every parameter reported once), then the
// sample rate (followed by the reset hook).
inline void OpenEffect(InProcessEffect& fx, double sampleRate, double tempo = 120.0) {
    fx.host.SetTempo(tempo);
    fx.NotifyAllParams();
    fx.SetSampleRate(sampleRate);
    fx.OnReset();
}

// An opened effect whose host keeps no log of the requests, for runs of hours (the fuzzers).
inline InProcessEffect* NewUnloggedEffect(double sampleRate) {
    auto* effect = new InProcessEffect();
    effect->host.SetRecording(false);
    OpenEffect(*effect, sampleRate);
    return effect;
}

inline void SetPlain(InProcessEffect& fx, int index, double value) {
    fx.SetParameterFromHost(index, static_cast<float>(fx.GetParam(index)->ToNormalized(value)));
}

// Stereo buffers for one block.
struct StereoBlock {
    explicit StereoBlock(int frames, double fill = 0.0)
        : inL(frames, fill), inR(frames, fill), outL(frames), outR(frames) {}
    std::vector<double> inL, inR, outL, outR;
    double* ins[2];
    double* outs[2];

    void Process(InProcessEffect& fx) {
        ins[0] = inL.data();
        ins[1] = inR.data();
        outs[0] = outL.data();
        outs[1] = outR.data();
        fx.ProcessBlock(ins, outs, static_cast<int>(inL.size()));
    }
};
