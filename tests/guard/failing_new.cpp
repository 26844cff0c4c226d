#include "failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> countdown{-1};
std::atomic<bool> fired{false};
} // namespace

void FailAllocationAfter(long n) {
    fired = false;
    countdown = n;
}

bool DisarmFailure() {
    countdown = -1;
    return fired;
}

void* operator new(std::size_t size) {
    if (countdown.load(std::memory_order_relaxed) >= 0 && countdown.fetch_sub(1) == 0) {
        fired = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// The other forms go through the same two, so that every allocation can fail and every
// release matches its allocation.
void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
