#pragma once

#include "vsthost/host_callback.h"

#include <cstring>
#include <optional>

// The answers of a host that resizes its windows for its plug-ins' editors: it can do
// "sizeWindow", and does it.
inline vhost::HostCallback::Hook WindowSizingHook() {
    return [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr,
              float) -> std::optional<VstIntPtr> {
        if (opcode == audioMasterSizeWindow) return 1;
        if (opcode == audioMasterCanDo && ptr &&
            std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0)
            return 1;
        return std::nullopt;
    };
}
