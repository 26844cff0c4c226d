#pragma once

#include <cstddef>
#include <cstdint>

// Growable heap byte buffer. Its growth rule is fixed so that memory behaviour is
// predictable for every owner (parameters, state chunks, pointer tables, scratch audio).
class GrowBuffer {
public:
    static constexpr int kDefaultGranularity = 4096;

    explicit GrowBuffer(int granularity = kDefaultGranularity);
    ~GrowBuffer();
    GrowBuffer(const GrowBuffer&) = delete;
    GrowBuffer& operator=(const GrowBuffer&) = delete;
    GrowBuffer(GrowBuffer&& other) noexcept;
    GrowBuffer& operator=(GrowBuffer&& other) noexcept;

    // Sets the used size, keeping the content up to it. New bytes are not initialised.
    // Returns false (and leaves the buffer unchanged) when memory cannot be had.
    bool Resize(int size, bool allowShrink = false);
    // Appends n bytes; returns false when the buffer could not grow.
    bool Append(const void* bytes, int n);
    void Clear() { used_ = 0; }
    void Free();

    std::uint8_t* Data() { return data_; }
    const std::uint8_t* Data() const { return data_; }
    int Size() const { return used_; }
    int Allocated() const { return allocated_; }
    int Granularity() const { return granularity_; }

    template <typename T> T* As() { return reinterpret_cast<T*>(data_); }
    template <typename T> const T* As() const { return reinterpret_cast<const T*>(data_); }

    // The allocation the growth rule picks for a request of `size` bytes.
    static int AllocationFor(int size, int granularity);

private:
    std::uint8_t* data_ = nullptr;
    int allocated_ = 0;
    int used_ = 0;
    int granularity_;
};
