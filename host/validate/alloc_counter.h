// Heap allocations made on a thread while it is inside a plug-in's audio callback, and the
// bytes alive on the heap, counted by an allocator the host executable puts in front of the
// C library's.
#pragma once

#include <cstdint>

namespace vhost::validate {

// False in builds whose allocator belongs to a sanitizer.
bool AllocationCounting() noexcept;
// Allocations (malloc, calloc, realloc and the aligned ones) counted so far on every thread.
std::uint64_t AllocationsCounted() noexcept;
// Bytes in blocks allocated and not yet freed, on every thread: counted at the allocation
// calls themselves, so blocks the allocator keeps cached for reuse do not show as growth.
std::int64_t LiveHeapBytes() noexcept;

// Counts this thread's allocations for its lifetime.
class AllocationScope {
public:
    AllocationScope() noexcept;
    ~AllocationScope();
    AllocationScope(const AllocationScope&) = delete;
    AllocationScope& operator=(const AllocationScope&) = delete;
};

} // namespace vhost::validate
