// The share of a group's timeout that loops sized by the level may use, counted from the
// group's start. A plug-in that is slow but working (a convolution reverb loading its
// impulse on every open, an editor with a thousand controls) ends such a loop early with a
// warning, instead of being taken for hung when the group times out.
#pragma once

#include "settings.h"

#include <chrono>
#include <string>

namespace vhost::validate {

class TimeBudget {
public:
    using Clock = std::chrono::steady_clock;
    explicit TimeBudget(const Settings& settings)
        : seconds_(settings.timeoutSeconds / 2),
          end_(settings.groupStarted + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(seconds_))) {}
    bool Spent() const { return Clock::now() >= end_; }
    // "stopped after 40 of 300 cycles at the group's time budget of 30 s"
    std::string Stopped(int done, int planned, const std::string& what) const {
        return "stopped after " + std::to_string(done) + " of " + std::to_string(planned) + " " +
               what + " at the group's time budget of " +
               std::to_string(static_cast<int>(seconds_)) + " s";
    }

private:
    double seconds_;
    Clock::time_point end_;
};

} // namespace vhost::validate
