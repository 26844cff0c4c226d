// The command line of velmorande-host.
#pragma once

#include "plugin_params.h"
#include "renderer.h"

#include <optional>
#include <string>
#include <vector>

namespace vhost {

enum class Mode {
    Render, // PLUGIN INPUT OUTPUT, or only state files when no audio is given
    Info,   // --info PLUGIN
    Demo,   // --demo DIR PLUGIN
    Diff,   // diff A B: compares two audio files
    Help,
    Version,
};

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
    std::string plugin;
    std::string input;
    std::string output;
    std::string demoDir;

    double tempo = 120.0;
    std::optional<double> sampleRate;
    VstInt32 blockSize = 512;
    Precision precision = Precision::Single;
    std::optional<double> tailSeconds;

    std::optional<std::string> program;
    std::vector<ParamAssignment> params;
    std::optional<std::string> loadState;
    std::optional<std::string> saveState;
    std::optional<std::string> editorPicture; // PNG of the plug-in's editor
    bool editor = false;                      // open the editor in a window until closed
    std::optional<double> editorScale;        // --scale: the editor's pixels per panel pixel
    std::optional<std::string> automation;
    // Plug-ins after the first, each introduced by --then with the options that follow it.
    std::vector<PluginSetup> chained;

    std::string channels; // --channels: how INPUT's channels feed the plug-in's inputs
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    bool json = false;

    // diff A B
    std::string diffA, diffB;
    double tolerance = 0.0;

    std::string format;   // output container; empty: from the output name or the input
    std::string encoding; // output encoding; empty: the input's
    bool quiet = false;
};

// The first plug-in's settings followed by the chained ones.
std::vector<PluginSetup> pluginChain(const Options& options);

// Throws UsageError with a message fit for the user.
Options parseOptions(const std::vector<std::string>& args);

std::string usageText();

} // namespace vhost
