// A loaded shared library. The platform file behind it is the only place that knows how
// libraries are opened (dlopen, or LoadLibrary on Windows).
#pragma once

#include <filesystem>
#include <memory>

namespace vhost {

class DynamicLibrary {
public:
    // Throws HostError with the system's reason when the library cannot be loaded.
    explicit DynamicLibrary(const std::filesystem::path& path);

    // Address of an exported symbol, or nullptr when there is none.
    void* Symbol(const char* name) const noexcept;
    // The system's handle (a HMODULE on Windows).
    void* Handle() const noexcept { return handle_.get(); }
    const std::filesystem::path& Path() const noexcept { return path_; }

private:
    struct Closer {
        void operator()(void* handle) const noexcept;
    };
    std::filesystem::path path_;
    std::unique_ptr<void, Closer> handle_;
};

} // namespace vhost
