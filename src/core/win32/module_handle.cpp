#include "core/win32/module_handle.h"

#include <atomic>

namespace {
std::atomic<HINSTANCE> recorded{nullptr};
} // namespace

HINSTANCE ModuleHandle() {
    if (HINSTANCE instance = recorded.load()) return instance;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleHandle), &self);
    return self;
}

void SetModuleHandle(HINSTANCE instance) {
    recorded.store(instance);
}
