// The command line of velmorande-host.
#pragma once

#include "host/plugin_params.h"
#include "host/renderer.h"

#include <optional>
#include <string>
#include <vector>

namespace vhost {

enum class Mode {
    Render, // PLUGIN INPUT OUTPUT, or only state files and pictures when no audio is given
    Info,   // --info PLUGIN
    Demo,   // --demo DIR PLUGIN
    Diff,   // diff A B: compares two audio files
    Help,
    Version,
};

constexpr double kDefaultTempo = 120.0;
constexpr VstInt32 kDefaultBlockSize = 512;
constexpr double kDefaultDemoTail = 2.0;
// The sample rates the host renders at, from --rate or from INPUT.
constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;

// The settings of one plug-in in the chain.
struct PluginSetup {
    std::string path;
    std::optional<std::string> program;
    std::vector<ParamAssignment> params;
    std::optional<std::string> loadState;
    std::optional<std::string> saveState;
    std::optional<std::string> automation; // --automate FILE
};

struct Options {
    Mode mode = Mode::Render;
    // The first plug-in (PLUGIN), then one for each --then.
    std::vector<PluginSetup> chain = {PluginSetup{}};
    std::string input;
    std::string output;
    std::string demoDir;

    double tempo = kDefaultTempo;
    std::optional<double> sampleRate;
    VstInt32 blockSize = kDefaultBlockSize;
    Precision precision = Precision::Single;
    std::optional<double> tailSeconds;
    std::string channels; // --channels: how INPUT's channels feed the plug-in's inputs
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;

    std::optional<std::string> editorPicture; // PNG of the plug-in's editor
    std::optional<double> editorScale;        // --scale: the editor's pixels per panel pixel
    bool editor = false;                      // open the editor in a window until closed
    std::string format;                       // output container; empty: from the name or INPUT
    std::string encoding;                     // output encoding; empty: the input's
    bool force = false;                       // replace files the user may not write
    bool json = false;
    bool quiet = false;

    // diff A B
    std::string diffA, diffB;
    double tolerance = 0.0;

    const PluginSetup& Plugin() const { return chain.front(); }
};

// Throws UsageError with a message fit for the user.
Options ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

} // namespace vhost
