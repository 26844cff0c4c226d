#pragma once

#include <bit>
#include <cstdint>

// One pixel is the word 0xAARRGGBB. On the little-endian targets we build for, that puts
// the bytes B, G, R, A in address order, which PNG decoding and platform surfaces rely on.
static_assert(std::endian::native == std::endian::little, "pixel words assume little-endian");

constexpr int PixelB(std::uint32_t p) {
    return static_cast<int>(p & 0xFF);
}
constexpr int PixelG(std::uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
constexpr int PixelR(std::uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
constexpr int PixelA(std::uint32_t p) {
    return static_cast<int>(p >> 24);
}

constexpr std::uint32_t PackPixel(int a, int r, int g, int b) {
    return (static_cast<std::uint32_t>(a & 0xFF) << 24) |
           (static_cast<std::uint32_t>(r & 0xFF) << 16) |
           (static_cast<std::uint32_t>(g & 0xFF) << 8) | static_cast<std::uint32_t>(b & 0xFF);
}

// Per-byte fractions of a whole word, four channels at once. Each truncates on its own.
constexpr std::uint32_t HalfOf(std::uint32_t p) {
    return (p >> 1) & 0x7F7F7F7Fu;
}
constexpr std::uint32_t QuarterOf(std::uint32_t p) {
    return (p >> 2) & 0x3F3F3F3Fu;
}
constexpr std::uint32_t EighthOf(std::uint32_t p) {
    return (p >> 3) & 0x1F1F1F1Fu;
}

// Word shortcuts for copying a colour at the weights 128, 64 and 192.
constexpr std::uint32_t MixHalf(std::uint32_t colour, std::uint32_t d) {
    return HalfOf(colour) + HalfOf(d);
}
constexpr std::uint32_t MixQuarter(std::uint32_t colour, std::uint32_t d) {
    return HalfOf(d) + QuarterOf(d) + QuarterOf(colour);
}
constexpr std::uint32_t MixThreeQuarters(std::uint32_t colour, std::uint32_t d) {
    return QuarterOf(d) + HalfOf(colour) + QuarterOf(colour);
}
