#include "bitmap/image_loaders.h"

#include <cstring>

namespace {
// Constant-initialised, so registration from any other static initialiser finds it ready.
constinit LoaderEntry* gLoaders = nullptr;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

LoaderEntry* ImageLoaders() {
    return gLoaders;
}

void RegisterImageLoader(LoaderEntry& entry) {
    entry.next = gLoaders;
    gLoaders = &entry;
}

bool HasExtension(const char* fileName, const char* extension) {
    if (!fileName || !extension) return false;
    const char* tail = fileName;
    for (const char* p = fileName + std::strlen(fileName); p != fileName;) {
        --p;
        if (*p == '.' || *p == '/' || *p == '\\') {
            tail = p;
            break;
        }
    }
    for (; *tail && *extension; ++tail, ++extension)
        if (Lower(*tail) != Lower(*extension)) return false;
    return *tail == '\0' && *extension == '\0';
}
