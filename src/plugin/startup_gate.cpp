#include "plugin/startup_gate.h"

#include <cstdint>
#include <mutex>

namespace {
std::mutex gateMutex;
std::int16_t seen[startup_gate::kParams];
std::int16_t countdown = startup_gate::kParams;
} // namespace

void startup_gate::Reset() {
    std::lock_guard lock(gateMutex);
    countdown = kParams;
    for (auto& flag : seen)
        flag = 0;
}

bool startup_gate::Report(int index) {
    std::lock_guard lock(gateMutex);
    if (index >= 0 && index < kParams && !seen[index]) {
        seen[index] = 1;
        --countdown;
    }
    return countdown <= 0;
}
