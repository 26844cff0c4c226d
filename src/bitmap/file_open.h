#pragma once

#include <cstddef>
#include <cstdio>

// Opens a file named in UTF-8 for binary reading. Where file names are UTF-16 the name is
// converted first, and the UTF-8 bytes themselves are tried when that fails.
std::FILE* OpenFileUtf8(const char* utf8Name);
