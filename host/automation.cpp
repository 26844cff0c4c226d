#include "host/automation.h"

#include "host/command_errors.h"
#include "host/fx_file.h"
#include "host/json.h"
#include "host/plugin_params.h"
#include "host/plugin_state.h"
#include "host/text_match.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vhost {
namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

// Index of the last key at or before `frame`, or -1.
std::ptrdiff_t KeyBefore(const AutomationLane& lane, std::int64_t frame) {
    auto it = std::upper_bound(lane.keys.begin(), lane.keys.end(), frame,
                               [](std::int64_t f, const Keyframe& k) { return f < k.frame; });
    return (it - lane.keys.begin()) - 1;
}

std::int64_t LaneNextChange(const AutomationLane& lane, std::int64_t frame) {
    std::ptrdiff_t k = KeyBefore(lane, frame);
    const auto next = static_cast<std::size_t>(k + 1);
    std::int64_t change = next < lane.keys.size() ? lane.keys[next].frame : kNever;
    if (lane.linear && k >= 0 && next < lane.keys.size()) {
        const std::int64_t start = lane.keys[static_cast<std::size_t>(k)].frame;
        const std::int64_t step =
            start + ((frame - start) / Automation::kRampStep + 1) * Automation::kRampStep;
        change = std::min(change, step);
    }
    return change;
}

std::string Where(const std::string& name) {
    return "automation of '" + name + "': ";
}

// The normalised value of point `point` (from 1) of a lane, as -P would set it.
float NormalisedValue(PluginInstance& plugin, VstInt32 index, const std::string& name,
                      std::size_t point, const JsonValue& v) {
    const std::string at = Where(name) + "point " + std::to_string(point) + ": ";
    std::string text;
    if (v.IsNumber()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", v.Number());
        text = buf;
    } else if (v.IsString()) {
        text = v.String();
    } else {
        throw HostError(at + "a value is a number or a text like \"1/8\" or \"0.4n\"");
    }
    try {
        return ApplyParameter(plugin, ParseParamValue(std::to_string(index), text)).normalized;
    } catch (const HostError& e) {
        throw HostError(at + e.what());
    }
}

} // namespace

Automation::Automation(std::vector<AutomationLane> lanes)
    : lanes_(std::move(lanes)), applied_(lanes_.size(), 0.0f), set_(lanes_.size(), false) {}

float Automation::ValueAt(const AutomationLane& lane, std::int64_t frame) {
    if (lane.keys.empty()) return 0.0f;
    std::ptrdiff_t k = KeyBefore(lane, frame);
    if (k < 0) return lane.keys.front().value;
    const Keyframe& a = lane.keys[static_cast<std::size_t>(k)];
    if (!lane.linear || static_cast<std::size_t>(k + 1) >= lane.keys.size()) return a.value;
    const Keyframe& b = lane.keys[static_cast<std::size_t>(k + 1)];
    const double t = static_cast<double>(frame - a.frame) / static_cast<double>(b.frame - a.frame);
    return static_cast<float>(a.value + t * (b.value - a.value));
}

std::int64_t Automation::NextChange(std::int64_t frame) const {
    std::int64_t next = kNever;
    for (const AutomationLane& lane : lanes_)
        next = std::min(next, LaneNextChange(lane, frame));
    return next;
}

void Automation::Apply(PluginInstance& plugin, std::int64_t frame) {
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        float v = ValueAt(lanes_[i], frame);
        if (set_[i] && v == applied_[i]) continue;
        plugin.SetParameter(lanes_[i].index, v);
        applied_[i] = v;
        set_[i] = true;
    }
}

Automation ParseAutomation(PluginInstance& plugin, const std::string& json, double sampleRate,
                           double tempo) {
    JsonValue doc = ParseJson(json);
    if (!doc.IsObject())
        throw HostError("an automation file is a JSON object of parameters (see --help)");
    std::vector<AutomationLane> lanes;
    std::vector<std::string> keys;
    for (const auto& [name, keyframes] : doc.Object()) {
        AutomationLane lane;
        lane.index = FindParameter(plugin, name);
        // Two lanes for one parameter would fight: the file names each once.
        for (std::size_t k = 0; k < lanes.size(); ++k)
            if (lanes[k].index == lane.index)
                throw HostError("the keys \"" + keys[k] + "\" and \"" + name +
                                "\" both name parameter " + std::to_string(lane.index) + " (" +
                                Trimmed(plugin.ParamName(lane.index)) +
                                "): give each parameter once");
        keys.push_back(name);
        if (!keyframes.IsObject())
            throw HostError(Where(name) + "expected an object with \"points\"");
        for (const auto& [key, v] : keyframes.Object())
            if (key != "ramp" && key != "unit" && key != "points")
                throw HostError(Where(name) + "unknown key \"" + key + "\" (ramp, unit, points)");
        double framesPerUnit = sampleRate;
        if (const JsonValue* unit = keyframes.Find("unit")) {
            if (!unit->IsString() || (unit->String() != "seconds" && unit->String() != "beats"))
                throw HostError(Where(name) + "\"unit\" is \"seconds\" or \"beats\"");
            if (unit->String() == "beats") framesPerUnit = sampleRate * 60.0 / tempo;
        }
        if (const JsonValue* ramp = keyframes.Find("ramp")) {
            if (!ramp->IsString() || (ramp->String() != "step" && ramp->String() != "linear"))
                throw HostError(Where(name) + "\"ramp\" is \"step\" or \"linear\"");
            lane.linear = ramp->String() == "linear";
        }
        const JsonValue* points = keyframes.Find("points");
        if (!points || !points->IsArray() || points->Array().empty())
            throw HostError(Where(name) + "\"points\" is a list of [time, value] pairs");
        // Converting plain values moves the parameter, and maybe others with it: the whole
        // state is put back afterwards.
        const FxProgram before = CaptureProgram(plugin);
        for (const JsonValue& p : points->Array()) {
            const std::size_t number = lane.keys.size() + 1;
            if (!p.IsArray() || p.Array().size() != 2 || !p.Array()[0].IsNumber())
                throw HostError(Where(name) + "point " + std::to_string(number) +
                                " is not a [time, value] pair");
            const double time = p.Array()[0].Number();
            if (!(time >= 0.0) || time * framesPerUnit > 9e15)
                throw HostError(Where(name) + "point " + std::to_string(number) +
                                ": the time is not a number of seconds or beats from 0");
            Keyframe key;
            key.frame = std::llround(time * framesPerUnit);
            key.value = NormalisedValue(plugin, lane.index, name, number, p.Array()[1]);
            lane.keys.push_back(key);
        }
        std::vector<std::string> ignored;
        RestoreProgram(plugin, before, ignored);
        std::stable_sort(lane.keys.begin(), lane.keys.end(),
                         [](const Keyframe& a, const Keyframe& b) { return a.frame < b.frame; });
        lanes.push_back(std::move(lane));
    }
    return Automation(std::move(lanes));
}

Automation LoadAutomation(PluginInstance& plugin, const std::filesystem::path& path,
                          double sampleRate, double tempo) {
    std::vector<std::uint8_t> bytes = ReadBinaryFile(path);
    std::string text(bytes.begin(), bytes.end());
    // Editors that save UTF-8 "with signature" put a byte-order mark first.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    try {
        return ParseAutomation(plugin, text, sampleRate, tempo);
    } catch (const UsageError& e) {
        throw HostError(path.string() + ": " + e.what());
    } catch (const HostError& e) {
        throw HostError(path.string() + ": " + e.what());
    }
}

} // namespace vhost
