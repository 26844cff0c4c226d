#pragma once

#include "bitmap/pixel_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// PNG decoding into pixel words 0xAARRGGBB with straight alpha. Every colour type and bit
// depth is accepted; images without transparency get alpha 255, 16-bit channels keep their
// high byte. Corrupt or truncated data fails without drawing attention: the result is
// simply null or false.

// A new bitmap (HeapBitmap, rows aligned to 4 pixels) of the image, or null.
std::unique_ptr<PixelBitmap> LoadPngMemory(const void* data, std::size_t size);
// Decodes into `into`, resizing it to the image. False on failure; a bitmap that failed
// mid-image keeps its new size and whatever rows were decoded.
bool LoadPngMemory(const void* data, std::size_t size, PixelBitmap& into);

// The same from a stream: read(context, out, length) copies up to length bytes to out and
// answers how many. Fewer than asked means the data has ended; a decode that needs more
// then fails at once rather than reading on.
using PngReadFn = std::size_t (*)(void* context, std::uint8_t* out, std::size_t length);
std::unique_ptr<PixelBitmap> LoadPngStream(PngReadFn read, void* context);

// The same from a file; utf8Name is UTF-8.
std::unique_ptr<PixelBitmap> LoadPngFile(const char* utf8Name);
bool LoadPngFile(const char* utf8Name, PixelBitmap& into);
