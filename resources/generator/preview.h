#pragma once

#include "bitmap/pixel_bitmap.h"

#include <string>

namespace art {

struct Images {
    const PixelBitmap& bg;
    const PixelBitmap& knob;
    const PixelBitmap& knob2;
    const PixelBitmap& slider;
    const PixelBitmap& radio;
    const PixelBitmap& but;
};

// Knob positions (0..1), fader values and read-out texts for one picture of the editor.
struct Settings {
    float delay = 0.375f;
    float small[3] = {0.95f, 60.0f / 99.0f, 0.5445f};
    float fader[2] = {1.0f, 0.5f};
    bool sync = true;
    int mode = 2;
    std::string delayText = "1/8";
    std::string smallText[3] = {"90%", "60%", "6000Hz"};
    std::string faderText[2] = {"100%", "50%"};
};

// Composes the editor as it draws itself: background, rotated pointers, lit buttons,
// fader bars and handles, read-outs and the version text.
void ComposePreview(PixelBitmap& out, const Images& images, const Settings& s);

} // namespace art
