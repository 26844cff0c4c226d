#include "host/plugin_params.h"

#include "host/command_errors.h"
#include "host/plugin_state.h"
#include "host/text_match.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace vhost {
namespace {

bool allDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string parameterList(PluginInstance& plugin) {
    std::string list;
    for (VstInt32 i = 0; i < plugin.numParams(); ++i)
        list += "\n  " + std::to_string(i) + ": " + trimmed(plugin.paramName(i));
    return list.empty() ? " (it has none)" : list;
}

// Whether a display text shows the requested text: equal ignoring case, or both numbers equal
// within the rounding of the displayed digits.
bool displayMatches(const std::string& display, const std::string& wanted) {
    if (sameName(display, wanted)) return true;
    double shown = 0.0, asked = 0.0;
    int decimals = 0;
    if (!parseDecimal(trimmed(wanted), asked)) return false;
    if (!leadingNumber(display, shown, &decimals)) return false;
    // The displayed digits, and a normalised float's resolution (values like 79.999992).
    double tolerance =
        0.5 * std::pow(10.0, -decimals) * (1.0 + 1e-9) + 1e-5 * std::max(1.0, std::fabs(asked));
    return std::fabs(shown - asked) <= tolerance;
}

struct Probe {
    float x;
    std::string display;
    bool numeric;
    double number;
};

Probe probe(PluginInstance& plugin, VstInt32 index, float x) {
    plugin.setParameter(index, x);
    Probe p{x, plugin.paramDisplay(index), false, 0.0};
    p.numeric = leadingNumber(p.display, p.number);
    return p;
}

constexpr int kSearchSteps = 1000;

struct SearchResult {
    bool found = false;
    float value = 0.0f;
    bool numeric = false; // some steps showed numbers
    double lowest = 0.0, highest = 0.0;
    std::vector<std::string> choices; // the distinct displays, when there are few
};

constexpr std::size_t kMaxListedChoices = 32;

bool isNumber(const std::string& text) {
    double v = 0.0;
    return parseDecimal(trimmed(text), v);
}

std::string listed(const std::vector<std::string>& texts) {
    std::string list;
    for (std::size_t i = 0; i < texts.size(); ++i)
        list += (i ? ", " : "") + texts[i];
    return list;
}

// Finds the normalised value whose display shows `wanted`: the middle of the run of values
// that show it, found by stepping through the range and bisecting at the run's edges.
SearchResult searchValue(PluginInstance& plugin, VstInt32 index, const std::string& wanted) {
    SearchResult result;
    std::vector<Probe> probes;
    probes.reserve(kSearchSteps + 1);
    for (int i = 0; i <= kSearchSteps; ++i)
        probes.push_back(probe(plugin, index, static_cast<float>(i) / kSearchSteps));
    for (const Probe& p : probes) {
        std::string shown = trimmed(p.display);
        if (std::find(result.choices.begin(), result.choices.end(), shown) != result.choices.end())
            continue;
        result.choices.push_back(shown);
        if (result.choices.size() > kMaxListedChoices) break;
    }

    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (!sameName(probes[i].display, wanted)) continue;
        std::size_t j = i;
        while (j + 1 < probes.size() && sameName(probes[j + 1].display, wanted))
            ++j;
        result.found = true;
        result.value = 0.5f * (probes[i].x + probes[j].x);
        return result;
    }

    for (const Probe& p : probes) {
        if (!p.numeric) continue;
        result.lowest = result.numeric ? std::min(result.lowest, p.number) : p.number;
        result.highest = result.numeric ? std::max(result.highest, p.number) : p.number;
        result.numeric = true;
    }
    double target = 0.0;
    if (!parseDecimal(trimmed(wanted), target)) return result;

    // Where a value lies relative to the values that show the target: -1 before them, 0 among
    // them, +1 after them, in the direction the display runs; 2 when it shows no number.
    const Probe* firstNumeric = nullptr;
    const Probe* lastNumeric = nullptr;
    for (const Probe& p : probes) {
        if (!p.numeric) continue;
        if (!firstNumeric) firstNumeric = &p;
        lastNumeric = &p;
    }
    if (!firstNumeric) return result;
    const bool rising = lastNumeric->number >= firstNumeric->number;
    auto side = [&](const Probe& p) {
        if (!p.numeric) return 2;
        if (displayMatches(p.display, wanted)) return 0;
        return (p.number < target) == rising ? -1 : 1;
    };
    auto sideAt = [&](float x) { return side(probe(plugin, index, x)); };
    // The edge between `outside` (side != 0) and `inside` (side 0), from the inside.
    auto edge = [&](float outside, float inside) {
        for (int k = 0; k < 32; ++k) {
            float mid = 0.5f * (outside + inside);
            if (mid == outside || mid == inside) break;
            (sideAt(mid) == 0 ? inside : outside) = mid;
        }
        return inside;
    };
    // The middle of the run of values showing the target, so rounding cannot tip it over.
    auto middleOfRun = [&](float inside, float before, float after) {
        return 0.5f * (edge(before, inside) + edge(after, inside));
    };

