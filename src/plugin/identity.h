#pragma once

#include <cstdint>

namespace identity {
constexpr const char* kEffectName = "Velmorande";
constexpr const char* kProductName = "";
constexpr const char* kMakerName = "Talvo";
constexpr const char* kChannels = "1-1 2-2";
constexpr int kVersion = 0x00010100; // v1.01
constexpr int kPrograms = 25;
constexpr int kLatency = 0;
constexpr int kMidiMode = 0;

constexpr std::int32_t FourCC(const char (&c)[5]) {
    return static_cast<std::int32_t>(
        (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
        (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3])));
}
constexpr std::int32_t kUniqueId = FourCC("qzvn");
constexpr std::int32_t kMakerId = FourCC("Talv");
static_assert(kUniqueId == 0x717A766E);
} // namespace identity
