#pragma once

#include "base/four_char_code.h"

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

constexpr std::int32_t kUniqueId = FourCharCode("qzvn");
constexpr std::int32_t kMakerId = FourCharCode("Talv");
static_assert(kUniqueId == 0x717A766E);
} // namespace identity