    std::vector<int> sides;
    for (const Probe& p : probes)
        sides.push_back(side(p));
    const std::size_t n = probes.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (sides[i] != 0) continue;
        std::size_t j = i;
        while (j + 1 < n && sides[j + 1] == 0)
            ++j;
        float before = i > 0 ? probes[i - 1].x : probes[i].x;
        float after = j + 1 < n ? probes[j + 1].x : probes[j].x;
        result.found = true;
        result.value = 0.5f * (edge(before, probes[i].x) + edge(after, probes[j].x));
        return result;
    }
    // No step shows the target: look between two steps on either side of it.
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (sides[i] == 2 || sides[i + 1] == 2 || sides[i] == sides[i + 1]) continue;
        float lo = probes[i].x, hi = probes[i + 1].x;
        const int loSide = sides[i];
        for (int k = 0; k < 40; ++k) {
            float mid = 0.5f * (lo + hi);
            if (mid == lo || mid == hi) break;
            int s = sideAt(mid);
            if (s == 0) {
                result.found = true;
                result.value = middleOfRun(mid, lo, hi);
                return result;
            }
            if (s == 2) break;
            (s == loSide ? lo : hi) = mid;
        }
        // Nothing shows it exactly: the closer of the two ends.
        Probe pl = probe(plugin, index, lo), ph = probe(plugin, index, hi);
        double dl = pl.numeric ? std::fabs(pl.number - target) : 1e300;
        double dh = ph.numeric ? std::fabs(ph.number - target) : 1e300;
        result.found = true;
        result.value = dl <= dh ? lo : hi;
        return result;
    }
    return result;
}

ParamOutcome describe(PluginInstance& plugin, VstInt32 index, const std::string& wanted,
                      const char* method) {
    ParamOutcome out;
    out.index = index;
    out.name = trimmed(plugin.paramName(index));
    out.display = trimmed(plugin.paramDisplay(index));
    out.label = trimmed(plugin.paramLabel(index));
    out.normalized = plugin.getParameter(index);
    out.exact = wanted.empty() || displayMatches(out.display, wanted);
    out.method = method;
    return out;
}

} // namespace

bool leadingNumber(const std::string& text, double& value, int* decimals) {
    std::string t = trimmed(text);
    const char* begin = t.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    value = v;
    if (decimals) {
        const char* dot = std::find(begin, static_cast<const char*>(end), '.');
        *decimals = dot < end ? static_cast<int>(end - dot - 1) : 0;
        // An exponent makes the digit count meaningless; take the full precision then.
        if (std::find_if(begin, static_cast<const char*>(end),
                         [](char c) { return c == 'e' || c == 'E'; }) != end)
            *decimals = 12;
    }
    return true;
}

ParamAssignment parseParamValue(const std::string& target, const std::string& value) {
    ParamAssignment a;
    a.target = trimmed(target);
    a.value = trimmed(value);
    if (a.value.empty()) throw UsageError("no value given");
    // What strtod would read as a number but a person does not write as one: "inf", "nan",
    // "0x10". Numbers are decimal.
    auto notDecimal = [&](const std::string& number) {
        char* end = nullptr;
        std::strtod(number.c_str(), &end);
        double v = 0.0;
        if (!number.empty() && end == number.c_str() + number.size() && !parseDecimal(number, v))
            throw UsageError(a.value +
                             " is not a decimal number (write numbers like 16, -2.5 or 0.4n)");
    };
    notDecimal(a.value);
    if (a.value.size() > 1 && (a.value.back() == 'n' || a.value.back() == 'N')) {
        const std::string number = a.value.substr(0, a.value.size() - 1);
        notDecimal(number);
        // The range is checked when the value is set, as for plain values.
        a.normalized = parseDecimal(number, a.normalizedValue);
    }
    return a;
}

ParamAssignment parseParamAssignment(const std::string& text) {
    auto eq = text.find('=');
    if (eq == std::string::npos) throw UsageError("--param needs NAME=VALUE, got '" + text + "'");
    if (trimmed(text.substr(0, eq)).empty())
        throw UsageError("--param '" + text + "' names no parameter");
    try {
        return parseParamValue(text.substr(0, eq), text.substr(eq + 1));
    } catch (const UsageError& e) {
        throw UsageError("--param '" + text + "': " + e.what());
    }
}

VstInt32 findParameter(PluginInstance& plugin, const std::string& target) {
    const VstInt32 count = plugin.numParams();
    if (allDigits(target)) {
        long index = target.size() > 9 ? std::numeric_limits<long>::max()
                                       : std::strtol(target.c_str(), nullptr, 10);
        if (index >= count)
            throw HostError("parameter index " + target + " is out of range: the plug-in has " +
                            std::to_string(count) +
                            (count == 1 ? " parameter (0.." : " parameters (0..") +
                            std::to_string(count - 1) + ")");
        return static_cast<VstInt32>(index);
    }
    VstInt32 found = -1;
    for (VstInt32 i = 0; i < count; ++i) {
        if (!sameName(plugin.paramName(i), target)) continue;
        if (found >= 0)
            throw HostError("parameter name '" + target + "' is ambiguous (indices " +
                            std::to_string(found) + " and " + std::to_string(i) +
                            "); give the index instead");
        found = i;
    }
    if (found < 0)
        throw HostError("unknown parameter '" + target +
                        "'; the plug-in has:" + parameterList(plugin));
    return found;
}

