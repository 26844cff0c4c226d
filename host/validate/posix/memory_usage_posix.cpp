#include "memory_usage.h"

#include <malloc.h>

namespace vhost::validate {

std::optional<std::size_t> heapBytesInUse() {
#if defined(__GLIBC__)
    struct mallinfo2 info = ::mallinfo2();
    std::size_t bytes = info.uordblks + info.hblkhd;
    if (bytes == 0) return std::nullopt;
    return bytes;
#else
    return std::nullopt;
#endif
}

} // namespace vhost::validate
