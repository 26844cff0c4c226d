// Builds whose allocator belongs to a sanitizer count nothing.
#include "alloc_counter.h"

namespace vhost::validate {

bool allocationCounting() noexcept {
    return false;
}

std::uint64_t allocationsCounted() noexcept {
    return 0;
}

std::int64_t liveHeapBytes() noexcept {
    return 0;
}

AllocationScope::AllocationScope() noexcept = default;
AllocationScope::~AllocationScope() = default;

} // namespace vhost::validate
