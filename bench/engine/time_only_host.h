#pragma once

// The benchmarks' host: it answers only the time, 120 bpm at 44.1 kHz, and costs next to
// nothing per request, so that the effect's own work is what is measured.
#include "vst/aeffect.h"

namespace bench {
constexpr double kRate = 44100.0;

inline VstIntPtr VSTCALLBACK TimeOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                          float) {
    static VstTimeInfo time = [] {
        VstTimeInfo t{};
        t.sampleRate = kRate;
        t.tempo = 120.0;
        t.flags = kVstTempoValid;
        return t;
    }();
    return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
}
} // namespace bench
