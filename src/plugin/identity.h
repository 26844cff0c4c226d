#pragma once

#include "base/four_char_code.h"
#include "product/version.h"

#include <cstdint>

namespace identity {
constexpr const char* kEffectName = "Velmorande";
constexpr const char* kProductName = "";
constexpr const char* kMakerName = "Talvo";
constexpr const char* kChannels = "1-1 2-2";
// The product version packed as 0x00MMmmpp: hosts read it as MMmmpp in decimal, the panel
// shows vM.mm; both need minor and patch below 100.
static_assert(product::kVersionMinor < 100 && product::kVersionPatch < 100);
constexpr int kVersion =
    (product::kVersionMajor << 16) | (product::kVersionMinor << 8) | product::kVersionPatch;
constexpr int kPrograms = 25;
constexpr int kLatency = 0;
constexpr int kMidiMode = 0;

constexpr std::int32_t kUniqueId = FourCharCode("qzvn");
constexpr std::int32_t kMakerId = FourCharCode("Talv");
static_assert(kUniqueId == 0x717A766E);
} // namespace identity
