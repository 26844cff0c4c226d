// Streams audio through an opened plug-in block by block: switches processing on, updates
// the host's transport before each block, pads the input with a silent tail, and switches
// processing off again (also when something throws).
#pragma once

#include "host/audio_stream.h"
#include "host/automation.h"
#include "host/channel_map.h"
#include "host/signal_stats.h"
#include "vsthost/plugin_instance.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vhost {

enum class Precision { Single, Double };

struct RenderSettings {
    double sampleRate = 44100.0;
    VstInt32 blockSize = 512;
    Precision precision = Precision::Single;
    double tempo = 120.0;
    double tailSeconds = 0.0;
    std::string channels; // how the source feeds the first plug-in (see mapChannels)
};

// One plug-in of a chain, with the parameter changes it receives during the render.
struct RenderStage {
    PluginInstance* plugin = nullptr;
    Automation* automation = nullptr;
};

struct RenderReport {
    std::int64_t inputFrames = 0;
    std::int64_t outputFrames = 0;
    int inputChannels = 0;  // of the source
    int outputChannels = 0; // the plug-in's outputs
    double sampleRate = 0.0;
    ProcessMode mode = ProcessMode::Replacing;
    SignalStats input;
    SignalStats output;
    double wallSeconds = 0.0;
    std::int64_t expectedInputFrames = -1; // what the source announced; -1: unknown
    std::vector<std::string> channelNotes; // per stage, when its channels are not one to one
    bool channelsDropped = false;

    bool InputTruncated() const {
        return expectedInputFrames >= 0 && inputFrames < expectedInputFrames;
    }

    double DurationSeconds() const {
        return sampleRate > 0.0 ? static_cast<double>(outputFrames) / sampleRate : 0.0;
    }
    double RealTimeFactor() const {
        return wallSeconds > 0.0 ? DurationSeconds() / wallSeconds : 0.0;
    }
};

// Called after every chunk (a whole number of blocks, at least 8192 frames) with the
// fraction done (0..1; 0 while the length is unknown); it may throw to stop the render.
using ProgressFn = std::function<void(double)>;

// The callback a precision uses: replacing when the plug-in can, else the accumulating
// `process` for single precision. Throws HostError when the plug-in cannot do the precision.
ProcessMode ChooseProcessMode(const PluginInstance& plugin, Precision precision);

// Renders the source through the plug-ins in series into the sink (which receives the last
// plug-in's outputs). The source feeds the first plug-in as settings.channels says; each
// plug-in feeds the next with the default mapping. Blocks are split where automation changes
// a value, so each change takes effect at its frame.
RenderReport Render(const std::vector<RenderStage>& stages, AudioSource& source, AudioSink& sink,
                    const RenderSettings& settings, const ProgressFn& progress = {});
RenderReport Render(PluginInstance& plugin, AudioSource& source, AudioSink& sink,
                    const RenderSettings& settings, const ProgressFn& progress = {});

} // namespace vhost
