// What a validation run was asked to do, from the command line after `validate`.
#pragma once

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
    double timeoutSeconds = 300.0; // per group
    std::uint32_t seed = 20261209;
};

// Throws UsageError on a malformed command line.
Settings parseSettings(const std::vector<std::string>& args);

extern const char* const kValidateUsage;

} // namespace vhost::validate
