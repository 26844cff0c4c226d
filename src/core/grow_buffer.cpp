#include "core/grow_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
constexpr std::int64_t kPage = 4096;
constexpr std::int64_t kMaxExtra = 4 * 1024 * 1024;
constexpr std::int64_t kHeapHeader = 96;
} // namespace

GrowBuffer::GrowBuffer(int granularity)
    : granularity_(granularity > 0 ? granularity : kDefaultGranularity) {}

GrowBuffer::~GrowBuffer() {
    Free();
}

GrowBuffer::GrowBuffer(GrowBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), allocated_(std::exchange(other.allocated_, 0)),
      used_(std::exchange(other.used_, 0)), granularity_(other.granularity_) {}

GrowBuffer& GrowBuffer::operator=(GrowBuffer&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        allocated_ = std::exchange(other.allocated_, 0);
        used_ = std::exchange(other.used_, 0);
        granularity_ = other.granularity_;
    }
    return *this;
}

void GrowBuffer::Free() {
    std::free(data_);
    data_ = nullptr;
    allocated_ = 0;
    used_ = 0;
}

int GrowBuffer::AllocationFor(int size, int granularity) {
    std::int64_t n = std::max(size, 0);
    std::int64_t extra = std::max<std::int64_t>(n / 2, granularity);
    std::int64_t total = n + extra;
    if (granularity >= kPage) {
        extra = std::clamp(extra / kPage * kPage, kPage, kMaxExtra);
        // Leave room for the heap's own block header within whole pages.
        total = (n + extra + kHeapHeader) / kPage * kPage - kHeapHeader;
    }
    return static_cast<int>(std::min<std::int64_t>(total, 0x7FFFFFFF));
}

bool GrowBuffer::Resize(int size, bool allowShrink) {
    if (size <= 0) {
        Free();
        return true;
    }
    bool grow = size > allocated_;
    bool shrink =
        allowShrink && size < std::max(1, std::min(allocated_ / 2, allocated_ - 4 * granularity_));
    if (grow || shrink) {
        int newAllocation = AllocationFor(size, granularity_);
        if (newAllocation < size) return false;
        auto* moved = static_cast<std::uint8_t*>(std::realloc(data_, newAllocation));
        if (!moved) {
            moved = static_cast<std::uint8_t*>(std::malloc(newAllocation));
            if (!moved) return false;
            if (data_) std::memcpy(moved, data_, std::min(used_, size));
            std::free(data_);
        }
        data_ = moved;
        allocated_ = newAllocation;
    }
    used_ = size;
    return true;
}

bool GrowBuffer::Append(const void* bytes, int n) {
    if (n <= 0) return n == 0;
    int old = used_;
    if (n > 0x7FFFFFFF - old) return false;
    if (!Resize(old + n)) return false;
    std::memcpy(data_ + old, bytes, n);
    return true;
}
