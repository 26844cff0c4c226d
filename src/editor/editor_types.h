#pragma once

#include "bitmap/blend_mode.h"

class PixelBitmap;

// A loaded image: the bitmap belongs to the process-wide image cache. Frames are equal
// slices, stacked vertically or side by side as the image's user decides. Sizes are panel
// pixels; an image loaded from a resource (id not -1) has its art at other scales too.
struct IPlugImage {
    PixelBitmap* bitmap = nullptr;
    int width = 0;
    int height = 0;
    int frames = 1;
    int resourceId = -1;
};

struct IPlugBlend {
    enum Kind { BlendAlpha = 0, BlendOpaque = 1, BlendAdd = 2, BlendDodge = 3 };
    int kind = BlendAlpha;
    float weight = 1.0f;

    BlendMode Mode() const {
        switch (kind) {
        case BlendOpaque:
            return BLEND_COPY;
        case BlendAdd:
            return BLEND_ADD | BLEND_SOURCE_ALPHA;
        case BlendDodge:
            return BLEND_DODGE | BLEND_SOURCE_ALPHA;
        default:
            return BLEND_COPY | BLEND_SOURCE_ALPHA;
        }
    }
};

struct MouseKeys {
    bool left = false, right = false, shift = false, control = false, alt = false;
};
