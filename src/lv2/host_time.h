#pragma once

// The host's transport as far as the effect asks about it, from the time:Position events
// an LV2 host sends.
struct Lv2Time {
    // Hosts without a transport still hear the delay: 120 bpm in 4/4 until told otherwise.
    double tempo = 120.0; // beats per minute, always above 0
    double frame = 0.0;   // the transport's position in samples
    int beatsPerBar = 4;
    int beatUnit = 4;
    bool playing = false;
};
