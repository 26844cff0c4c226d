#pragma once

#include "bitmap/pixel_bitmap.h"

// Registry of image file loaders, filled during static initialisation (the PNG loader
// registers itself) and read-only afterwards.
struct LoaderEntry {
    // Loads a file into `into` when given (returning it) or into a new bitmap the caller
    // owns. With checkExtension, a name without the loader's extension is refused
    // without being opened. Null on failure.
    PixelBitmap* (*load)(const char* fileName, bool checkExtension, PixelBitmap* into);
    // Filter text for a file dialog.
    const char* (*description)();
    LoaderEntry* next;
};

// Head of the list, most recently registered first.
LoaderEntry* ImageLoaders();
// Pushes the entry onto the head of the list. Meant for static initialisation only.
void RegisterImageLoader(LoaderEntry& entry);

// True when fileName ends in extension (".png"), compared without regard to case. The
// tail compared starts at the last dot, slash or backslash.
bool HasExtension(const char* fileName, const char* extension);
