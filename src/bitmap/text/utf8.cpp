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
