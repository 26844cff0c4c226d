#include "core/state_chunk.h"

#include <cstring>

bool StateChunk::PutString(const char* text) {
    if (!text) text = "";
    std::size_t length = std::strlen(text);
    if (length > 0x7FFFFFFF) return false;
    auto n = static_cast<std::int32_t>(length);
    return Put(n) && PutBytes(text, n);
}

int StateChunk::GetBytes(void* dest, int n, int position) const {
    if (position < 0 || n < 0) return -1;
    if (static_cast<std::int64_t>(position) + n > buffer_.Size()) return -1;
    if (n > 0) std::memcpy(dest, buffer_.Data() + position, n);
    return position + n;
}

int StateChunk::GetString(std::string& out, bool& gotText, int position) const {
    gotText = false;
    std::int32_t length = 0;
    int start = Get(length, position);
    if (start < 0) return -1;
    std::int64_t end = static_cast<std::int64_t>(start) + length;
    // A negative or overflowing length can never end inside the data: fail the read
    // rather than step backwards through it.
    if (length < 0 || end > 0x7FFFFFFF) return -1;
    if (end <= buffer_.Size() && length > 0) {
        const char* text = reinterpret_cast<const char*>(buffer_.Data()) + start;
        out.assign(text, strnlen(text, static_cast<std::size_t>(length)));
        gotText = true;
    }
    return static_cast<int>(end);
}

bool StateChunk::Resize(int n) {
    int old = buffer_.Size();
    if (!buffer_.Resize(n)) return false;
    if (n > old) std::memset(buffer_.Data() + old, 0, n - old);
    return true;
}
