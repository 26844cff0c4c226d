// Feeds arbitrary bytes to the PNG loader, both into a new bitmap and into a caller's
// bitmap, and reads every decoded pixel so that a short or misplaced row is noticed.
// Each input is tried as it is and once more with every complete chunk's CRC repaired,
// since a mutation otherwise rarely gets past the decoder's CRC check.
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_loader.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::uint32_t Checksum(const PixelBitmap& bitmap) {
    std::uint32_t sum = 0;
    const std::uint32_t* bits = bitmap.Bits();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            sum = sum * 31 + bits[static_cast<std::ptrdiff_t>(y) * bitmap.RowSpan() + x];
    return sum;
}

std::uint32_t ReadBigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

void RepairChunkCrcs(std::vector<std::uint8_t>& png) {
    std::size_t at = 8;
    while (png.size() >= 12 && at <= png.size() - 12) {
        const std::size_t length = ReadBigEndian(&png[at]);
        if (length > png.size() - at - 12) break;
        const std::uint32_t crc =
            static_cast<std::uint32_t>(crc32(0, &png[at + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &png[at + 8 + length];
        out[0] = static_cast<std::uint8_t>(crc >> 24);
        out[1] = static_cast<std::uint8_t>(crc >> 16);
        out[2] = static_cast<std::uint8_t>(crc >> 8);
        out[3] = static_cast<std::uint8_t>(crc);
        at += length + 12;
    }
}

std::uint32_t Load(const std::uint8_t* data, std::size_t size) {
    std::uint32_t sum = 0;
    if (auto bitmap = LoadPngMemory(data, size)) {
        if (bitmap->Width() <= 0 || bitmap->Height() <= 0 || !bitmap->Bits()) std::abort();
        sum += Checksum(*bitmap);
    }
    HeapBitmap into(3, 5, 4);
    if (LoadPngMemory(data, size, into)) sum += Checksum(into);
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t sum = Load(data, size);
    // Exact-size copy, so that any read past the data is caught.
    std::vector<std::uint8_t> repaired(data, data + size);
    RepairChunkCrcs(repaired);
    sum += Load(repaired.data(), repaired.size());
    volatile std::uint32_t sink = sum; // keep the pixel reads
    (void)sink;
    return 0;
}
