#include "bitmap/text/utf8.h"

namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Bytes of the sequence that the lead byte opens, or 1 where it opens none.
int SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

} // namespace

int DecodeUtf8Char(const char* text, int available, std::uint16_t* code) {
    std::uint16_t out = 0;
    int used = 0;
    if (text && available > 0) {
        const auto* p = reinterpret_cast<const unsigned char*>(text);
        const int n = SequenceLength(p[0]);
        used = 1;
        out = p[0];
        if (n > 1 && n <= available) {
            int valid = 1;
            while (valid < n && IsContinuation(p[valid]))
                ++valid;
            if (valid == n) {
                used = n;
                if (n == 2)
                    out = static_cast<std::uint16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
                else if (n == 3)
                    out = static_cast<std::uint16_t>((p[0] << 12) | ((p[1] & 0x3F) << 6) |
                                                     (p[2] & 0x3F));
                else
                    out = 0x20; // beyond 16 bits
            }
        }
    }
    if (code) *code = out;
    return used;
}

int DecodeUtf8Char(const char* text, std::uint16_t* code) {
    // Continuation bytes are checked one at a time and a terminator is never one, so the
    // widest sequence can be allowed without reading past the end of the string.
    return DecodeUtf8Char(text, 4, code);
}

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
