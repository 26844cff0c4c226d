#include "core/plug_mutex.h"

#include <windows.h>

struct PlugMutex::Impl {
    CRITICAL_SECTION section;
    Impl() { InitializeCriticalSection(&section); }
    ~Impl() { DeleteCriticalSection(&section); }
};

PlugMutex::PlugMutex() : impl_(std::make_unique<Impl>()) {}
PlugMutex::~PlugMutex() = default;
void PlugMutex::Enter() {
    EnterCriticalSection(&impl_->section);
}
bool PlugMutex::TryEnter() {
    return TryEnterCriticalSection(&impl_->section) != 0;
}
void PlugMutex::Leave() {
    LeaveCriticalSection(&impl_->section);
}
