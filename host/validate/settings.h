// What a validation run was asked to do, from the command line after `validate`.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vhost::validate {

struct Settings {
    std::filesystem::path plugin;
    int level = 5; // 1 quick .. 10 thorough
    bool json = false;
    std::vector<std::string> groups; // empty: every group
    std::optional<double> threadSeconds;
    // Per group: level 10 on Velmorande needs about 10 s in its longest group.
    double timeoutSeconds = 60.0;
    std::uint32_t seed = 20261209;
    // When the group being run started: loops sized by the level stop at half its timeout.
    std::chrono::steady_clock::time_point groupStarted = std::chrono::steady_clock::now();
};

// Throws UsageError on a malformed command line.
Settings ParseSettings(const std::vector<std::string>& args);

// How long the threads group runs: --seconds, or a time growing with the level.
double ThreadsSeconds(const Settings& settings);
// How long a group may take before it counts as hung.
double GroupTimeout(const Settings& settings, const std::string& group);

extern const char* const kValidateUsage;

} // namespace vhost::validate
