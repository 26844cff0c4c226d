#pragma once

#include <cstdint>

// One cached glyph. A coverage mask is `height` rows of `width` bytes, 0 (no ink) to 255.
struct GlyphRecord {
    // 0: not rendered yet; -1: rendered, no mask; else 1 + byte offset in the coverage store.
    std::int32_t position = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t advance = 0; // pen movement in pixels
    std::uint16_t code = 0;
    std::int32_t leftOffset = 0; // how far before the pen position the mask starts

    bool HasMask() const { return position > 0; }
};

inline constexpr std::int32_t kGlyphNotRendered = 0;
inline constexpr std::int32_t kGlyphEmpty = -1;
