#include "bitmap/win32/png_resource.h"

#include "bitmap/png_loader.h"

namespace {

// The resource's bytes, or null when it is missing or too short to be a PNG.
const void* FindPng(HINSTANCE module, int id, const char* type, DWORD& size) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!resource) return nullptr;
    size = SizeofResource(module, resource);
    if (size < 8) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    return loaded ? LockResource(loaded) : nullptr;
}

} // namespace

std::unique_ptr<PixelBitmap> LoadPngResource(HINSTANCE module, int id, const char* type) {
    DWORD size = 0;
    const void* data = FindPng(module, id, type, size);
    return data ? LoadPngMemory(data, size) : nullptr;
}

bool LoadPngResource(HINSTANCE module, int id, PixelBitmap& into) {
    DWORD size = 0;
    const void* data = FindPng(module, id, "PNG", size);
    return data && LoadPngMemory(data, size, into);
}
