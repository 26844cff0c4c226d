#pragma once

#include <optional>

class IPlugParam;

// LV2 ports carry plain values (milliseconds, percent, a note-value index); the effect takes
// them normalised, as a VST 2.x host gives them. A value outside the range is held to it;
// one that is not a number changes nothing.
std::optional<float> NormalizedFromPort(const IPlugParam& param, float plain);
