#include "bitmap/png_writer.h"

#include "bitmap/pixel_word.h"
#include "bitmap/row_walk.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

namespace {

[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

struct Output {
    std::vector<std::uint8_t> bytes;
    bool failed = false;
};

void WriteOutput(png_structp png, png_bytep data, std::size_t length) {
    auto* out = static_cast<Output*>(png_get_io_ptr(png));
    try {
        out->bytes.insert(out->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        out->failed = true;
    }
    // Outside the handler: the error jumps away and must leave no exception behind.
    if (out->failed) png_error(png, "out of memory");
}

void FlushOutput(png_structp) {}

// State of one encode, kept out of the frame that the error jump returns to.
struct Encode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<png_byte[]> row;

    Encode() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~Encode() {
        if (png) png_destroy_write_struct(&png, &info);
    }
    Encode(const Encode&) = delete;
    Encode& operator=(const Encode&) = delete;
};

bool RunEncoder(Encode& job, const PixelBitmap& bitmap, bool alpha, Output& out) {
    if (setjmp(png_jmpbuf(job.png))) return false;
    const int width = bitmap.Width(), height = bitmap.Height();
    png_set_write_fn(job.png, &out, WriteOutput, FlushOutput);
    png_set_IHDR(job.png, job.info, static_cast<png_uint_32>(width),
                 static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(job.png, job.info);
    const bitmap_detail::RowWalk rows = bitmap_detail::WalkRows(bitmap, 0, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = rows.Row(y);
        png_byte* o = job.row.get();
        for (int x = 0; x < width; ++x) {
            *o++ = static_cast<png_byte>(PixelR(in[x]));
            *o++ = static_cast<png_byte>(PixelG(in[x]));
            *o++ = static_cast<png_byte>(PixelB(in[x]));
            if (alpha) *o++ = static_cast<png_byte>(PixelA(in[x]));
        }
        png_write_row(job.png, job.row.get());
    }
    png_write_end(job.png, job.info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const PixelBitmap& bitmap, PngChannels channels) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || !bitmap.Bits()) return {};
    Encode job;
    if (!job.png || !job.info) return {};
    const bool alpha = channels == PngChannels::Rgba;
    job.row.reset(new (std::nothrow)
                      png_byte[static_cast<std::size_t>(bitmap.Width()) * (alpha ? 4 : 3)]);
    if (!job.row) return {};
    Output out;
    if (!RunEncoder(job, bitmap, alpha, out)) return {};
    return std::move(out.bytes);
}

bool WritePngFile(const PixelBitmap& bitmap, const char* fileName, PngChannels channels) {
    if (!fileName) return false;
    const std::vector<std::uint8_t> bytes = EncodePng(bitmap, channels);
    if (bytes.empty()) return false;
    std::FILE* f = std::fopen(fileName, "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}
