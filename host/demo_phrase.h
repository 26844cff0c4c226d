// The built-in demo input: a short deterministic phrase of plucked notes (Karplus-Strong)
// with a kick and a snare hit at 120 bpm, stereo, 44.1 kHz, four seconds.
#pragma once

#include <vector>

namespace vhost {

struct DemoPhrase {
    int sampleRate = 44100;
    int channels = 2;
    std::vector<double> samples; // interleaved left, right
};

DemoPhrase SynthesizeDemoPhrase();

} // namespace vhost
