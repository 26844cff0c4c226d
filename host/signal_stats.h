// Peak and RMS level of a signal, in dBFS for the summary.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vhost {

struct SignalStats {
    double peak = 0.0;
    double sumSquares = 0.0;
    std::int64_t samples = 0;

    void add(double x) noexcept {
        double a = std::fabs(x);
        if (a > peak) peak = a;
        sumSquares += x * x;
        ++samples;
    }
    double rms() const noexcept {
        return samples ? std::sqrt(sumSquares / static_cast<double>(samples)) : 0.0;
    }
    static double toDb(double level) noexcept {
        return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
    }
    double peakDb() const noexcept { return toDb(peak); }
    double rmsDb() const noexcept { return toDb(rms()); }
};

} // namespace vhost
