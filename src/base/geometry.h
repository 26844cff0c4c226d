#pragma once

#include <algorithm>
#include <cstdint>

// Rectangle with exclusive right and bottom; all four zero means empty.
struct IPlugRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    constexpr int W() const { return right - left; }
    constexpr int H() const { return bottom - top; }
    constexpr bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

    constexpr bool Contains(int x, int y) const {
        return left <= x && x < right && top <= y && y < bottom;
    }
    constexpr bool Overlaps(const IPlugRect& b) const {
        return left < b.right && b.left < right && top < b.bottom && b.top < bottom;
    }
    constexpr IPlugRect Union(const IPlugRect& b) const {
        if (Empty()) return b;
        if (b.Empty()) return *this;
        return {std::min(left, b.left), std::min(top, b.top), std::max(right, b.right),
                std::max(bottom, b.bottom)};
    }
    constexpr IPlugRect Intersect(const IPlugRect& b) const {
        if (Empty() || b.Empty() || !Overlaps(b)) return {};
        return {std::max(left, b.left), std::max(top, b.top), std::min(right, b.right),
                std::min(bottom, b.bottom)};
    }
    constexpr bool operator==(const IPlugRect&) const = default;
};

// Colour with straight alpha; the default is opaque black.
struct IPlugColor {
    int A = 255, R = 0, G = 0, B = 0;

    constexpr std::uint32_t Word() const {
        return (std::uint32_t(A & 0xFF) << 24) | (std::uint32_t(R & 0xFF) << 16) |
               (std::uint32_t(G & 0xFF) << 8) | std::uint32_t(B & 0xFF);
    }
    constexpr bool operator==(const IPlugColor&) const = default;
};
