#pragma once

#include <cstdint>

// A four-character code as the VST 2.x interface and its preset files carry it: the first
// character in the most significant byte.
constexpr std::int32_t FourCharCode(const char (&code)[5]) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(code[i]);
    return static_cast<std::int32_t>(value);
}
