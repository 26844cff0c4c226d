#pragma once

#include <cstdint>

// The blend word of every compositing call: an operation in the low byte plus flags.
using BlendMode = std::uint32_t;

inline constexpr BlendMode BLEND_COPY = 0;
inline constexpr BlendMode BLEND_ADD = 1;
inline constexpr BlendMode BLEND_DODGE = 2;
inline constexpr BlendMode BLEND_MULTIPLY = 3;
inline constexpr BlendMode BLEND_OVERLAY = 4;
inline constexpr BlendMode BLEND_HSV_ADJUST = 5;
// Low bytes 0xF0-0xFF (BlitBitmap only): copy one byte of each source pixel into one byte
// of the destination pixel. Byte indices: 0 B, 1 G, 2 R, 3 A.
inline constexpr BlendMode BLEND_CHANNEL_COPY = 0xF0;
// Bilinear sampling in transformed blits; ignored elsewhere.
inline constexpr BlendMode BLEND_BILINEAR = 0x100;
// Scale the weight by the source pixel's alpha.
inline constexpr BlendMode BLEND_SOURCE_ALPHA = 0x10000;

inline constexpr BlendMode kBlendOperationMask = 0xFF;
// The bits that pick a combiner: the operation and the source-alpha flag.
inline constexpr BlendMode kBlendCombinerMask = 0x100FF;

constexpr BlendMode BlendChannelCopy(int sourceByte, int destByte) {
    return BLEND_CHANNEL_COPY | static_cast<BlendMode>(sourceByte & 3) |
           (static_cast<BlendMode>(destByte & 3) << 2);
}

constexpr bool IsChannelCopy(BlendMode mode) {
    return (mode & kBlendOperationMask) >= 0xF0;
}

// Integer weight of a float alpha: alpha x 256 truncated, so 1.0 gives 256 and 0.5 gives
// 128. Alphas outside 0..1 (and NaN) are limited first: weights above 256 or below 0 would
// push channels out of their byte and the float conversion out of its defined range.
constexpr int WeightFromAlpha(float alpha) {
    if (!(alpha > 0.0f)) return 0;
    if (alpha >= 1.0f) return 256;
    return static_cast<int>(alpha * 256.0f);
}
