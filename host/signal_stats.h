// Peak and RMS level of a signal, in dBFS for the summary, and how many samples were not
// finite numbers (NaN or infinite; left out of the levels).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vhost {

struct SignalStats {
    double peak = 0.0;
    double sumSquares = 0.0;
    std::int64_t samples = 0;
    std::int64_t nonFinite = 0;

    void Add(double x) noexcept { AddBlock(&x, 1); }
    // A block at a time: four independent sums, so the loop is not held up waiting for
    // each addition to finish before the next (it runs once per sample of every render).
    // A NaN or an infinity makes the block's sum non-finite: only then is the block gone
    // through again, sample by sample, to count them and leave them out.
    void AddBlock(const double* x, std::size_t n) noexcept {
        double sum[4] = {0.0, 0.0, 0.0, 0.0};
        double top[4] = {peak, 0.0, 0.0, 0.0};
        std::size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            for (std::size_t k = 0; k < 4; ++k) {
                const double a = std::fabs(x[i + k]);
                top[k] = a > top[k] ? a : top[k];
                sum[k] += x[i + k] * x[i + k];
            }
        }
        for (; i < n; ++i) {
            const double a = std::fabs(x[i]);
            top[0] = a > top[0] ? a : top[0];
            sum[0] += x[i] * x[i];
        }
        const double blockSum = (sum[0] + sum[1]) + (sum[2] + sum[3]);
        if (!std::isfinite(blockSum)) {
            AddNonFiniteBlock(x, n);
            return;
        }
        peak = std::fmax(std::fmax(top[0], top[1]), std::fmax(top[2], top[3]));
        sumSquares += blockSum;
        samples += static_cast<std::int64_t>(n);
    }
    void AddNonFiniteBlock(const double* x, std::size_t n) noexcept {
        for (std::size_t i = 0; i < n; ++i) {
            const double a = std::fabs(x[i]);
            if (!(a <= std::numeric_limits<double>::max())) {
                ++nonFinite;
                continue;
            }
            peak = a > peak ? a : peak;
            sumSquares += x[i] * x[i];
        }
        samples += static_cast<std::int64_t>(n);
    }
    double Rms() const noexcept {
        const std::int64_t counted = samples - nonFinite;
        return counted > 0 ? std::sqrt(sumSquares / static_cast<double>(counted)) : 0.0;
    }
    static double ToDb(double level) noexcept {
        return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
    }
    double PeakDb() const noexcept { return ToDb(peak); }
    double RmsDb() const noexcept { return ToDb(Rms()); }
};

} // namespace vhost
