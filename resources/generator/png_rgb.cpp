#include "png_rgb.h"

#include "bitmap/pixel_word.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace art {

namespace {

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

bool Encode(png_structp png, png_infop info, std::FILE* file, const PixelBitmap& bitmap,
            std::vector<png_byte>& row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.Width()),
                 static_cast<png_uint_32>(bitmap.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const int stored = bitmap.IsFlipped() ? bitmap.Height() - 1 - y : y;
        const std::uint32_t* src =
            bitmap.Bits() + static_cast<std::ptrdiff_t>(stored) * bitmap.RowSpan();
        for (int x = 0; x < bitmap.Width(); ++x) {
            row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<png_byte>(PixelR(src[x]));
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(PixelG(src[x]));
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(PixelB(src[x]));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool WriteRgbPng(const PixelBitmap& bitmap, const char* fileName) {
    if (!bitmap.Bits() || bitmap.Width() <= 0 || bitmap.Height() <= 0) return false;
    std::FILE* file = std::fopen(fileName, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<std::size_t>(bitmap.Width()) * 3);
    const bool ok = png && info && Encode(png, info, file, bitmap, row);
    if (png) png_destroy_write_struct(&png, &info);
    return (std::fclose(file) == 0) && ok;
}

} // namespace art
