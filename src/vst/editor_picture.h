#pragma once

#include "vst/vendor_codes.h"

#include <cstdint>

// A request of Velmorande's own over the binary interface: effVendorSpecific with this
// index and ptr pointing at an EditorPicture asks the plug-in to draw its editor as a
// freshly opened window would show it, and to describe the pixels. They stay valid until
// the next request to the plug-in. opt is the scale to draw at (device pixels per panel
// pixel; the editor takes the largest of its scales not above it), 0 for the editor's own.
// The answer is 1 when a picture was drawn.
inline constexpr std::int32_t kEditorPictureRequest = FourCharCode("VlmE");

struct EditorPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowSpan = 0;              // pixels from one row to the next
    const std::uint32_t* pixels = nullptr; // 0xAARRGGBB, top row first
};
