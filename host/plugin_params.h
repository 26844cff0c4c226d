// Choosing programs and setting parameters the way a user names them: by number or by name,
// with plain values as the effect displays them or normalised values.
#pragma once

#include "vsthost/plugin_instance.h"

#include <string>

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
ParamAssignment parseParamAssignment(const std::string& text);

// The parameter a name or index stands for: an all-digit target is an index, anything else a
// name compared without case and surrounding spaces. Throws HostError when unknown or
// ambiguous, listing the plug-in's parameters.
VstInt32 findParameter(PluginInstance& plugin, const std::string& target);

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
// the normalised range for the value whose display matches. Throws HostError when no value
// of the parameter shows the request.
ParamOutcome applyParameter(PluginInstance& plugin, const ParamAssignment& assignment);

// The program a number or name stands for; throws HostError when out of range or unknown.
VstInt32 findProgram(PluginInstance& plugin, const std::string& wanted);

// The leading number of a display text ("40.0 %" -> 40), if it starts with one.
bool leadingNumber(const std::string& text, double& value, int* decimals = nullptr);

} // namespace vhost
