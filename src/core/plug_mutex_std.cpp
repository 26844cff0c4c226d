#include "core/plug_mutex.h"

#include <mutex>

struct PlugMutex::Impl {
    std::recursive_mutex mutex;
};

PlugMutex::PlugMutex() : impl_(std::make_unique<Impl>()) {}
PlugMutex::~PlugMutex() = default;
void PlugMutex::Enter() {
    impl_->mutex.lock();
}
bool PlugMutex::TryEnter() {
    return impl_->mutex.try_lock();
}
void PlugMutex::Leave() {
    impl_->mutex.unlock();
}