ParamOutcome applyParameter(PluginInstance& plugin, const ParamAssignment& assignment) {
    VstInt32 index = findParameter(plugin, assignment.target);
    if (assignment.normalized) {
        if (!(assignment.normalizedValue >= 0.0 && assignment.normalizedValue <= 1.0))
            throw HostError("normalised value " + assignment.value + " of '" +
                            trimmed(plugin.paramName(index)) + "' is outside 0..1");
        plugin.setParameter(index, static_cast<float>(assignment.normalizedValue));
        return describe(plugin, index, "", "normalised");
    }
    const std::string& wanted = assignment.value;
    if (isNumber(wanted)) {
        // A number for a parameter that shows texts would be read by the plug-in as it
        // pleases (an index, a leading digit): only its texts are plain values.
        const ParamSurvey survey = surveyParameter(plugin, index);
        if (survey.showsTexts() &&
            std::none_of(survey.values.begin(), survey.values.end(),
                         [&](const std::string& v) { return sameName(v, wanted); }))
            throw HostError("parameter '" + trimmed(plugin.paramName(index)) +
                            "' shows texts, "
                            "and '" +
                            wanted + "' is not one of them: give one of " + listed(survey.values) +
                            ", or a normalised value like 0.5n");
    }
    const float before = plugin.getParameter(index);
    if (plugin.string2Parameter(index, wanted)) {
        ParamOutcome out = describe(plugin, index, wanted, "text");
        if (out.exact) return out;
    }
    // The plug-in did not take the text, or shows something else (clamped, or it ignored
    // the request): look for a value that shows it.
    SearchResult search = searchValue(plugin, index, wanted);
    if (search.found) {
        plugin.setParameter(index, search.value);
        return describe(plugin, index, wanted, "search");
    }
    plugin.setParameter(index, before);
    if (isNumber(wanted) && search.numeric) {
        // Beyond the ends of the range: refused like a normalised value outside 0..1, rather
        // than silently clamped by the plug-in.
        char range[128];
        std::snprintf(range, sizeof range, "(its values run from %g to %g)", search.lowest,
                      search.highest);
        throw HostError("'" + wanted + "' is outside the range of parameter '" +
                        trimmed(plugin.paramName(index)) + "' " + range);
    }
    std::string message =
        "parameter '" + trimmed(plugin.paramName(index)) + "' cannot show '" + wanted + "'";
    if (!isNumber(wanted) && !search.choices.empty() &&
        search.choices.size() <= kMaxListedChoices) {
        message += " (its values: " + listed(search.choices) + ")";
    } else if (search.numeric) {
        char range[96];
        std::snprintf(range, sizeof range, " (its values run from %g to %g)", search.lowest,
                      search.highest);
        message += range;
    }
    throw HostError(message + "; give a value it displays or a normalised value like 0.5n");
}

bool ParamSurvey::showsTexts() const {
    return std::any_of(values.begin(), values.end(),
                       [](const std::string& v) { return !isNumber(v); });
}

ParamSurvey surveyParameter(PluginInstance& plugin, VstInt32 index) {
    constexpr int kSteps = 200;
    constexpr std::size_t kMaxValues = 32;
    const FxProgram state = captureProgram(plugin);
    ParamSurvey s;
    bool many = false;
    for (int i = 0; i <= kSteps; ++i) {
        plugin.setParameter(index, static_cast<float>(i) / kSteps);
        std::string shown = trimmed(plugin.paramDisplay(index));
        if (i == 0) s.atZero = shown;
        if (i == kSteps) s.atOne = shown;
        if (!many && std::find(s.values.begin(), s.values.end(), shown) == s.values.end()) {
            s.values.push_back(shown);
            many = s.values.size() > kMaxValues;
        }
    }
    std::vector<std::string> ignored;
    restoreProgram(plugin, state, ignored);
    if (many) s.values.clear();
    return s;
}

VstInt32 findProgram(PluginInstance& plugin, const std::string& wanted) {
    const VstInt32 count = plugin.numPrograms();
    std::string s = trimmed(wanted);
    if (allDigits(s)) {
        long program =
            s.size() > 9 ? std::numeric_limits<long>::max() : std::strtol(s.c_str(), nullptr, 10);
        if (program >= count)
            throw HostError("program " + s + " is out of range: the plug-in has " +
                            std::to_string(count) +
                            (count == 1 ? " program (0.." : " programs (0..") +
                            std::to_string(count - 1) + ")");
        return static_cast<VstInt32>(program);
    }
    std::string names;
    for (VstInt32 i = 0; i < count; ++i) {
        std::string name = plugin.programNameAt(i);
        if (sameName(name, s)) return i;
        names += "\n  " + std::to_string(i) + ": " + trimmed(name);
    }
    throw HostError("unknown program '" + s +
                    "'; the plug-in has:" + (names.empty() ? std::string(" (none)") : names));
}

} // namespace vhost
