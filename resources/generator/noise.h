#pragma once

#include <cstdint>

// Deterministic noise from integer hashing: the same seed gives the same pictures on every
// run and every machine, unlike the standard library's distributions.
namespace art {

// Uniform in [0, 1) for a lattice point.
float Hash01(std::uint32_t seed, int x, int y);
// Smooth value noise in [0, 1) on a lattice of the given cell size (pixels).
float ValueNoise(std::uint32_t seed, float x, float y, float cellX, float cellY);
// Brushed-metal streaks along x: long horizontal grain, roughly -1 .. 1.
float Brushed(std::uint32_t seed, float x, float y);
// Fine grain, -1 .. 1, different for every pixel.
float Grain(std::uint32_t seed, int x, int y);

} // namespace art
