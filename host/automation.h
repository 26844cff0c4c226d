// Parameter changes over the length of a render, read from a JSON file and applied at the
// frames where they fall: the renderer splits its blocks at every change.
#pragma once

#include "vsthost/plugin_instance.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vhost {

struct Keyframe {
    std::int64_t frame = 0;
    float value = 0.0f; // normalised
};

struct AutomationLane {
    VstInt32 index = 0;
    bool linear = false;        // else a step at every keyframe
    std::vector<Keyframe> keys; // sorted by frame
};

class Automation {
public:
    // Linear ramps are updated every this many frames.
    static constexpr std::int64_t kRampStep = 32;

    explicit Automation(std::vector<AutomationLane> lanes);
    const std::vector<AutomationLane>& Lanes() const noexcept { return lanes_; }

    // The first frame after `frame` at which some value changes; INT64_MAX when none does.
    std::int64_t NextChange(std::int64_t frame) const;
    // The normalised value of a lane from `frame` until its next change.
    static float ValueAt(const AutomationLane& lane, std::int64_t frame);
    // Sets the values in force at `frame` that differ from the ones last set.
    void Apply(PluginInstance& plugin, std::int64_t frame);

private:
    std::vector<AutomationLane> lanes_;
    std::vector<float> applied_;
    std::vector<bool> set_;
};

// Reads an automation document (see --help). Plain values are turned into normalised ones
// through the plug-in, whose parameters are left as they were. Throws HostError naming the
// fault.
Automation ParseAutomation(PluginInstance& plugin, const std::string& json, double sampleRate,
                           double tempo);
Automation LoadAutomation(PluginInstance& plugin, const std::filesystem::path& path,
                          double sampleRate, double tempo);

} // namespace vhost
