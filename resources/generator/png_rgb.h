#pragma once

#include "bitmap/pixel_bitmap.h"

namespace art {

// Writes an 8-bit RGB PNG, dropping alpha: for the images the editor loads as opaque.
// (The library's writer always stores RGBA.) False when the file cannot be written.
bool WriteRgbPng(const PixelBitmap& bitmap, const char* fileName);

} // namespace art
