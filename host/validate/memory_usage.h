// Bytes the process holds on its heap, for telling a leak from a steady state.
#pragma once

#include <cstddef>
#include <optional>

namespace vhost::validate {

// nullopt where the allocator cannot say (some sanitizer builds).
std::optional<std::size_t> heapBytesInUse();

} // namespace vhost::validate
