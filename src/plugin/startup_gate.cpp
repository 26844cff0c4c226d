#include "plugin/startup_gate.h"

#include "plugin/params.h"

#include <cstdint>
#include <mutex>

namespace {
std::mutex gateMutex;
std::int16_t seen[kNumParams];
std::int16_t countdown = kNumParams;
} // namespace

void startup_gate::Reset() {
    std::lock_guard lock(gateMutex);
    countdown = kNumParams;
    for (auto& flag : seen)
        flag = 0;
}

bool startup_gate::Report(int index) {
    std::lock_guard lock(gateMutex);
    if (index >= 0 && index < kNumParams && !seen[index]) {
        seen[index] = 1;
        --countdown;
    }
    return countdown <= 0;
}
