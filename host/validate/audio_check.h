// Test signals, and running them through a plug-in's audio callbacks while every output
// sample is checked for NaN, infinity, denormals and absurd levels.
#pragma once

#include "session.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>

namespace vhost::validate {

enum class Signal { Noise, Sine, Impulses, Silence, DC };
inline constexpr Signal kSignals[] = {Signal::Noise, Signal::Sine, Signal::Impulses,
                                      Signal::Silence, Signal::DC};
const char* signalName(Signal signal) noexcept;

// Above this an output level is absurd (+60 dBFS).
constexpr double kAbsurdLevel = 1000.0;

// What is wrong with one output sample, if anything.
std::optional<std::string> sampleFault(double value, bool singlePrecision);

struct AudioRun {
    AudioRun(ProcessMode m, bool place, Signal s, VstInt32 b, std::int64_t n)
        : mode(m), inPlace(place), signal(s), block(b), frames(n) {}
    ProcessMode mode = ProcessMode::Replacing;
    bool inPlace = false;
    Signal signal = Signal::Noise;
    VstInt32 block = 512;        // frames per call
    std::int64_t frames = 0;     // total
    std::int64_t startFrame = 0; // the transport position of the first frame
    // Called before each call with the frame it starts at (parameter changes, tempo).
    std::function<void(std::int64_t frame)> beforeBlock;
    bool countAllocations = false; // inside the callbacks, see alloc_counter.h
};

// Runs a signal through the running session; returns the first fault found, naming the
// frame and channel, or nullopt. Replacing outputs start as NaN, so samples the plug-in
// leaves unwritten are caught too.
std::optional<std::string> runSignal(Session& session, const AudioRun& job, std::mt19937& rng);

// Describes a run for messages: "replacing, in place, noise".
std::string describe(const AudioRun& job);

} // namespace vhost::validate
