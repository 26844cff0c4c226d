// UTF-8 decoding: the lenient one-character decoder always moves forward within the bytes
// it may read, and the strict converter's UTF-16, encoded back, gives the same bytes.
#include "bitmap/text/utf8.h"
#include "bitmap/utf8_to_utf16.h"
#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// UTF-16 back to UTF-8, for well-formed units only.
std::string Encode(const char16_t* units, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            Check(i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF);
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else {
            Check(c < 0xDC00 || c > 0xDFFF);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const int length = static_cast<int>(size);

    // Bounded: every step takes 1..4 bytes and never passes the end.
    for (int at = 0; at < length;) {
        std::uint16_t code = 0xFFFF;
        const int taken = DecodeUtf8Char(bytes.data() + at, length - at, &code);
        Check(taken >= 1 && taken <= 4 && taken <= length - at);
        at += taken;
    }
    // Terminated: the same over a copy with a zero after it stops at the terminator.
    const std::string terminated = bytes + '\0';
    for (std::size_t at = 0; at < size && terminated[at] != '\0';) {
        std::uint16_t code = 0xFFFF;
        const int taken = DecodeUtf8Char(terminated.c_str() + at, &code);
        Check(taken >= 1 && taken <= 4);
        for (int k = 1; k < taken; ++k)
            Check(terminated[at + k] != '\0');
        at += static_cast<std::size_t>(taken);
    }

    std::vector<char16_t> units(size + 1);
    const int count = Utf8ToUtf16Units(bytes.data(), length, units.data(), length + 1);
    Check(count >= -1 && count <= length);
    if (count >= 0) {
        Check(Encode(units.data(), count) == bytes);
        // Too small a buffer is a failure, never an overrun.
        if (count > 0) Check(Utf8ToUtf16Units(bytes.data(), length, units.data(), count - 1) == -1);
    }
    return 0;
}
