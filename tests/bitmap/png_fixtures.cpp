#include "png_fixtures.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>

namespace {

void Append(png_structp png, png_bytep data, std::size_t n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

bool Run(png_structp png, png_infop info, const PngImage& image, std::vector<std::uint8_t>& out,
         std::vector<png_bytep>& rowPointers) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &out, Append, NoFlush);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                     static_cast<int>(image.palette.size() / 3));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(),
                     static_cast<int>(image.paletteAlpha.size()), nullptr);
    if (image.transparentGrey >= 0) {
        png_color_16 grey{};
        grey.gray = static_cast<png_uint_16>(image.transparentGrey);
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeFixture(const PngImage& image) {
    std::vector<std::uint8_t> out;
    std::vector<std::vector<std::uint8_t>> rows = image.rows;
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows)
        rowPointers.push_back(row.data());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool ok = Run(png, info, image, out, rowPointers);
    png_destroy_write_struct(&png, &info);
    if (!ok) out.clear();
    return out;
}

TempFile::TempFile(const std::string& name)
    : path_((std::filesystem::temp_directory_path() / name).string()) {}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

bool TempFile::Write(const std::vector<std::uint8_t>& bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
