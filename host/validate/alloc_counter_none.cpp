// Builds whose allocator belongs to a sanitizer count nothing.
#include "alloc_counter.h"

namespace vhost::validate {

bool AllocationCounting() noexcept {
    return false;
}

std::uint64_t AllocationsCounted() noexcept {
    return 0;
}

std::int64_t LiveHeapBytes() noexcept {
    return 0;
}

AllocationScope::AllocationScope() noexcept = default;
AllocationScope::~AllocationScope() = default;

} // namespace vhost::validate
