// Part of the host executable itself, so that its allocation functions are the ones every
// library, including a plug-in with its own static C++ runtime, resolves to.
#include "alloc_counter.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* block);
}

namespace {

__thread bool counting = false;
std::atomic<std::uint64_t> counted{0};
// Usable bytes of every live block: freed blocks the allocator keeps for reuse are not in it.
std::atomic<std::int64_t> live{0};

inline void Note() noexcept {
    if (counting) counted.fetch_add(1, std::memory_order_relaxed);
}

inline void* Born(void* block) noexcept {
    if (block)
        live.fetch_add(static_cast<std::int64_t>(malloc_usable_size(block)),
                       std::memory_order_relaxed);
    return block;
}

inline void Gone(void* block) noexcept {
    if (block)
        live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)),
                       std::memory_order_relaxed);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
    Note();
    return Born(__libc_malloc(size));
}

__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
    Note();
    return Born(__libc_calloc(count, size));
}

__attribute__((visibility("default"))) void* realloc(void* block, std::size_t size) {
    Note();
    const auto before = static_cast<std::int64_t>(block ? malloc_usable_size(block) : 0);
    void* moved = __libc_realloc(block, size);
    // A failed realloc keeps the old block; realloc(block, 0) frees it.
    if (moved || (block && size == 0))
        live.fetch_add(static_cast<std::int64_t>(moved ? malloc_usable_size(moved) : 0) - before,
                       std::memory_order_relaxed);
    return moved;
}

__attribute__((visibility("default"))) void free(void* block) {
    Gone(block);
    __libc_free(block);
}

__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
    Note();
    return Born(__libc_memalign(alignment, size));
}

__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment,
                                                           std::size_t size) {
    Note();
    return Born(__libc_memalign(alignment, size));
}

__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t alignment,
                                                          std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    Note();
    void* block = Born(__libc_memalign(alignment, size));
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}

__attribute__((visibility("default"))) void* valloc(std::size_t size) {
    Note();
    return Born(__libc_valloc(size));
}

__attribute__((visibility("default"))) void* pvalloc(std::size_t size) {
    Note();
    return Born(__libc_pvalloc(size));
}
}

namespace vhost::validate {

bool AllocationCounting() noexcept {
    return true;
}

std::uint64_t AllocationsCounted() noexcept {
    return counted.load();
}

std::int64_t LiveHeapBytes() noexcept {
    return live.load();
}

AllocationScope::AllocationScope() noexcept {
    counting = true;
}

AllocationScope::~AllocationScope() {
    counting = false;
}

} // namespace vhost::validate
