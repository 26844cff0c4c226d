#include "bitmap/utf8_to_utf16.h"

#include <cstdint>

namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

int Utf8ToUtf16Units(const char* text, int length, char16_t* out, int capacity) {
    if (!text || length < 0 || (capacity > 0 && !out)) return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    int i = 0, n = 0;
    auto put = [&](std::uint32_t unit) {
        if (n >= capacity) return false;
        out[n++] = static_cast<char16_t>(unit);
        return true;
    };
    while (i < length) {
        const unsigned char lead = p[i];
        std::uint32_t cp;
        int extra;
        std::uint32_t minimum;
        if (lead < 0x80) {
            cp = lead, extra = 0, minimum = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F, extra = 1, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F, extra = 2, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07, extra = 3, minimum = 0x10000;
        } else {
            return -1;
        }
        if (extra > length - i - 1) return -1;
        for (int k = 1; k <= extra; ++k) {
            if (!IsContinuation(p[i + k])) return -1;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        i += extra + 1;
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            if (!put(0xD800 + (cp >> 10)) || !put(0xDC00 + (cp & 0x3FF))) return -1;
        } else if (!put(cp)) {
            return -1;
        }
    }
    return n;
}
