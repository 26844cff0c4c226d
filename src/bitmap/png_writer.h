#pragma once

#include "bitmap/pixel_bitmap.h"

#include <cstdint>
#include <vector>

// Writes bitmaps as 8-bit PNG, so that what the drawing code produces can be looked at and
// fed back to the loader, and so that the editor's images can be drawn. For tests and
// tools; the plug-in itself only reads PNG.

// RGBA keeps every byte; RGB drops alpha, for images the editor shows as opaque.
enum class PngChannels { Rgba, Rgb };

// The encoded file, or an empty vector when the bitmap has no pixels or encoding failed.
std::vector<std::uint8_t> EncodePng(const PixelBitmap& bitmap,
                                    PngChannels channels = PngChannels::Rgba);
// False when there is nothing to write or the file cannot be written.
bool WritePngFile(const PixelBitmap& bitmap, const char* fileName,
                  PngChannels channels = PngChannels::Rgba);
