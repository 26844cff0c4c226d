#include "noise.h"

#include <cmath>

namespace art {

namespace {

std::uint32_t Mix32(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float Fade(float t) {
    return t * t * (3.0f - 2.0f * t);
}

} // namespace

float Hash01(std::uint32_t seed, int x, int y) {
    const std::uint32_t h = Mix32(seed ^ Mix32(static_cast<std::uint32_t>(x) * 0x9E3779B1u ^
                                               Mix32(static_cast<std::uint32_t>(y) + 0x632BE5ABu)));
    return static_cast<float>(h >> 8) / 16777216.0f;
}

float ValueNoise(std::uint32_t seed, float x, float y, float cellX, float cellY) {
    const float gx = x / cellX, gy = y / cellY;
    const float fx = std::floor(gx), fy = std::floor(gy);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Fade(gx - fx), ty = Fade(gy - fy);
    const float a = Hash01(seed, ix, iy), b = Hash01(seed, ix + 1, iy);
    const float c = Hash01(seed, ix, iy + 1), d = Hash01(seed, ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Brushed(std::uint32_t seed, float x, float y) {
    // Streaks: long along x, one pixel across; a slower band adds uneven polish.
    const float fine = ValueNoise(seed, x, y, 23.0f, 1.0f) * 2.0f - 1.0f;
    const float mid = ValueNoise(seed + 1, x, y, 71.0f, 1.0f) * 2.0f - 1.0f;
    const float band = ValueNoise(seed + 2, x, y, 190.0f, 5.0f) * 2.0f - 1.0f;
    return fine * 0.5f + mid * 0.35f + band * 0.25f;
}

float Grain(std::uint32_t seed, int x, int y) {
    return Hash01(seed, x, y) * 2.0f - 1.0f;
}

} // namespace art
