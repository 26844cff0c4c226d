#pragma once

#include "base/win32/win32_api.h"
#include "bitmap/pixel_bitmap.h"

#include <memory>

// Decodes the resource of a type ("PNG" unless given) with the given integer id from a
// module. Null when the resource is missing, shorter than a PNG signature, or does not
// decode.
std::unique_ptr<PixelBitmap> LoadPngResource(HINSTANCE module, int id, const char* type = "PNG");
// The same into a caller's bitmap, which is resized to the image.
bool LoadPngResource(HINSTANCE module, int id, PixelBitmap& into);
