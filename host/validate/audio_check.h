// Test signals, and running them through a plug-in's audio callbacks while every output
// sample is checked for NaN, infinity and denormals, and a loud level for growth.
#pragma once

#include "session.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>

namespace vhost::validate {

enum class Signal { Noise, Sine, Impulses, Silence, DC };
inline constexpr Signal kSignals[] = {Signal::Noise, Signal::Sine, Signal::Impulses,
                                      Signal::Silence, Signal::DC};
const char* SignalName(Signal signal) noexcept;

// A level above +60 dBFS is looked into: the plug-in runs on with its parameters and input
// held for kJudgeWindows windows of kJudgeWindowSeconds. A level that keeps growing there
// (an unstable filter, feedback above unity) is a fault; a level that holds, however loud,
// is what the settings asked for (gains of +20, +20 and +60 dB exist in real plug-ins).
constexpr double kLoudLevel = 1000.0;
constexpr int kJudgeWindows = 8;
constexpr double kJudgeWindowSeconds = 0.25;

// What is wrong with one output sample, if anything: NaN, infinity, a denormal.
std::optional<std::string> SampleFault(double value, bool singlePrecision);

// Whether the peaks of successive windows of steady input show a level that keeps
// growing: never falling back, at least doubled, and rising at the end about as fast as at
// the start (a build-up towards a steady level, as a long reverb's, slows down).
bool KeepsGrowing(std::span<const double> windowPeaks);

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
    // Whether a loud level is followed to see if it keeps growing. Not where other threads
    // change the parameters by design: there is no holding them.
    bool judgeLoudness = true;
};

// Runs a signal through the running session; returns the first fault found, naming the
// frame, the channel and the parameters in force, or nullopt. Replacing outputs start as
// NaN, so samples the plug-in leaves unwritten are caught too.
std::optional<std::string> RunSignal(Session& session, const AudioRun& job, std::mt19937& rng);

// Describes a run for messages: "replacing, in place, noise".
std::string Describe(const AudioRun& job);

} // namespace vhost::validate
