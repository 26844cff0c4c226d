#include "vsthost/dynamic_library.h"

#include "vsthost/host_error.h"

#include <windows.h>

#include <string>

namespace vhost {
namespace {

std::string LastErrorText() {
    DWORD code = GetLastError();
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

} // namespace

DynamicLibrary::DynamicLibrary(const std::filesystem::path& path) : path_(path) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) throw HostError("cannot load " + path.string() + ": " + LastErrorText());
    handle_.reset(reinterpret_cast<void*>(module));
}

void* DynamicLibrary::Symbol(const char* name) const noexcept {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

void DynamicLibrary::Closer::operator()(void* handle) const noexcept {
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}

} // namespace vhost
