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

bool AllDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string ParameterList(PluginInstance& plugin) {
    std::string list;
    for (VstInt32 i = 0; i < plugin.NumParams(); ++i)
        list += "\n  " + std::to_string(i) + ": " + Trimmed(plugin.ParamName(i));
    return list.empty() ? " (it has none)" : list;
}

// Whether a display text shows the requested text: equal ignoring case, or both numbers equal
// within the rounding of the displayed digits.
bool DisplayMatches(const std::string& display, const std::string& wanted) {
    if (SameName(display, wanted)) return true;
    double shown = 0.0, asked = 0.0;
    int decimals = 0;
    if (!ParseDecimal(Trimmed(wanted), asked)) return false;
    if (!LeadingNumber(display, shown, &decimals)) return false;
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

Probe ProbeAt(PluginInstance& plugin, VstInt32 index, float x) {
    plugin.SetParameter(index, x);
    Probe p{x, plugin.ParamDisplay(index), false, 0.0};
    p.numeric = LeadingNumber(p.display, p.number);
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

bool IsNumber(const std::string& text) {
    double v = 0.0;
    return ParseDecimal(Trimmed(text), v);
}

std::string Listed(const std::vector<std::string>& texts) {
    std::string list;
    for (std::size_t i = 0; i < texts.size(); ++i)
        list += (i ? ", " : "") + texts[i];
    return list;
}

// Finds the normalised value whose display shows `wanted`: the middle of the run of values
// that show it, found by stepping through the range and bisecting at the run's edges.
SearchResult SearchValue(PluginInstance& plugin, VstInt32 index, const std::string& wanted) {
    SearchResult result;
    std::vector<Probe> probes;
    probes.reserve(kSearchSteps + 1);
    for (int i = 0; i <= kSearchSteps; ++i)
        probes.push_back(ProbeAt(plugin, index, static_cast<float>(i) / kSearchSteps));
    for (const Probe& p : probes) {
        std::string shown = Trimmed(p.display);
        if (std::find(result.choices.begin(), result.choices.end(), shown) != result.choices.end())
            continue;
        result.choices.push_back(shown);
        if (result.choices.size() > kMaxListedChoices) break;
    }

    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (!SameName(probes[i].display, wanted)) continue;
        std::size_t j = i;
        while (j + 1 < probes.size() && SameName(probes[j + 1].display, wanted))
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
    if (!ParseDecimal(Trimmed(wanted), target)) return result;

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
        if (DisplayMatches(p.display, wanted)) return 0;
        return (p.number < target) == rising ? -1 : 1;
    };
    auto sideAt = [&](float x) { return side(ProbeAt(plugin, index, x)); };
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
        Probe pl = ProbeAt(plugin, index, lo), ph = ProbeAt(plugin, index, hi);
        double dl = pl.numeric ? std::fabs(pl.number - target) : 1e300;
        double dh = ph.numeric ? std::fabs(ph.number - target) : 1e300;
        result.found = true;
        result.value = dl <= dh ? lo : hi;
        return result;
    }
    return result;
}

ParamOutcome Describe(PluginInstance& plugin, VstInt32 index, const std::string& wanted,
                      const char* method) {
    ParamOutcome out;
    out.index = index;
    out.name = Trimmed(plugin.ParamName(index));
    out.display = Trimmed(plugin.ParamDisplay(index));
    out.label = Trimmed(plugin.ParamLabel(index));
    out.normalized = plugin.GetParameter(index);
    out.exact = wanted.empty() || DisplayMatches(out.display, wanted);
    out.method = method;
    return out;
}

} // namespace

