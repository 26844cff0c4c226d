#include "bitmap/png_loader.h"

#include "bitmap/file_open.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/image_loaders.h"
#include "bitmap/row_walk.h"

#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// The decoder interface the loader is written against; every 1.6 library accepts it.
constexpr char kPngVersion[] = "1.6.21";
constexpr std::size_t kSignatureBytes = 8;

// Decoder errors return to the error point in RunDecoder; neither errors nor warnings are
// printed, a plug-in has nowhere useful to print them.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

struct MemorySource {
    const png_byte* cursor;
    std::size_t remaining;
};

std::size_t ReadMemory(void* context, std::uint8_t* out, std::size_t length) {
    auto* source = static_cast<MemorySource*>(context);
    const std::size_t n = length < source->remaining ? length : source->remaining;
    if (n > 0) std::memcpy(out, source->cursor, n);
    source->cursor += n;
    source->remaining -= n;
    return n;
}

struct Stream {
    PngReadFn read;
    void* context;
};

// Past the end of the data the request is zero-filled and the decoder stopped: letting
// it run on zeros would have a chunk header claiming gigabytes keep it reading them.
void ReadStream(png_structp png, png_bytep out, std::size_t length) {
    const auto* stream = static_cast<const Stream*>(png_get_io_ptr(png));
    std::size_t n = stream->read(stream->context, out, length);
    if (n > length) n = length;
    std::memset(out + n, 0, length - n);
    if (n < length) png_error(png, "unexpected end of data");
}

// Everything a decode owns lives here, in the caller's frame: the long jump of a decoder
// error then skips no destructor, and this one releases whatever had been made.
struct Decode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<PixelBitmap> created;
    std::unique_ptr<png_bytep[]> rows;

    Decode() {
        png = png_create_read_struct(kPngVersion, nullptr, OnPngError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~Decode() {
        if (png) png_destroy_read_struct(&png, &info, nullptr);
    }
    Decode(const Decode&) = delete;
    Decode& operator=(const Decode&) = delete;

    bool Ready() const { return png && info; }
};

// Decodes into `into`, or into a new bitmap left in job.created. This frame holds the
// error return point: it keeps no objects of its own and reads no local after a jump.
bool RunDecoder(Decode& job, PixelBitmap* into) {
    if (setjmp(png_jmpbuf(job.png))) return false;

    // Only IHDR, PLTE, tRNS and IDAT shape the pixels. Skipping every other chunk keeps
    // the decoder from allocating whatever size a text or profile chunk claims.
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(job.png, job.info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(job.png, job.info, &width, &height, &depth, &colourType, &interlace, &compression,
                 &filter);

    // Whatever the format, end with four bytes per pixel in pixel-word order: B, G, R, A.
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(job.png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(job.png);
    if (png_get_valid(job.png, job.info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(job.png);
        colourType |= PNG_COLOR_MASK_ALPHA;
    }
    if (depth == 16) png_set_strip_16(job.png);
    if (depth < 8) png_set_packing(job.png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(job.png);
    png_set_bgr(job.png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA)) png_set_filler(job.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);

    // The rows handed to the decoder hold exactly width words; refuse anything that
    // would not fit them.
    if (width == 0 || height == 0 || width > INT_MAX / 4 || height > INT_MAX ||
        png_get_rowbytes(job.png, job.info) != static_cast<std::size_t>(width) * 4)
        return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);

    PixelBitmap* target = into;
    if (target) {
        target->Resize(w, h);
    } else {
        job.created.reset(new (std::nothrow) HeapBitmap(w, h, 4));
        target = job.created.get();
    }
    if (!target || target->Width() != w || target->Height() != h || !target->Bits()) return false;

    job.rows.reset(new (std::nothrow) png_bytep[height]);
    if (!job.rows) return false;
    const bitmap_detail::RowWalk walk = bitmap_detail::WalkRows(*target, 0, 0);
    for (int y = 0; y < h; ++y)
        job.rows[y] = reinterpret_cast<png_bytep>(walk.Row(y));

    png_read_image(job.png, job.rows.get());
    return true;
}

bool DecodeStream(PngReadFn read, void* context, PixelBitmap* into,
                  std::unique_ptr<PixelBitmap>* created) {
    if (!read) return false;
    Decode job;
    if (!job.Ready()) return false;
    Stream stream{read, context};
    png_set_read_fn(job.png, &stream, ReadStream);
    if (!RunDecoder(job, into)) return false;
    if (created) *created = std::move(job.created);
    return true;
}

bool DecodeMemory(const void* data, std::size_t size, PixelBitmap* into,
                  std::unique_ptr<PixelBitmap>* created) {
    if (!data || size < kSignatureBytes ||
        png_sig_cmp(static_cast<png_const_bytep>(data), 0, kSignatureBytes) != 0)
        return false;
    MemorySource source{static_cast<const png_byte*>(data), size};
    return DecodeStream(ReadMemory, &source, into, created);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool DecodeFile(const char* utf8Name, PixelBitmap* into, std::unique_ptr<PixelBitmap>* created) {
    const std::unique_ptr<std::FILE, FileCloser> file(OpenFileUtf8(utf8Name));
    if (!file) return false;
    Decode job;
    if (!job.Ready()) return false;
    png_init_io(job.png, file.get());
    if (!RunDecoder(job, into)) return false;
    if (created) *created = std::move(job.created);
    return true;
}

PixelBitmap* LoadPngEntry(const char* fileName, bool checkExtension, PixelBitmap* into) {
    if (!fileName || (checkExtension && !HasExtension(fileName, ".png"))) return nullptr;
    if (into) return LoadPngFile(fileName, *into) ? into : nullptr;
    return LoadPngFile(fileName).release();
}

const char* PngDescription() {
    return "PNG files (*.PNG)";
}

LoaderEntry gPngLoader{LoadPngEntry, PngDescription, nullptr};

struct PngLoaderRegistration {
    PngLoaderRegistration() { RegisterImageLoader(gPngLoader); }
} gPngLoaderRegistration;

} // namespace

std::unique_ptr<PixelBitmap> LoadPngMemory(const void* data, std::size_t size) {
    std::unique_ptr<PixelBitmap> bitmap;
    DecodeMemory(data, size, nullptr, &bitmap);
    return bitmap;
}

bool LoadPngMemory(const void* data, std::size_t size, PixelBitmap& into) {
    return DecodeMemory(data, size, &into, nullptr);
}

std::unique_ptr<PixelBitmap> LoadPngStream(PngReadFn read, void* context) {
    std::unique_ptr<PixelBitmap> bitmap;
    DecodeStream(read, context, nullptr, &bitmap);
    return bitmap;
}

std::unique_ptr<PixelBitmap> LoadPngFile(const char* utf8Name) {
    std::unique_ptr<PixelBitmap> bitmap;
    DecodeFile(utf8Name, nullptr, &bitmap);
    return bitmap;
}

bool LoadPngFile(const char* utf8Name, PixelBitmap& into) {
    return DecodeFile(utf8Name, &into, nullptr);
}
