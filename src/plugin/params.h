#pragma once

// The effect's parameters by index, as hosts, presets and state see them, and their count.
enum EParams {
    kDelayRate = 0,
    kDelayTime,
    kHostSync,
    kPingPong,
    kPanWidth,
    kFeedback,
    kFreq,
    kDryMix,
    kWetMix,
    kNumParams
};

// "Ping Pong": where the second tap reads, as a part of the cycle.
enum ETapMode { kTapTriplet = 0, kTapDotted = 1, kTapNormal = 2 };
