#include "lv2/port_values.h"

#include "core/plug_base.h"

#include <algorithm>
#include <cmath>

std::optional<float> NormalizedFromPort(const IPlugParam& param, float plain) {
    if (std::isnan(plain)) return std::nullopt;
    double v = std::clamp(static_cast<double>(plain), param.Min(), param.Max());
    // Whole-numbered parameters take the nearest whole number, not whatever the float
    // round trip through the curve would land on.
    if (param.IsIntegerValued()) v = std::clamp(std::round(v), param.Min(), param.Max());
    return static_cast<float>(std::clamp(param.ToNormalized(v), 0.0, 1.0));
}

bool SetParameterFromPort(IPlugBase& plug, int paramIndex, float plain) {
    const IPlugParam* param = plug.GetParam(paramIndex);
    if (!param) return false;
    const std::optional<float> normalized = NormalizedFromPort(*param, plain);
    if (!normalized) return false;
    plug.SetParameterFromHost(paramIndex, *normalized);
    return true;
}

float PortValue(const IPlugBase& plug, int paramIndex) {
    const IPlugParam* param = plug.GetParam(paramIndex);
    return param ? static_cast<float>(param->Value()) : 0.0f;
}