bool LeadingNumber(const std::string& text, double& value, int* decimals) {
    std::string t = Trimmed(text);
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

ParamAssignment ParseParamValue(const std::string& target, const std::string& value) {
    ParamAssignment a;
    a.target = Trimmed(target);
    a.value = Trimmed(value);
    if (a.value.empty()) throw UsageError("no value given");
    // What strtod would read as a number but a person does not write as one: "inf", "nan",
    // "0x10". Numbers are decimal.
    auto notDecimal = [&](const std::string& number) {
        char* end = nullptr;
        std::strtod(number.c_str(), &end);
        double v = 0.0;
        if (!number.empty() && end == number.c_str() + number.size() && !ParseDecimal(number, v))
            throw UsageError(a.value +
                             " is not a decimal number (write numbers like 16, -2.5 or 0.4n)");
    };
    notDecimal(a.value);
    if (a.value.size() > 1 && (a.value.back() == 'n' || a.value.back() == 'N')) {
        const std::string number = a.value.substr(0, a.value.size() - 1);
        notDecimal(number);
        // The range is checked when the value is set, as for plain values.
        a.normalized = ParseDecimal(number, a.normalizedValue);
    }
    return a;
}

ParamAssignment ParseParamAssignment(const std::string& text) {
    auto eq = text.find('=');
    if (eq == std::string::npos) throw UsageError("--param needs NAME=VALUE, got '" + text + "'");
    if (Trimmed(text.substr(0, eq)).empty())
        throw UsageError("--param '" + text + "' names no parameter");
    try {
        return ParseParamValue(text.substr(0, eq), text.substr(eq + 1));
    } catch (const UsageError& e) {
        throw UsageError("--param '" + text + "': " + e.what());
    }
}

VstInt32 FindParameter(PluginInstance& plugin, const std::string& target) {
    const VstInt32 count = plugin.NumParams();
    if (AllDigits(target)) {
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
        if (!SameName(plugin.ParamName(i), target)) continue;
        if (found >= 0)
            throw HostError("parameter name '" + target + "' is ambiguous (indices " +
                            std::to_string(found) + " and " + std::to_string(i) +
                            "); give the index instead");
        found = i;
    }
    if (found < 0)
        throw HostError("unknown parameter '" + target +
                        "'; the plug-in has:" + ParameterList(plugin));
    return found;
}

ParamOutcome ApplyParameter(PluginInstance& plugin, const ParamAssignment& assignment) {
    VstInt32 index = FindParameter(plugin, assignment.target);
    if (assignment.normalized) {
        if (!(assignment.normalizedValue >= 0.0 && assignment.normalizedValue <= 1.0))
            throw HostError("normalised value " + assignment.value + " of '" +
                            Trimmed(plugin.ParamName(index)) + "' is outside 0..1");
        plugin.SetParameter(index, static_cast<float>(assignment.normalizedValue));
        return Describe(plugin, index, "", "normalised");
    }
    const std::string& wanted = assignment.value;
    if (IsNumber(wanted)) {
        // A number for a parameter that shows texts would be read by the plug-in as it
        // pleases (an index, a leading digit): only its texts are plain values.
        const ParamSurvey survey = SurveyParameter(plugin, index);
        if (survey.ShowsTexts() &&
            std::none_of(survey.values.begin(), survey.values.end(),
                         [&](const std::string& v) { return SameName(v, wanted); }))
            throw HostError("parameter '" + Trimmed(plugin.ParamName(index)) +
                            "' shows texts, "
                            "and '" +
                            wanted + "' is not one of them: give one of " + Listed(survey.values) +
                            ", or a normalised value like 0.5n");
    }
    const float before = plugin.GetParameter(index);
    if (plugin.String2Parameter(index, wanted)) {
        ParamOutcome out = Describe(plugin, index, wanted, "text");
        if (out.exact) return out;
    }
    // The plug-in did not take the text, or shows something else (clamped, or it ignored
    // the request): look for a value that shows it.
    SearchResult search = SearchValue(plugin, index, wanted);
    if (search.found) {
        plugin.SetParameter(index, search.value);
        return Describe(plugin, index, wanted, "search");
    }
    plugin.SetParameter(index, before);
    if (IsNumber(wanted) && search.numeric) {
        // Beyond the ends of the range: refused like a normalised value outside 0..1, rather
        // than silently clamped by the plug-in.
        char range[128];
        std::snprintf(range, sizeof range, "(its values run from %g to %g)", search.lowest,
                      search.highest);
        throw HostError("'" + wanted + "' is outside the range of parameter '" +
                        Trimmed(plugin.ParamName(index)) + "' " + range);
    }
    std::string message =
        "parameter '" + Trimmed(plugin.ParamName(index)) + "' cannot show '" + wanted + "'";
    if (!IsNumber(wanted) && !search.choices.empty() &&
        search.choices.size() <= kMaxListedChoices) {
        message += " (its values: " + Listed(search.choices) + ")";
    } else if (search.numeric) {
        char range[96];
        std::snprintf(range, sizeof range, " (its values run from %g to %g)", search.lowest,
                      search.highest);
        message += range;
    }
    throw HostError(message + "; give a value it displays or a normalised value like 0.5n");
}

bool ParamSurvey::ShowsTexts() const {
    return std::any_of(values.begin(), values.end(),
                       [](const std::string& v) { return !IsNumber(v); });
}

ParamSurvey SurveyParameter(PluginInstance& plugin, VstInt32 index) {
    constexpr int kSteps = 200;
    constexpr std::size_t kMaxValues = 32;
    const FxProgram state = CaptureProgram(plugin);
    ParamSurvey s;
    bool many = false;
    for (int i = 0; i <= kSteps; ++i) {
        plugin.SetParameter(index, static_cast<float>(i) / kSteps);
        std::string shown = Trimmed(plugin.ParamDisplay(index));
        if (i == 0) s.atZero = shown;
        if (i == kSteps) s.atOne = shown;
        if (!many && std::find(s.values.begin(), s.values.end(), shown) == s.values.end()) {
            s.values.push_back(shown);
            many = s.values.size() > kMaxValues;
        }
    }
    std::vector<std::string> ignored;
    RestoreProgram(plugin, state, ignored);
    if (many) s.values.clear();
    return s;
}

VstInt32 FindProgram(PluginInstance& plugin, const std::string& wanted) {
    const VstInt32 count = plugin.NumPrograms();
    std::string s = Trimmed(wanted);
    if (AllDigits(s)) {
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
        std::string name = plugin.ProgramNameAt(i);
        if (SameName(name, s)) return i;
        names += "\n  " + std::to_string(i) + ": " + Trimmed(name);
    }
    throw HostError("unknown program '" + s +
                    "'; the plug-in has:" + (names.empty() ? std::string(" (none)") : names));
}

} // namespace vhost
