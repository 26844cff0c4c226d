#include "vsthost/dynamic_library.h"

#include "vsthost/host_error.h"

#include <dlfcn.h>

namespace vhost {

DynamicLibrary::DynamicLibrary(const std::filesystem::path& path) : path_(path) {
    dlerror();
    // RTLD_NOW: a library with unresolved symbols fails here, not in the middle of a render.
    // RTLD_NODELETE: plug-ins and the libraries they bring (font and GUI toolkits among them)
    // often keep process-wide state that does not survive being unmapped; like most hosts,
    // never take a plug-in's code out of the process.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* reason = dlerror();
        throw HostError("cannot load " + path.string() + ": " +
                        (reason ? reason : "unknown reason"));
    }
    handle_.reset(handle);
}

void* DynamicLibrary::Symbol(const char* name) const noexcept {
    return handle_ ? dlsym(handle_.get(), name) : nullptr;
}

void DynamicLibrary::Closer::operator()(void* handle) const noexcept {
    if (handle) dlclose(handle);
}

} // namespace vhost
