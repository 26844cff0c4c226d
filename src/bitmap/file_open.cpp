#include "bitmap/file_open.h"

#include <cstdint>

bool Utf8ToUtf16(const char* utf8, char16_t* out, std::size_t capacity) {
    if (!utf8 || !out || capacity == 0) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    std::size_t n = 0;
    auto put = [&](std::uint32_t unit) {
        if (n + 1 >= capacity) return false; // keep room for the terminator
        out[n++] = static_cast<char16_t>(unit);
        return true;
    };
    while (*p) {
        std::uint32_t cp;
        int extra;
        std::uint32_t minimum;
        if (*p < 0x80) {
            cp = *p, extra = 0, minimum = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F, extra = 1, minimum = 0x80;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F, extra = 2, minimum = 0x800;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07, extra = 3, minimum = 0x10000;
        } else {
            return false;
        }
        ++p;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false; // also stops at the terminator
            cp = (cp << 6) | (*p & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            if (!put(0xD800 + (cp >> 10)) || !put(0xDC00 + (cp & 0x3FF))) return false;
        } else if (!put(cp)) {
            return false;
        }
    }
    out[n] = 0;
    return true;
}

std::FILE* OpenFileUtf8(const char* utf8Name) {
    if (!utf8Name) return nullptr;
#ifdef _WIN32
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 file names");
    char16_t wide[2048];
    if (Utf8ToUtf16(utf8Name, wide, 2048))
        if (std::FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(wide), L"rb")) return f;
#endif
    return std::fopen(utf8Name, "rb");
}
