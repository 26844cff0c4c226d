#pragma once

#include <cstddef>
#include <cstdio>

// Opens a file named in UTF-8 for binary reading. Where file names are UTF-16 the name is
// converted first, and the UTF-8 bytes themselves are tried when that fails.
std::FILE* OpenFileUtf8(const char* utf8Name);

// Strict UTF-8 to UTF-16 (no overlong forms, surrogates or code points past U+10FFFF).
// Writes a terminated string into out (capacity units); false when invalid or too long.
bool Utf8ToUtf16(const char* utf8, char16_t* out, std::size_t capacity);
