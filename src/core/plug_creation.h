#pragma once

#include <mutex>

// The lock that builds the process's plug-in instances one at a time: an effect's
// constructor resets process-wide state (the start-up gate) and may take its own lock.
std::mutex& PlugCreationLock();

// One instance from `make` (an effect's factory, for whichever format), holding at least
// one preset; null when it cannot be built. Nothing thrown gets out.
template <typename Make> auto CreatePlugInstance(Make make) -> decltype(make()) {
    std::lock_guard lock(PlugCreationLock());
    decltype(make()) plug = nullptr;
    try {
        plug = make();
        if (plug) plug->EnsurePreset();
    } catch (...) {
        delete plug;
        return nullptr;
    }
    return plug;
}
