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
std::ptrdiff_t keyBefore(const AutomationLane& lane, std::int64_t frame) {
    auto it = std::upper_bound(lane.keys.begin(), lane.keys.end(), frame,
                               [](std::int64_t f, const Keyframe& k) { return f < k.frame; });
    return (it - lane.keys.begin()) - 1;
}

std::int64_t laneNextChange(const AutomationLane& lane, std::int64_t frame) {
    std::ptrdiff_t k = keyBefore(lane, frame);
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

std::string where(const std::string& name) {
    return "automation of '" + name + "': ";
}

// The normalised value of point `point` (from 1) of a lane, as -P would set it.
float normalisedValue(PluginInstance& plugin, VstInt32 index, const std::string& name,
                      std::size_t point, const JsonValue& v) {
    const std::string at = where(name) + "point " + std::to_string(point) + ": ";
    std::string text;
    if (v.isNumber()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", v.number());
        text = buf;
    } else if (v.isString()) {
        text = v.string();
    } else {
        throw HostError(at + "a value is a number or a text like \"1/8\" or \"0.4n\"");
    }
    try {
        return applyParameter(plugin, parseParamValue(std::to_string(index), text)).normalized;
    } catch (const HostError& e) {
        throw HostError(at + e.what());
    }
}

} // namespace

Automation::Automation(std::vector<AutomationLane> lanes)
    : lanes_(std::move(lanes)), applied_(lanes_.size(), 0.0f), set_(lanes_.size(), false) {}

float Automation::valueAt(const AutomationLane& lane, std::int64_t frame) {
    if (lane.keys.empty()) return 0.0f;
    std::ptrdiff_t k = keyBefore(lane, frame);
    if (k < 0) return lane.keys.front().value;
    const Keyframe& a = lane.keys[static_cast<std::size_t>(k)];
    if (!lane.linear || static_cast<std::size_t>(k + 1) >= lane.keys.size()) return a.value;
    const Keyframe& b = lane.keys[static_cast<std::size_t>(k + 1)];
    const double t = static_cast<double>(frame - a.frame) / static_cast<double>(b.frame - a.frame);
    return static_cast<float>(a.value + t * (b.value - a.value));
}

std::int64_t Automation::nextChange(std::int64_t frame) const {
    std::int64_t next = kNever;
    for (const AutomationLane& lane : lanes_)
        next = std::min(next, laneNextChange(lane, frame));
    return next;
}

void Automation::apply(PluginInstance& plugin, std::int64_t frame) {
    for (std::size_t i = 0; i < lanes_.size(); ++i) {
        float v = valueAt(lanes_[i], frame);
        if (set_[i] && v == applied_[i]) continue;
        plugin.setParameter(lanes_[i].index, v);
        applied_[i] = v;
        set_[i] = true;
    }
}

Automation parseAutomation(PluginInstance& plugin, const std::string& json, double sampleRate,
                           double tempo) {
    JsonValue doc = parseJson(json);
    if (!doc.isObject())
        throw HostError("an automation file is a JSON object of parameters (see --help)");
    std::vector<AutomationLane> lanes;
    std::vector<std::string> keys;
    for (const auto& [name, keyframes] : doc.object()) {
        AutomationLane lane;
        lane.index = findParameter(plugin, name);
        // Two lanes for one parameter would fight: the file names each once.
        for (std::size_t k = 0; k < lanes.size(); ++k)
            if (lanes[k].index == lane.index)
                throw HostError("the keys \"" + keys[k] + "\" and \"" + name +
                                "\" both name parameter " + std::to_string(lane.index) + " (" +
                                trimmed(plugin.paramName(lane.index)) +
                                "): give each parameter once");
        keys.push_back(name);
        if (!keyframes.isObject())
            throw HostError(where(name) + "expected an object with \"points\"");
        for (const auto& [key, v] : keyframes.object())
            if (key != "ramp" && key != "unit" && key != "points")
                throw HostError(where(name) + "unknown key \"" + key + "\" (ramp, unit, points)");
        double framesPerUnit = sampleRate;
        if (const JsonValue* unit = keyframes.find("unit")) {
            if (!unit->isString() || (unit->string() != "seconds" && unit->string() != "beats"))
                throw HostError(where(name) + "\"unit\" is \"seconds\" or \"beats\"");
            if (unit->string() == "beats") framesPerUnit = sampleRate * 60.0 / tempo;
        }
        if (const JsonValue* ramp = keyframes.find("ramp")) {
            if (!ramp->isString() || (ramp->string() != "step" && ramp->string() != "linear"))
                throw HostError(where(name) + "\"ramp\" is \"step\" or \"linear\"");
            lane.linear = ramp->string() == "linear";
        }
        const JsonValue* points = keyframes.find("points");
        if (!points || !points->isArray() || points->array().empty())
            throw HostError(where(name) + "\"points\" is a list of [time, value] pairs");
        // Converting plain values moves the parameter, and maybe others with it: the whole
        // state is put back afterwards.
        const FxProgram before = captureProgram(plugin);
        for (const JsonValue& p : points->array()) {
            const std::size_t number = lane.keys.size() + 1;
            if (!p.isArray() || p.array().size() != 2 || !p.array()[0].isNumber())
                throw HostError(where(name) + "point " + std::to_string(number) +
                                " is not a [time, value] pair");
            const double time = p.array()[0].number();
            if (!(time >= 0.0) || time * framesPerUnit > 9e15)
                throw HostError(where(name) + "point " + std::to_string(number) +
                                ": the time is not a number of seconds or beats from 0");
            Keyframe key;
            key.frame = std::llround(time * framesPerUnit);
            key.value = normalisedValue(plugin, lane.index, name, number, p.array()[1]);
            lane.keys.push_back(key);
        }
        std::vector<std::string> ignored;
        restoreProgram(plugin, before, ignored);
        std::stable_sort(lane.keys.begin(), lane.keys.end(),
                         [](const Keyframe& a, const Keyframe& b) { return a.frame < b.frame; });
        lanes.push_back(std::move(lane));
    }
    return Automation(std::move(lanes));
}

Automation loadAutomation(PluginInstance& plugin, const std::filesystem::path& path,
                          double sampleRate, double tempo) {
    std::vector<std::uint8_t> bytes = readBinaryFile(path);
    std::string text(bytes.begin(), bytes.end());
    // Editors that save UTF-8 "with signature" put a byte-order mark first.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    try {
        return parseAutomation(plugin, text, sampleRate, tempo);
    } catch (const UsageError& e) {
        throw HostError(path.string() + ": " + e.what());
    } catch (const HostError& e) {
        throw HostError(path.string() + ": " + e.what());
    }
}

} // namespace vhost
