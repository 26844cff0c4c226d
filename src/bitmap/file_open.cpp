#include "bitmap/file_open.h"

#include "bitmap/utf8_to_utf16.h"

#include <climits>
#include <cstring>

std::FILE* OpenFileUtf8(const char* utf8Name) {
    if (!utf8Name) return nullptr;
#ifdef _WIN32
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 file names");
    // Room for 2047 units and the terminator.
    char16_t wide[2048];
    const std::size_t bytes = std::strlen(utf8Name);
    const int units =
        bytes < INT_MAX ? Utf8ToUtf16Units(utf8Name, static_cast<int>(bytes), wide, 2047) : -1;
    if (units >= 0) {
        wide[units] = 0;
        if (std::FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(wide), L"rb")) return f;
    }
#endif
    return std::fopen(utf8Name, "rb");
}
