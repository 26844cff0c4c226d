#include "bitmap/heap_bitmap.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uintptr_t kPixelAlignment = 64;

unsigned MaskForAlignment(int alignment) {
    unsigned a = static_cast<unsigned>(alignment);
    a &= 0u - a; // lowest set bit
    if (a > 16) a = 16;
    return a <= 1 ? 0u : a - 1;
}

} // namespace

HeapBitmap::HeapBitmap(int width, int height, int alignment)
    : alignMask_(MaskForAlignment(alignment)) {
    if (width > 0 && height > 0) Resize(width, height);
}

HeapBitmap::~HeapBitmap() {
    Release();
}

std::uint32_t* HeapBitmap::Bits() const {
    if (!raw_) return nullptr;
    auto p = reinterpret_cast<std::uintptr_t>(raw_);
    p = (p + kPixelAlignment - 1) & ~(kPixelAlignment - 1);
    return reinterpret_cast<std::uint32_t*>(p);
}

int HeapBitmap::RowSpanFor(int width) const {
    if (width <= 0) return 0;
    long long span =
        (static_cast<long long>(width) + alignMask_) & ~static_cast<long long>(alignMask_);
    return span > INT_MAX ? INT_MAX : static_cast<int>(span);
}

void HeapBitmap::Release() {
    std::free(raw_);
    raw_ = nullptr;
    allocated_ = 0;
}

bool HeapBitmap::Resize(int width, int height) {
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;

    long long bytes = 0;
    if (width >= 1 && height >= 1) bytes = static_cast<long long>(RowSpanFor(width)) * height * 4;

    // The allocated size is an int: a bitmap that cannot be described by one is treated
    // like a failed allocation.
    if (bytes > 0 && bytes <= INT_MAX - static_cast<long long>(kPixelAlignment)) {
        const int need = static_cast<int>(bytes);
        if (!raw_) {
            raw_ = std::malloc(static_cast<std::size_t>(need) + kPixelAlignment - 1);
            allocated_ = raw_ ? need : 0;
        } else if (allocated_ < need) {
            long long grown = bytes + bytes / 4;
            if (grown > INT_MAX - static_cast<long long>(kPixelAlignment)) grown = bytes;
            void* moved = std::realloc(raw_, static_cast<std::size_t>(grown) + kPixelAlignment - 1);
            if (moved) {
                raw_ = moved;
                allocated_ = static_cast<int>(grown);
            } else {
                Release();
                raw_ = std::malloc(static_cast<std::size_t>(need) + kPixelAlignment - 1);
                allocated_ = raw_ ? need : 0;
            }
        }
    } else {
        Release();
    }

    if (!raw_) {
        width_ = 0;
        height_ = 0;
    }
    return true;
}
