#pragma once

#include "core/grow_buffer.h"

#include <cstdint>
#include <string>

// Serialised state: little-endian values with no alignment. Every read is bounds-checked
// and answers the position after what it read, or -1; a read at -1 fails again, so a
// truncated chunk stops loading at the first item that does not fit.
class StateChunk {
public:
    static constexpr std::int32_t kMagic = 0x70666674;
    static constexpr std::int32_t kFormatVersion = 0x00010000;

    bool PutBytes(const void* bytes, int n) { return buffer_.Append(bytes, n); }
    template <typename T> bool Put(const T& value) { return PutBytes(&value, sizeof(T)); }
    bool PutString(const char* text);

    int GetBytes(void* dest, int n, int position) const;
    template <typename T> int Get(T& value, int position) const {
        return GetBytes(&value, sizeof(T), position);
    }
    // Reads a length-prefixed string. `out` receives the text only when it lies wholly
    // inside the data and is not empty; the position after it is returned either way.
    int GetString(std::string& out, bool& gotText, int position) const;

    bool Resize(int n);
    void Clear() { buffer_.Clear(); }
    int Size() const { return buffer_.Size(); }
    const std::uint8_t* Data() const { return buffer_.Data(); }
    std::uint8_t* Data() { return buffer_.Data(); }

private:
    GrowBuffer buffer_{4096};
};
