// Choosing programs and setting parameters the way a user names them: by number or by name,
// with plain values as the effect displays them or normalised values.
#pragma once

#include "vsthost/plugin_instance.h"

#include <string>
#include <vector>

namespace vhost {

// One "--param" request: NAME=VALUE, where NAME is a parameter name or index and VALUE is a
// plain value ("40", "1/8", "Yes") or, with a trailing 'n', a normalised one ("0.4n").
struct ParamAssignment {
    std::string target;
    std::string value;
    bool normalized = false;
    double normalizedValue = 0.0;
};

// Splits "NAME=VALUE" at the first '='; throws UsageError for a malformed request.
ParamAssignment ParseParamAssignment(const std::string& text);
// The same for a name and a value given apart; the UsageError says only what is wrong with
// the value.
ParamAssignment ParseParamValue(const std::string& target, const std::string& value);

// The parameter a name or index stands for: an all-digit target is an index, anything else a
// name compared without case and surrounding spaces. Throws HostError when unknown or
// ambiguous, listing the plug-in's parameters.
VstInt32 FindParameter(PluginInstance& plugin, const std::string& target);

struct ParamOutcome {
    VstInt32 index = 0;
    std::string name;
    std::string display;
    std::string label;
    float normalized = 0.0f;
    bool exact = true;  // the display shows the requested value
    std::string method; // how it was set, for messages
};

// Sets a parameter: plain values through effString2Parameter, checked by reading back the
// display; when the plug-in does not take the text, or shows something else, by searching
// the normalised range for the value whose display matches. A parameter that shows texts
// takes only one of them as a plain value. Throws HostError when no value of the parameter
// shows the request.
ParamOutcome ApplyParameter(PluginInstance& plugin, const ParamAssignment& assignment);

// What a parameter shows across its range, stepped through in 200 steps; the plug-in's whole
// state is put back afterwards (moving one parameter may move others).
struct ParamSurvey {
    std::string atZero, atOne;
    std::vector<std::string> values; // its distinct texts, when there are at most 32
    // It shows texts ("1/8", "On"): few values, not all of them numbers. A plain value for
    // it is one of them.
    bool ShowsTexts() const;
};
ParamSurvey SurveyParameter(PluginInstance& plugin, VstInt32 index);

// The program a number or name stands for; throws HostError when out of range or unknown.
VstInt32 FindProgram(PluginInstance& plugin, const std::string& wanted);

// The leading number of a display text ("40.0 %" -> 40), if it starts with one.
bool LeadingNumber(const std::string& text, double& value, int* decimals = nullptr);

} // namespace vhost
