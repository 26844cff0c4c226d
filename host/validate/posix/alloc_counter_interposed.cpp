// Part of the host executable itself, so that its malloc is the one every library,
// including a plug-in with its own static C++ runtime, resolves to.
#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
}

namespace {

__thread bool counting = false;
std::atomic<std::uint64_t> counted{0};

inline void note() noexcept {
    if (counting) counted.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
    note();
    return __libc_malloc(size);
}

__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
    note();
    return __libc_calloc(count, size);
}

__attribute__((visibility("default"))) void* realloc(void* block, std::size_t size) {
    note();
    return __libc_realloc(block, size);
}
}

namespace vhost::validate {

bool allocationCounting() noexcept {
    return true;
}

std::uint64_t allocationsCounted() noexcept {
    return counted.load();
}

AllocationScope::AllocationScope() noexcept {
    counting = true;
}

AllocationScope::~AllocationScope() {
    counting = false;
}

} // namespace vhost::validate
