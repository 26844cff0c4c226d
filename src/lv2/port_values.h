#pragma once

#include <optional>

class IPlugBase;
class IPlugParam;

// LV2 ports carry plain values (milliseconds, percent, a note-value index); the plug-in base
// takes a host's values normalised, as a VST 2.x host gives them. A value outside the range
// is held to it; one that is not a number changes nothing.
std::optional<float> NormalizedFromPort(const IPlugParam& param, float plain);

// A port's value as the host's change of that parameter; false when it is not a number or
// the index is not a parameter's.
bool SetParameterFromPort(IPlugBase& plug, int paramIndex, float plain);
// The parameter's plain value, as its port shows it; 0 for an index that is none.
float PortValue(const IPlugBase& plug, int paramIndex);
