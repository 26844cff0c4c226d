#pragma once

#include "base/geometry.h"

#include <cstdint>
#include <cstring>

class GlyphFont;

inline constexpr int TEXT_STYLE_BOLD = 0x1;
inline constexpr int TEXT_STYLE_ITALIC = 0x2;

inline constexpr int TEXT_ALIGN_LEFT = 0;
inline constexpr int TEXT_ALIGN_CENTER = 1;
inline constexpr int TEXT_ALIGN_RIGHT = 2;

inline constexpr int TEXT_QUALITY_DEFAULT = 0;
inline constexpr int TEXT_QUALITY_NONANTIALIASED = 1;
inline constexpr int TEXT_QUALITY_ANTIALIASED = 2;
inline constexpr int TEXT_QUALITY_CLEARTYPE = 3;

// A text style. Face, size, orientation and style bits pick the font (GetFont); colour,
// alignment and quality only steer drawing.
struct IPlugText {
    static constexpr int kFaceSize = 32;

    char face[kFaceSize] = "Arial";       // NUL-terminated
    std::int32_t size = 16;               // pixel height of a line
    IPlugColor colour{};                  // default opaque black
    std::int32_t style = 0;               // TEXT_STYLE_*
    std::int32_t align = TEXT_ALIGN_LEFT; // TEXT_ALIGN_*
    std::int32_t orientation = 0;         // degrees
    std::int32_t quality = TEXT_QUALITY_DEFAULT;
    GlyphFont* cachedFont = nullptr; // filled by GetFont, owned by the font cache

    // Copies a face name, cut to fit with its terminator.
    void SetFace(const char* name) {
        std::memset(face, 0, sizeof face);
        for (int i = 0; name && name[i] && i < kFaceSize - 1; ++i)
            face[i] = name[i];
    }
};

static_assert(sizeof(void*) != 8 || sizeof(IPlugText) == 80, "IPlugText is an 80-byte record");
